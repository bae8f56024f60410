// The console's bitmap resource (.fr) through the viewer plug-in's entry
// points, from memory and from a file at an offset, plus the decoders the
// Qt image plug-in and the map converter use.
//
// Input: one option byte, then the resource.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "converters/iflmfr/fr_bitmap.h"
#include "converters/iflmfr/fr_map.h"
#include "converters/iflmfr/iflmfr.h"
#include "fuzz/fuzz_support.h"

namespace {

int abort_at;  // progress step at which the viewer cancels; 0 never

int progress(int step, int, intptr_t) {
    return abort_at != 0 && step == abort_at;
}

// Both blocks belong to the caller whatever the result; touching every byte
// makes the sanitizer check they are as large as the header says.
void check_blocks(void* info, void* pixels, const std::vector<uint8_t>& resource) {
    if (info && pixels) {
        const auto h = lumora::fr::parse_complete_bitmap(resource);
        if (!h) std::abort();
        volatile uint8_t sum = 0;
        const auto* ib = static_cast<const uint8_t*>(info);
        const auto* pb = static_cast<const uint8_t*>(pixels);
        for (size_t i = 0; i < h->info_block_bytes(); ++i) sum = sum + ib[i];
        for (size_t i = 0; i < h->pixel_block_bytes(); ++i) sum = sum + pb[i];
    }
    std::free(info);
    std::free(pixels);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lumora::fuzz::InputSplitter in(data, size);
    const uint8_t options = in.take_byte();
    // A buffer of exactly the resource's size, so any read past it is caught.
    const auto rest = in.rest();
    const std::vector<uint8_t> resource(rest.begin(), rest.end());
    const char* buf = reinterpret_cast<const char*>(resource.data());
    const auto len = static_cast<int32_t>(resource.size());

    // A viewer asking with the first bytes of a file: at least 2000 of them.
    std::vector<uint8_t> head(resource);
    if (head.size() < IFLMFR_SUPPORTED_BYTES) head.resize(IFLMFR_SUPPORTED_BYTES);
    IsSupported("x.fr", reinterpret_cast<intptr_t>(head.data()));

    PictureInfo info{};
    const uint32_t memory_flag = 1u + (options >> 5);  // any of bits 0-2 set
    GetPictureInfo(buf, len, memory_flag, &info);

    abort_at = options & 7;
    void* info_block = nullptr;
    void* pixel_block = nullptr;
    GetPicture(buf, len, memory_flag, &info_block, &pixel_block, (options & 8) ? progress : nullptr, 0);
    check_blocks(info_block, pixel_block, resource);

    if (options & 0x10) {
        // The same through a file, the resource starting at an offset.
        const size_t offset = options >> 5;
        std::vector<uint8_t> file(offset, 0xEE);
        file.insert(file.end(), resource.begin(), resource.end());
        const std::string path = lumora::fuzz::scratch().file("input.fr");
        if (lumora::fuzz::write_file(path, file)) {
            GetPictureInfo(path.c_str(), static_cast<int32_t>(offset), 0, &info);
            GetPicture(path.c_str(), static_cast<int32_t>(offset), 0, &info_block, &pixel_block, nullptr, 0);
            std::vector<uint8_t> from_offset(file.begin() + static_cast<long>(offset), file.end());
            check_blocks(info_block, pixel_block, from_offset);
        }
    }

    if (const auto dib = lumora::fr::decode_dib(resource)) {
        if (dib->info.size() < lumora::fr::kInfoHeaderSize) std::abort();
    }
    if (const auto image = lumora::fr::decode_indexed(resource)) {
        const size_t pixels = static_cast<size_t>(image->width) * static_cast<size_t>(image->height);
        if (image->indices.size() != pixels) std::abort();
        for (uint8_t index : image->indices)
            if (index >= image->palette.size()) std::abort();
    }
    if (const auto map = lumora::fr::parse_map_header(resource)) {
        map->tile_data_offset();
    }
    return 0;
}
