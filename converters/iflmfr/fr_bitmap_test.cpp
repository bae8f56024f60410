#include "converters/iflmfr/fr_bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "converters/iflmfr/fr_test_data.h"

namespace {

using lumora::fr::decode_dib;
using lumora::fr::decode_indexed;
using lumora::fr::parse_bitmap_header;
using Bytes = std::vector<uint8_t>;

frtest::Resource resource(uint8_t mode, uint8_t w, uint8_t h) {
    frtest::Resource r;
    r.mode = mode;
    r.width = w;
    r.height = h;
    return r;
}

TEST(FrBitmapHeader, LengthRuleDecidesPerModeAndOddTileCount) {
    // Mode 0 with an odd tile count rounds the 8-byte tiles up to a paragraph.
    const auto r33 = resource(0, 3, 3);
    EXPECT_TRUE(parse_bitmap_header(frtest::build_with_length(r33, 6)));
    EXPECT_FALSE(parse_bitmap_header(frtest::build_with_length(r33, 5)));
    EXPECT_FALSE(parse_bitmap_header(frtest::build_with_length(r33, 7)));

    const auto r24 = resource(0, 2, 4);  // 8 tiles: 16 + 64 bytes = 5 paragraphs
    EXPECT_TRUE(parse_bitmap_header(frtest::build_with_length(r24, 5)));
    EXPECT_FALSE(parse_bitmap_header(frtest::build_with_length(r24, 6)));

    for (uint8_t mode : {1, 2}) {  // 16 + 16*6
        EXPECT_TRUE(parse_bitmap_header(frtest::build_with_length(resource(mode, 3, 2), 7))) << int(mode);
        EXPECT_FALSE(parse_bitmap_header(frtest::build_with_length(resource(mode, 3, 2), 8))) << int(mode);
    }
    for (uint8_t mode : {4, 5, 6, 7}) {  // 48 + 32*6
        EXPECT_TRUE(parse_bitmap_header(frtest::build_with_length(resource(mode, 3, 2), 15))) << int(mode);
        EXPECT_FALSE(parse_bitmap_header(frtest::build_with_length(resource(mode, 3, 2), 14))) << int(mode);
    }
    // The largest 4-bit pictures cannot state their length in 16 bits.
    EXPECT_FALSE(parse_bitmap_header(frtest::build_with_length(resource(4, 255, 255), 0xFFFF)));
}

TEST(FrBitmapHeader, RefusesUnknownModesBadMagicAndShortHeaders) {
    for (uint8_t mode : {3, 8, 0xFF}) {
        auto bytes = frtest::build(resource(4, 1, 1));
        bytes[10] = mode;
        EXPECT_FALSE(parse_bitmap_header(bytes)) << int(mode);
    }
    auto bytes = frtest::build(resource(0, 1, 1));
    ASSERT_TRUE(parse_bitmap_header(bytes));
    for (size_t i = 0; i < 4; ++i) {
        auto bad = bytes;
        bad[i] ^= 0x20;  // "fRBM", "FrBM", ...
        EXPECT_FALSE(parse_bitmap_header(bad)) << i;
    }
    EXPECT_FALSE(parse_bitmap_header(std::span(bytes).first(15)));
    EXPECT_TRUE(parse_bitmap_header(std::span(bytes).first(16)));
}

TEST(FrBitmapHeader, CompletenessNeedsEveryTileByte) {
    const auto r = resource(0, 3, 3);  // 16 + 72 bytes content, length field says 96
    const auto bytes = frtest::build(r);
    ASSERT_EQ(bytes.size(), 88u);
    EXPECT_TRUE(lumora::fr::parse_complete_bitmap(bytes));
    EXPECT_FALSE(lumora::fr::parse_complete_bitmap(std::span(bytes).first(87)));
}

TEST(FrBitmapDecode, OneBitOddWidthRowsArePaddedToFourBytes) {
    auto r = resource(0, 3, 2);
    r.shades = {0, 255, 7, 7};
    r.tiles.clear();
    for (int t = 0; t < 6; ++t)
        for (int l = 0; l < 8; ++l) r.tiles.push_back(static_cast<uint8_t>(t << 4 | l));
    const auto dib = decode_dib(frtest::build(r));
    ASSERT_TRUE(dib);
    const Bytes info = {40, 0, 0, 0, 24, 0, 0, 0, 16, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 64, 0, 0, 0, 0, 0, 0,
                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                        // white (shade 0), black (shade 255)
                        255, 255, 255, 0, 0, 0, 0, 0};
    EXPECT_EQ(dib->info, info);
    Bytes pixels;
    for (int row = 0; row < 16; ++row) {  // bottom row first: tile row 1, line 7
        const int ty = row < 8 ? 1 : 0, line = 7 - row % 8;
        for (int tx = 0; tx < 3; ++tx) pixels.push_back(static_cast<uint8_t>((ty * 3 + tx) << 4 | line));
        pixels.push_back(0);
    }
    EXPECT_EQ(dib->pixels, pixels);
}

TEST(FrBitmapDecode, TwoBitPlanesBecomeNibblesWithGreyTable) {
    for (uint8_t mode : {1, 2}) {
        auto r = resource(mode, 1, 1);
        r.shades = {0, 85, 170, 255};
        // Line 0 shows colours 0,1,2,3,0,1,2,3; the other lines colour 3 everywhere.
        r.tiles = {0x55, 0x33};
        for (int l = 1; l < 8; ++l) r.tiles.insert(r.tiles.end(), {0xFF, 0xFF});
        const auto dib = decode_dib(frtest::build(r));
        ASSERT_TRUE(dib);
        ASSERT_EQ(dib->info.size(), 40u + 64u);
        EXPECT_EQ(dib->info[14], 4);  // delivered as 4 bits per pixel
        const Bytes table(dib->info.begin() + 40, dib->info.end());
        Bytes want = {255, 255, 255, 0, 170, 170, 170, 0, 85, 85, 85, 0, 0, 0, 0, 0};
        want.resize(64, 0);  // entries 4-15 black
        EXPECT_EQ(table, want);
        ASSERT_EQ(dib->pixels.size(), 32u);
        EXPECT_EQ(Bytes(dib->pixels.end() - 4, dib->pixels.end()), (Bytes{0x01, 0x23, 0x01, 0x23}));
        EXPECT_EQ(Bytes(dib->pixels.begin(), dib->pixels.begin() + 4), (Bytes{0x33, 0x33, 0x33, 0x33}));
    }
}

TEST(FrBitmapDecode, FourBitPlanarAndPackedAndColourWords) {
    auto planar = resource(4, 1, 1);
    planar.colours = {0x0000, 0x0F00, 0x00F0, 0x000F, 0x0FFF, 0xF123, 0x0888};
    // Filled into a tile of full size: GCC 12 at -O3 misreads growing a
    // short vector as an overflow (-Warray-bounds).
    planar.tiles.assign(32, 0);
    const uint8_t planes[] = {0x55, 0x33, 0x0F, 0x00, 0x55, 0x33, 0x0F, 0xFF};  // 0..7, then 8..15
    std::copy(std::begin(planes), std::end(planes), planar.tiles.begin());
    for (uint8_t mode : {4, 6}) {
        planar.mode = mode;
        const auto dib = decode_dib(frtest::build(planar));
        ASSERT_TRUE(dib);
        const Bytes top(dib->pixels.end() - 4, dib->pixels.end());
        const Bytes second(dib->pixels.end() - 8, dib->pixels.end() - 4);
        EXPECT_EQ(top, (Bytes{0x01, 0x23, 0x45, 0x67}));
        EXPECT_EQ(second, (Bytes{0x89, 0xAB, 0xCD, 0xEF}));
        const Bytes colours(dib->info.begin() + 40, dib->info.begin() + 68);
        EXPECT_EQ(colours, (Bytes{0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0,
                                  // high nibble of 0xF123 ignored
                                  0x33, 0x22, 0x11, 0, 0x88, 0x88, 0x88, 0}));
    }
    for (uint8_t mode : {5, 7}) {
        auto packed = resource(mode, 1, 1);
        packed.tiles.assign(32, 0xEE);
        const uint8_t first[] = {0x01, 0x23, 0x45, 0x67};
        std::copy(std::begin(first), std::end(first), packed.tiles.begin());
        const auto dib = decode_dib(frtest::build(packed));
        ASSERT_TRUE(dib);
        EXPECT_EQ(Bytes(dib->pixels.end() - 4, dib->pixels.end()), (Bytes{0x01, 0x23, 0x45, 0x67}));
        EXPECT_EQ(Bytes(dib->pixels.begin(), dib->pixels.begin() + 4), (Bytes{0xEE, 0xEE, 0xEE, 0xEE}));
    }
}

TEST(FrBitmapDecode, IndexedImageIsTopDownWithArgbPalette) {
    auto r = resource(5, 2, 2);
    r.colours[0] = 0x0F00;
    r.colours[9] = 0x00F0;
    const auto img = decode_indexed(frtest::build(r));
    ASSERT_TRUE(img);
    ASSERT_EQ(img->width, 16);
    ASSERT_EQ(img->height, 16);
    ASSERT_EQ(img->palette.size(), 16u);
    EXPECT_EQ(img->palette[0], 0xFFFF0000u);
    EXPECT_EQ(img->palette[9], 0xFF00FF00u);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(img->indices[static_cast<size_t>(y * 16 + x)], frtest::source_index(r, x, y))
                << x << ',' << y;

    auto mono = resource(0, 1, 1);
    mono.tiles = {0x80, 0, 0, 0, 0, 0, 0, 0x01};
    const auto m = decode_indexed(frtest::build(mono));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->indices[0], 1);   // top-left
    EXPECT_EQ(m->indices[63], 1);  // bottom-right
    EXPECT_EQ(m->indices[7], 0);
    EXPECT_EQ(m->palette, (std::vector<uint32_t>{0xFFFFFFFFu, 0xFF000000u}));
}

}  // namespace
