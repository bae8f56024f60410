#include "converters/gridex/gridex_convert.h"

#include <gtest/gtest.h>

#include <random>

#include "converters/gridex/gridex_test_picture.h"

namespace lumora::gridex {
namespace {

using test::Canvas;
using test::pattern;

struct Loaded {
    std::vector<uint8_t> file;
    BmpPixels pixels;
};

Loaded load(const Canvas& c) {
    Loaded l{c.bmp(), {}};
    auto h = parse_bmp_header(l.file);
    EXPECT_TRUE(h);
    auto p = bmp_pixels(l.file, *h);
    EXPECT_TRUE(p);
    l.pixels = *p;
    return l;
}

std::vector<uint16_t> cells(const std::vector<uint8_t>& map) {
    std::vector<uint16_t> v;
    for (size_t i = 0; i + 1 < map.size(); i += 2) v.push_back(static_cast<uint16_t>(map[i] | map[i + 1] << 8));
    return v;
}

// Picture 96×32: map area 4×2 cells at (0,0), parts area 3×2 parts at (32,0),
// attribute area at (0,16) with the map's size (32×16: two blocks in a row).
Settings layout(int base = 0) {
    Settings s;
    s.map = {0, 0, 32, 16};
    s.attr_x = 0;
    s.attr_y = 16;
    s.parts = {32, 0, 24, 16};
    s.base = base;
    return s;
}

void draw_parts(Canvas& c) {
    for (int p = 0; p < 6; ++p) c.draw(32 + 8 * (p % 3), 8 * (p / 3), pattern(static_cast<uint8_t>(p + 1)));
}

TEST(GridexConvert, WholeMapWithOrientationsPalettesAndBase) {
    // Top row: part 5 mirrored, part 0, part 4 flipped, part 1 both ways.
    // Bottom row: part 3, part 2 mirrored, part 5, part 0 flipped. Part 5 is
    // drawn in palette 3, so cells made of it carry that palette number.
    Canvas d(96, 32);
    draw_parts(d);
    d.draw_in_palette(32 + 16, 8, pattern(6), 3);  // part 5 lives in palette 3
    d.draw_in_palette(0, 0, pattern(6), 3, true, false);
    d.draw(8, 0, pattern(1));
    d.draw(16, 0, pattern(5), false, true);
    d.draw(24, 0, pattern(2), true, true);
    d.draw(0, 8, pattern(4));
    d.draw(8, 8, pattern(3), true);
    d.draw_in_palette(16, 8, pattern(6), 3);
    d.draw(24, 8, pattern(1), false, true);
    auto pic2 = load(d);
    const auto r2 = convert(pic2.pixels, layout(0x20));
    ASSERT_EQ(r2.status, ConvertStatus::Ok);
    const std::vector<uint16_t> expected = {
        0x4005 + 3 * 512 + 0x20, 0x0000 + 0x20, 0x8004 + 0x20, 0xC001 + 0x20,
        0x0003 + 0x20,           0x4002 + 0x20, 0x0005 + 3 * 512 + 0x20, 0x8000 + 0x20,
    };
    EXPECT_EQ(cells(r2.map), expected);
    EXPECT_EQ(r2.map.size(), 16u);
}

TEST(GridexConvert, FirstPartWinsAndOrientationsAreTriedInOrder) {
    // Part 0 is part 2 upside down: a cell equal to part 2 unchanged is taken
    // as part 0 flipped, because lower part indices are tried first.
    Canvas c(96, 32);
    draw_parts(c);
    c.draw(32, 0, pattern(9), false, true);  // part 0
    c.draw(48, 0, pattern(9));               // part 2
    // Part 1 is symmetric left to right: stored without the mirror bit.
    test::Tile sym = pattern(4);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x) sym[y * 8 + 7 - x] = sym[y * 8 + x];
    c.draw(40, 0, sym);
    c.draw(0, 0, pattern(9));
    c.draw(8, 0, sym);
    c.draw(16, 0, sym, true);
    c.draw(24, 0, pattern(9), true, true);  // part 0 mirrored
    for (int x = 0; x < 32; x += 8) c.draw(x, 8, pattern(9), false, true);
    auto pic = load(c);
    const auto r = convert(pic.pixels, layout());
    ASSERT_EQ(r.status, ConvertStatus::Ok);
    EXPECT_EQ(cells(r.map), (std::vector<uint16_t>{0x8000, 0x0001, 0x0001, 0x4000, 0, 0, 0, 0}));
}

TEST(GridexConvert, CellValuesAreKeptToSixteenBits) {
    Canvas c(96, 32);
    draw_parts(c);
    for (int i = 0; i < 8; ++i) c.draw(8 * (i % 4), 8 * (i / 4), pattern(2));  // part 1
    auto pic = load(c);
    auto r = convert(pic.pixels, layout(0xFFFF));
    ASSERT_EQ(r.status, ConvertStatus::Ok);
    EXPECT_EQ(cells(r.map), std::vector<uint16_t>(8, 0x0000));
    r = convert(pic.pixels, layout(-2));
    EXPECT_EQ(cells(r.map), std::vector<uint16_t>(8, 0xFFFF));
}

TEST(GridexConvert, UnmatchedCellIsReportedWithItsOffsetAndNothingIsProduced) {
    Canvas c(96, 32);
    draw_parts(c);
    for (int i = 0; i < 8; ++i) c.draw(8 * (i % 4), 8 * (i / 4), pattern(1));
    c.set(16 + 3, 8 + 4, 0x77);  // cell column 2, row 1 now matches nothing
    auto pic = load(c);
    const auto r = convert(pic.pixels, layout());
    EXPECT_EQ(r.status, ConvertStatus::Disagreement);
    EXPECT_EQ(r.cell_x, 16);
    EXPECT_EQ(r.cell_y, 8);
    EXPECT_TRUE(r.map.empty());
    EXPECT_TRUE(r.attributes.empty());
}

TEST(GridexConvert, AttributesPackTwoBlocksPerByteAndBorrowTheNextBlockWhenOdd) {
    // Attribute area 48 wide: three blocks per row, two bytes per row; the low
    // nibble of the second byte comes from the block just right of the area.
    Canvas c(96, 64);
    const uint8_t values[2][4] = {{0x31, 0x42, 0x53, 0x6C}, {0x0A, 0x1B, 0x2C, 0x3D}};
    for (int r = 0; r < 2; ++r)
        for (int b = 0; b < 4; ++b) c.set(16 * b, 32 + 16 * r, values[r][b]);
    Settings s;
    s.map = {0, 0, 48, 32};
    s.attr_x = 0;
    s.attr_y = 32;
    s.parts = {48, 0, 8, 8};
    auto pic = load(c);  // map and parts all zero pixels: every cell is part 0
    auto r = convert(pic.pixels, s);
    ASSERT_EQ(r.status, ConvertStatus::Ok);
    EXPECT_EQ(r.attributes, (std::vector<uint8_t>{0x12, 0x3C, 0xAB, 0xCD}));

    // The block right of the area lies off the picture: its nibble is 0.
    s.attr_x = 48;
    c = Canvas(96, 64);
    c.set(48, 32, 0x05);
    c.set(64, 32, 0x06);
    c.set(80, 32, 0x07);
    c.set(48, 48, 0x08);
    auto pic2 = load(c);
    r = convert(pic2.pixels, s);
    ASSERT_EQ(r.status, ConvertStatus::Ok);
    EXPECT_EQ(r.attributes, (std::vector<uint8_t>{0x56, 0x70, 0x80, 0x00}));
}

TEST(GridexConvert, AreasOutsideThePictureAreRefused) {
    Canvas c(96, 32);
    auto pic = load(c);
    auto check = [&](Settings s, const char* area) {
        const auto r = convert(pic.pixels, s);
        EXPECT_EQ(r.status, ConvertStatus::AreaOutside) << area;
        EXPECT_EQ(r.area, area);
    };
    Settings s = layout();
    s.map.x = 72;  // 4 cells from x 72 reach x 104
    check(s, "map");
    s = layout();
    s.map.y = -8;
    check(s, "map");
    s = layout();
    s.map.width = -8;
    check(s, "map");
    s = layout();
    s.attr_y = 24;  // one 16-pixel block row from y 24 reaches y 40
    check(s, "attribute");
    s = layout();
    s.parts.height = 40;
    check(s, "parts");
    s = layout();
    s.parts.x = INT32_MAX - 4;
    check(s, "parts");

    // Exactly touching the right and bottom edges is fine; widths are used in
    // whole tiles, so 39 wide means four cells.
    s = layout();
    s.map = {64, 16, 39, 16};
    s.attr_x = 64;
    s.attr_y = 16;
    s.parts = {0, 0, 8, 8};
    const auto r = convert(pic.pixels, s);
    EXPECT_EQ(r.status, ConvertStatus::Ok);
    EXPECT_EQ(r.map.size(), 4u * 2u * 2u);
    EXPECT_EQ(r.attributes.size(), 1u);
}

TEST(GridexConvert, RandomSettingsNeverReadOutsideThePicture) {
    Canvas c(64, 48);
    std::mt19937 rng(7);
    for (auto& v : c.pixels) v = rng() % 3;
    auto pic = load(c);
    for (int round = 0; round < 4000; ++round) {
        auto v = [&] { return static_cast<int>(rng() % 90) - 10; };
        Settings s;
        s.map = {v(), v(), v(), v()};
        s.attr_x = v();
        s.attr_y = v();
        s.parts = {v(), v(), v(), v()};
        s.base = v();
        const auto r = convert(pic.pixels, s);
        if (r.status == ConvertStatus::Ok) {
            EXPECT_EQ(r.map.size(), 2u * (s.map.width / 8) * (s.map.height / 8));
        }
    }
}

}  // namespace
}  // namespace lumora::gridex
