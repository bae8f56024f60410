#pragma once
// An 8-bit canvas for gridex tests: tiles are drawn from 64-pixel patterns in
// any of the four orientations.

#include <array>
#include <cstdint>
#include <vector>

#include "converters/testdata/bmp_builder.h"

namespace lumora::gridex::test {

using Tile = std::array<uint8_t, 64>;

// A tile unlike any other made with a different seed, with no symmetry.
inline Tile pattern(uint8_t seed, uint8_t palette = 0) {
    Tile t{};
    for (int i = 0; i < 64; ++i) t[i] = static_cast<uint8_t>(palette << 4 | ((seed * 7 + i * i + i / 3) & 0x0F));
    t[0] = static_cast<uint8_t>(palette << 4 | (seed & 0x0F));
    t[1] = static_cast<uint8_t>(palette << 4 | 0x0F);  // breaks mirror symmetry...
    t[8] = static_cast<uint8_t>(palette << 4 | 0x0E);  // ...and flip symmetry
    t[63] = static_cast<uint8_t>(palette << 4 | (seed >> 4));
    return t;
}

struct Canvas {
    int width;
    int height;
    std::vector<uint32_t> pixels;

    Canvas(int w, int h, uint8_t fill = 0) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

    void set(int x, int y, uint8_t v) { pixels[static_cast<size_t>(y) * width + x] = v; }
    uint8_t at(int x, int y) const { return static_cast<uint8_t>(pixels[static_cast<size_t>(y) * width + x]); }

    void draw(int x, int y, const Tile& t, bool mirrored = false, bool flipped = false) {
        for (int dy = 0; dy < 8; ++dy)
            for (int dx = 0; dx < 8; ++dx)
                set(x + dx, y + dy, t[(flipped ? 7 - dy : dy) * 8 + (mirrored ? 7 - dx : dx)]);
    }

    // With the palette number forced into every pixel's high nibble.
    void draw_in_palette(int x, int y, const Tile& t, uint8_t palette, bool mirrored = false,
                         bool flipped = false) {
        Tile p = t;
        for (auto& v : p) v = static_cast<uint8_t>(palette << 4 | (v & 0x0F));
        draw(x, y, p, mirrored, flipped);
    }

    std::vector<uint8_t> bmp(testdata::BmpLayout layout = {}) const {
        layout.width = width;
        layout.height = height;
        layout.bit_count = 8;
        return testdata::build_bmp(layout, pixels);
    }
};

}  // namespace lumora::gridex::test
