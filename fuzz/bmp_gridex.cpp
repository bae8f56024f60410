// A BMP as gridex reads it: the header checks of the program, the decoding
// of plain and run-length coded 8-bit rows, and the conversion into map and
// attributes.
//
// Input: eleven bytes for the area settings (positions taken as signed, so
// areas may start left of or above the picture), then the BMP file.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/bmp.h"
#include "converters/gridex/gridex_convert.h"
#include "fuzz/fuzz_support.h"

using namespace lumora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputSplitter in(data, size);
    auto position = [&] { return static_cast<int>(static_cast<int8_t>(in.take_byte())); };
    auto extent = [&] { return static_cast<int>(in.take_byte()); };
    gridex::Settings s;
    s.map = {position(), position(), extent(), extent()};
    s.attr_x = position();
    s.attr_y = position();
    s.parts = {position(), position(), extent(), extent()};
    s.base = extent();

    const auto rest = in.rest();
    const std::vector<uint8_t> file(rest.begin(), rest.end());
    BmpStatus status = BmpStatus::Ok;
    const auto header = parse_bmp_header(file, &status);
    if (!header) return 0;
    header->row_stride();
    // gridex takes only 8-bit pictures whose sides are multiples of 8.
    if (header->bit_count != 8 || header->width % 8 != 0 || header->height % 8 != 0) return 0;
    std::vector<uint8_t> decoded;
    const auto pixels = bmp_decoded_pixels(file, *header, decoded, &status);
    if (!pixels) return 0;
    for (uint32_t y = 0; y < pixels->height(); ++y)
        if (pixels->row(y).size() < pixels->width()) std::abort();
    if (!pixels->row(pixels->height()).empty()) std::abort();

    const gridex::ConvertResult result = gridex::convert(*pixels, s);
    if (result.status == gridex::ConvertStatus::Ok) {
        // One 16-bit cell per 8x8 map tile, two 4-bit blocks per byte.
        const size_t cells = static_cast<size_t>(s.map.width / 8) * static_cast<size_t>(s.map.height / 8);
        if (result.map.size() != 2 * cells) std::abort();
    }
    return 0;
}
