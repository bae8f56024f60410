#include "converters/iflmfr/fr_test_data.h"

namespace frtest {

int bits_per_source_pixel(uint8_t mode) {
    if (mode == 0) return 1;
    if (mode == 1 || mode == 2) return 2;
    return 4;
}

uint16_t paragraphs_for(uint8_t mode, uint8_t width, uint8_t height) {
    const unsigned tiles = unsigned{width} * height;
    const int bits = bits_per_source_pixel(mode);
    const unsigned header = bits == 4 ? 48 : 16;
    const unsigned bytes = header + tiles * 8u * static_cast<unsigned>(bits);
    return static_cast<uint16_t>((bytes + 15) / 16);
}

std::vector<uint8_t> pattern_tiles(uint8_t mode, uint8_t width, uint8_t height) {
    const size_t n = size_t{width} * height * 8u * static_cast<size_t>(bits_per_source_pixel(mode));
    std::vector<uint8_t> tiles(n);
    for (size_t i = 0; i < n; ++i) tiles[i] = static_cast<uint8_t>(i * 37 + 11 + (i >> 8));
    return tiles;
}

std::vector<uint8_t> build_with_length(const Resource& r, uint16_t paragraphs) {
    // Byte by byte: GCC 12 at -O3 misreads the block copies of
    // vector::insert here as overflows.
    const uint8_t head[] = {'F',
                            'R',
                            'B',
                            'M',
                            static_cast<uint8_t>(paragraphs),
                            static_cast<uint8_t>(paragraphs >> 8),
                            0xAA,
                            0x55,
                            r.width,
                            r.height,
                            r.mode,
                            0x99};
    std::vector<uint8_t> out;
    for (uint8_t b : head) out.push_back(b);
    for (uint8_t b : r.shades) out.push_back(b);
    if (bits_per_source_pixel(r.mode) == 4) {
        for (uint16_t c : r.colours) {
            out.push_back(static_cast<uint8_t>(c));
            out.push_back(static_cast<uint8_t>(c >> 8));
        }
    }
    std::vector<uint8_t> tiles = r.tiles;
    const auto pattern = pattern_tiles(r.mode, r.width, r.height);
    for (size_t i = tiles.size(); i < pattern.size(); ++i) tiles.push_back(pattern[i]);
    for (uint8_t b : tiles) out.push_back(b);
    return out;
}

std::vector<uint8_t> build(const Resource& r) {
    return build_with_length(r, paragraphs_for(r.mode, r.width, r.height));
}

namespace {
uint8_t tile_byte(const Resource& r, size_t index) {
    if (index < r.tiles.size()) return r.tiles[index];
    return pattern_tiles(r.mode, r.width, r.height)[index];
}
int bit(uint8_t byte, int p) {
    return (byte >> (7 - p)) & 1;
}
}  // namespace

int source_index(const Resource& r, int x, int y) {
    const int tx = x / 8, ty = y / 8, line = y % 8, p = x % 8;
    const int bits = bits_per_source_pixel(r.mode);
    const size_t tile_size = 8u * static_cast<size_t>(bits);
    const size_t line_start =
        (static_cast<size_t>(ty) * r.width + tx) * tile_size + static_cast<size_t>(line) * bits;
    if (r.mode == 0) return bit(tile_byte(r, line_start), p);
    if (bits == 2) return bit(tile_byte(r, line_start), p) + 2 * bit(tile_byte(r, line_start + 1), p);
    if (r.mode == 4 || r.mode == 6) {
        int v = 0;
        for (int k = 0; k < 4; ++k) v += bit(tile_byte(r, line_start + k), p) << k;
        return v;
    }
    const uint8_t packed = tile_byte(r, line_start + static_cast<size_t>(p / 2));
    return p % 2 == 0 ? packed >> 4 : packed & 0xF;
}

static void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

std::vector<uint8_t> expected_info(const Resource& r) {
    const int w = 8 * r.width, h = 8 * r.height;
    const bool one_bit = r.mode == 0;
    std::vector<uint8_t> info;
    put32(info, 40);
    put32(info, static_cast<uint32_t>(w));
    put32(info, static_cast<uint32_t>(h));
    info.push_back(1), info.push_back(0);
    info.push_back(one_bit ? 1 : 4), info.push_back(0);
    put32(info, 0);
    put32(info, static_cast<uint32_t>(expected_pixels(r).size()));
    for (int i = 0; i < 4; ++i) put32(info, 0);
    const int entries = one_bit ? 2 : 16;
    for (int i = 0; i < entries; ++i) {
        uint8_t red = 0, green = 0, blue = 0;
        if (bits_per_source_pixel(r.mode) == 4) {
            red = static_cast<uint8_t>(((r.colours[i] >> 8) & 15) * 17);
            green = static_cast<uint8_t>(((r.colours[i] >> 4) & 15) * 17);
            blue = static_cast<uint8_t>((r.colours[i] & 15) * 17);
        } else if (i < (one_bit ? 2 : 4)) {
            red = green = blue = static_cast<uint8_t>(255 - r.shades[i]);
        }
        info.insert(info.end(), {blue, green, red, 0});
    }
    return info;
}

std::vector<uint8_t> expected_pixels(const Resource& r) {
    const int w = 8 * r.width, h = 8 * r.height;
    const bool one_bit = r.mode == 0;
    const size_t stride = one_bit ? static_cast<size_t>((w / 8 + 3) / 4 * 4) : static_cast<size_t>(w / 2);
    std::vector<uint8_t> pixels(stride * static_cast<size_t>(h), 0);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = pixels.data() + stride * static_cast<size_t>(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const int v = source_index(r, x, y);
            if (one_bit)
                row[x / 8] = static_cast<uint8_t>(row[x / 8] | (v << (7 - x % 8)));
            else
                row[x / 2] = static_cast<uint8_t>(row[x / 2] | (x % 2 == 0 ? v << 4 : v));
        }
    }
    return pixels;
}

}  // namespace frtest
