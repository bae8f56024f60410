#pragma once
// Builders for bitmap resources and a per-pixel reference of the bitmap a
// viewer should receive, for the tests of the decoder and its plug-ins.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace frtest {

struct Resource {
    uint8_t mode = 0;
    uint8_t width = 1;   // tiles
    uint8_t height = 1;  // tiles
    std::array<uint8_t, 4> shades{0, 255, 0, 0};
    std::array<uint16_t, 16> colours{};
    std::vector<uint8_t> tiles;  // padded with a pattern when shorter than needed
};

// The length field the writer of a well-formed resource stores.
uint16_t paragraphs_for(uint8_t mode, uint8_t width, uint8_t height);
int bits_per_source_pixel(uint8_t mode);
// Tile data of every byte different from its neighbours.
std::vector<uint8_t> pattern_tiles(uint8_t mode, uint8_t width, uint8_t height);

std::vector<uint8_t> build(const Resource& r);
// With the same header but an explicit length field.
std::vector<uint8_t> build_with_length(const Resource& r, uint16_t paragraphs);

// Colour index of picture pixel (x, y), y = 0 the top, read straight from the
// tile layout one pixel at a time.
int source_index(const Resource& r, int x, int y);

// The whole expected information block (40-byte header + colour table) and
// pixel block, built pixel by pixel from source_index().
std::vector<uint8_t> expected_info(const Resource& r);
std::vector<uint8_t> expected_pixels(const Resource& r);

}  // namespace frtest
