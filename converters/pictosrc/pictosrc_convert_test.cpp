#include "converters/pictosrc/pictosrc_convert.h"

#include <gtest/gtest.h>

#include <random>

#include "converters/pictosrc/pictosrc_test_picture.h"
#include "converters/pictosrc/pictosrc_text.h"

namespace lumora::pictosrc {
namespace {

using namespace test;

std::optional<std::string> text_of(const std::vector<uint8_t>& file, MergeMethod method = MergeMethod::Incremental,
                                   std::vector<size_t>* steps = nullptr) {
    auto h = parse_bmp_header(file);
    if (!h) return std::nullopt;
    auto p = bmp_pixels(file, *h);
    if (!p) return std::nullopt;
    ConvertHooks hooks;
    if (steps) hooks.merging = [steps](size_t n) { steps->push_back(n); };
    auto c = convert(*p, method, hooks);
    if (!c) return std::nullopt;
    return render(*c);
}

TEST(PictosrcConvert, TwoTilesSharingThreeColoursShareOnePalette) {
    EXPECT_EQ(text_of(two_tiles().bmp()), std::string(kTwoTilesText));
}

TEST(PictosrcConvert, SubsetReusesAPaletteButALargerTileStartsANewOne) {
    // Tiles: {red, green}, {red, green, blue} (more colours than palette 0
    // holds, so a new palette although it has all of palette 0's), {green}
    // (first palette that holds it: 0), {blue, red} (fits only palette 1).
    Picture p(32, 8);
    p.fill_tile(0, 0, kRed);
    p.at(7, 7) = kGreen;
    p.fill_tile(1, 0, kGreen);
    p.at(8, 0) = kRed;
    p.at(9, 0) = kBlue;
    p.fill_tile(2, 0, kGreen);
    p.fill_tile(3, 0, kBlue);
    p.at(31, 7) = kRed;
    const std::string expected =
        "unsigned short pal[][ 16] = {\n"
        "\t{ 0x000, 0xF00, 0xF0, },\n"
        "\t{ 0x000, 0xF00, 0xF, 0xF0, },\n"
        "};\n"
        "unsigned char palmask[] = {\n"
        "0x0, 0x1, 0x0, 0x1, \n"
        "};\n"
        "#define bmp_width 4\n"
        "#define bmp_height 1\n"
        "unsigned long bmp[] = {\n"
        "\t0x11111111, 0x11111111, 0x11111111, 0x11111111, 0x11111111, 0x11111111, 0x11111111, 0x12111111, \n"
        "\t0x33333312, 0x33333333, 0x33333333, 0x33333333, 0x33333333, 0x33333333, 0x33333333, 0x33333333, \n"
        "\t0x22222222, 0x22222222, 0x22222222, 0x22222222, 0x22222222, 0x22222222, 0x22222222, 0x22222222, \n"
        "\t0x22222222, 0x22222222, 0x22222222, 0x22222222, 0x22222222, 0x22222222, 0x22222222, 0x21222222, \n"
        "\n"
        "};\n";
    EXPECT_EQ(text_of(p.bmp()), expected);
}

TEST(PictosrcConvert, TileWithSixteenColoursLosesTheFirstClosestPair) {
    // Sixteen blues 0x00..0xF0, four pixels each, in order: the first two are
    // closest first and merge into blue 0; the rest keep their numbers - 1.
    Picture p(8, 8);
    for (int i = 0; i < 64; ++i) p.at(i % 8, i / 8) = static_cast<uint32_t>((i / 4) * 16);
    const auto text = text_of(p.bmp());
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("\t{ 0x000, 0x0, 0x2, 0x3, 0x4, 0x5, 0x6, 0x7, 0x8, 0x9, 0xA, 0xB, 0xC, 0xD, 0xE, 0xF, },\n"),
              std::string::npos)
        << *text;
    // Line 0 holds blues 0 and 1, now both colour 1; line 1 blues 2 and 3.
    EXPECT_NE(text->find("\t0x11111111, 0x33332222, "), std::string::npos) << *text;
}

TEST(PictosrcConvert, EveryRowOrderAndHeaderFlavourGivesTheSameText) {
    const Picture p = two_tiles();
    for (uint32_t info : {12u, 40u, 108u, 124u}) {
        testdata::BmpLayout l;
        l.info_size = info;
        EXPECT_EQ(text_of(p.bmp(l)), std::string(kTwoTilesText)) << info;
        if (info == 12) continue;
        l.top_down = true;
        EXPECT_EQ(text_of(p.bmp(l)), std::string(kTwoTilesText)) << info << " top-down";
    }
}

TEST(PictosrcConvert, SeventeenPalettesMergeOnceSixteenNotAtAll) {
    // Sixteen greys one step apart (cost 3 between neighbours) and a red far
    // from all of them: the first neighbour pair, greys 0 and 1, merges.
    Picture p(8 * 17, 8);
    for (int t = 0; t < 16; ++t) p.fill_tile(t, 0, static_cast<uint32_t>(t * 0x111111));
    p.fill_tile(16, 0, kRed);
    std::vector<size_t> steps;
    auto text = text_of(p.bmp(), MergeMethod::Incremental, &steps);
    ASSERT_TRUE(text);
    EXPECT_EQ(steps, (std::vector<size_t>{17}));
    EXPECT_NE(text->find("unsigned short pal[][ 16] = {\n\t{ 0x000, 0x0, 0x111, },\n\t{ 0x000, 0x222, },\n"),
              std::string::npos)
        << *text;
    EXPECT_NE(text->find("\t{ 0x000, 0xFFF, },\n\t{ 0x000, 0xF00, },\n};\n"), std::string::npos) << *text;
    EXPECT_NE(text->find("\n0x0, 0x0, 0x1, 0x2, 0x3, 0x4, 0x5, 0x6, 0x7, 0x8, 0x9, 0xA, 0xB, 0xC, 0xD, 0xE, 0xF, \n"),
              std::string::npos)
        << *text;

    Picture q(8 * 16, 8);
    for (int t = 0; t < 16; ++t) q.fill_tile(t, 0, static_cast<uint32_t>(t * 0x111111));
    steps.clear();
    text = text_of(q.bmp(), MergeMethod::Incremental, &steps);
    ASSERT_TRUE(text);
    EXPECT_TRUE(steps.empty());
}

// Both merging methods, whole text, on pictures of every kind of difficulty.
TEST(PictosrcConvert, IncrementalAndStraightforwardWriteTheSameText) {
    std::mt19937 rng(77);
    for (int round = 0; round < 12; ++round) {
        const int tiles_x = 3 + static_cast<int>(rng() % 5);
        const int tiles_y = 3 + static_cast<int>(rng() % 4);
        Picture p(tiles_x * 8, tiles_y * 8);
        const int pool = 2 + static_cast<int>(rng() % 40);
        std::vector<uint32_t> colours;
        for (int i = 0; i < pool; ++i) colours.push_back(rng() & 0xF0F0F0);
        for (int ty = 0; ty < tiles_y; ++ty) {
            for (int tx = 0; tx < tiles_x; ++tx) {
                const int in_tile = 1 + static_cast<int>(rng() % (round % 3 == 0 ? 64 : 6));
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x)
                        p.at(tx * 8 + x, ty * 8 + y) =
                            round % 3 == 0 ? static_cast<uint32_t>(rng() & 0xFFFFFF)
                                           : colours[(rng() % static_cast<uint32_t>(in_tile)) % colours.size()];
            }
        }
        const auto file = p.bmp();
        std::vector<size_t> fast_steps, slow_steps;
        const auto fast = text_of(file, MergeMethod::Incremental, &fast_steps);
        const auto slow = text_of(file, MergeMethod::Straightforward, &slow_steps);
        ASSERT_TRUE(fast);
        ASSERT_EQ(fast, slow) << "round " << round;
        EXPECT_EQ(fast_steps, slow_steps);
    }
}

}  // namespace
}  // namespace lumora::pictosrc
