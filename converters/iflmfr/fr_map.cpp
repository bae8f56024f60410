#include "converters/iflmfr/fr_map.h"

#include <algorithm>

namespace lumora::fr {

size_t MapHeader::palette_bytes() const {
    if (!colour_range_valid()) return 0;
    return size_t{palette_count} * (end_colour - first_colour) * 2;
}

std::optional<MapHeader> parse_map_header(std::span<const uint8_t> data) {
    if (data.size() < kMapHeaderSize) return std::nullopt;
    MapHeader h;
    std::copy_n(data.begin(), kMapHeaderSize, h.raw.begin());
    h.width_tiles = data[8];
    h.height_tiles = data[9];
    h.palette_count = data[13];
    h.first_colour = data[14];
    h.end_colour = data[15];
    return h;
}

}  // namespace lumora::fr
