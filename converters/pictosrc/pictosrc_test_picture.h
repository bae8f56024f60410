#pragma once
// 24-bit test pictures for pictosrc, pixels as 0xRRGGBB, top row first.

#include <cstdint>
#include <vector>

#include "converters/testdata/bmp_builder.h"

namespace lumora::pictosrc::test {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;

struct Picture {
    int width;
    int height;
    std::vector<uint32_t> pixels;

    Picture(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
    uint32_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    void fill_tile(int tx, int ty, uint32_t rgb) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) at(tx * 8 + x, ty * 8 + y) = rgb;
    }
    std::vector<uint8_t> bmp(testdata::BmpLayout layout = {}) const {
        layout.width = width;
        layout.height = height;
        layout.bit_count = 24;
        return testdata::build_bmp(layout, pixels);
    }
};

// Two tiles with the same three colours: red, green and blue by first
// appearance; the C text for it is kTwoTilesText.
inline Picture two_tiles() {
    Picture p(16, 8);
    const uint32_t first_row[8] = {kRed, kGreen, kBlue, kRed, kRed, kRed, kRed, kGreen};
    for (int x = 0; x < 8; ++x) p.at(x, 0) = first_row[x];
    for (int y = 1; y < 4; ++y)
        for (int x = 0; x < 8; ++x) p.at(x, y) = kGreen;
    for (int y = 4; y < 8; ++y)
        for (int x = 0; x < 8; ++x) p.at(x, y) = kBlue;
    // Second tile: a blue top line over red, all colours of the first palette.
    for (int x = 8; x < 16; ++x) p.at(x, 0) = kBlue;
    for (int y = 1; y < 8; ++y)
        for (int x = 8; x < 16; ++x) p.at(x, y) = kRed | 0x0F0F0F;  // low bits are cut away
    return p;
}

inline constexpr const char* kTwoTilesText =
    "unsigned short pal[][ 16] = {\n"
    "\t{ 0x000, 0xF00, 0xF0, 0xF, },\n"
    "};\n"
    "unsigned char palmask[] = {\n"
    "0x0, 0x0, \n"
    "};\n"
    "#define bmp_width 2\n"
    "#define bmp_height 1\n"
    "unsigned long bmp[] = {\n"
    "\t0x12113112, 0x22222222, 0x22222222, 0x22222222, 0x33333333, 0x33333333, 0x33333333, 0x33333333, \n"
    "\t0x33333333, 0x11111111, 0x11111111, 0x11111111, 0x11111111, 0x11111111, 0x11111111, 0x11111111, \n"
    "\n"
    "};\n";

}  // namespace lumora::pictosrc::test
