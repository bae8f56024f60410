// A BMP as pictosrc reads it: the program's header checks, the 24-bit rows,
// the palette conversion and the C text. The fast merging method must give
// exactly what the straightforward one gives.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/bmp.h"
#include "converters/pictosrc/pictosrc_convert.h"
#include "converters/pictosrc/pictosrc_text.h"

using namespace lumora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> file(data, data + size);
    const auto header = parse_bmp_header(file);
    if (!header) return 0;
    if (header->bit_count != 24 || header->width % 8 != 0 || header->height % 8 != 0) return 0;
    const auto pixels = bmp_pixels(file, *header);
    if (!pixels) return 0;

    const auto fast = pictosrc::convert(*pixels, pictosrc::MergeMethod::Incremental);
    const auto reference = pictosrc::convert(*pixels, pictosrc::MergeMethod::Straightforward);
    if (!fast || !reference) return 0;
    if (fast->palettes != reference->palettes || fast->tile_palette != reference->tile_palette ||
        fast->color_number != reference->color_number)
        std::abort();
    if (fast->palettes.size() > 16) std::abort();
    pictosrc::render(*fast);
    return 0;
}
