#pragma once
// The tiled map resource: an 18-byte header, a palette block, one attribute
// byte per tile and the tile data (32 bytes per tile, rows of W tiles).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace lumora::fr {

inline constexpr size_t kMapHeaderSize = 18;
inline constexpr size_t kMapTileBytes = 32;

struct MapHeader {
    std::array<uint8_t, kMapHeaderSize> raw{};  // carried over verbatim by converters
    uint8_t width_tiles = 0;
    uint8_t height_tiles = 0;
    uint8_t palette_count = 0;
    uint8_t first_colour = 0;  // c0
    uint8_t end_colour = 0;    // c1

    // 2 bytes per colour entry; 0 when c1 < c0 (see colour_range_valid()).
    size_t palette_bytes() const;
    size_t attribute_bytes() const { return size_t{width_tiles} * height_tiles; }
    size_t palette_offset() const { return kMapHeaderSize; }
    size_t attribute_offset() const { return kMapHeaderSize + palette_bytes(); }
    size_t tile_data_offset() const { return attribute_offset() + attribute_bytes(); }
    bool colour_range_valid() const { return end_colour >= first_colour; }
};

// nullopt when fewer than 18 bytes are given.
std::optional<MapHeader> parse_map_header(std::span<const uint8_t> data);

}  // namespace lumora::fr
