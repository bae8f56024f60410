#include "converters/pictosrc/pictosrc_app.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "converters/pictosrc/pictosrc_test_picture.h"
#include "converters/testdata/full_disk.h"
#include "tests/support/scratch_folder_test.h"

namespace lumora::pictosrc {
namespace {

namespace fs = std::filesystem;
using namespace test;

class PictosrcApp : public lumora::testing::ScratchFolderTest {
  protected:
    std::string read(const std::string& name) const { return read_text(name); }
    int run_with(const std::vector<std::string>& args) {
        std::ostringstream out;
        const int status = run(args, out);
        output_ = out.str();
        return status;
    }

    // 0 exactly when the text was written, else 1.
    void expect_status_matches_outcome(int status) const {
        const bool written = output_.find("ファイルへの出力完了") != std::string::npos;
        EXPECT_EQ(status, written ? 0 : 1) << output_;
    }

    std::string output_;
};

TEST_F(PictosrcApp, ConvertsWithProgressLines) {
    write("in.bmp", two_tiles().bmp());
    EXPECT_EQ(run_with({path("in.bmp"), path("out.h")}), 0);
    EXPECT_EQ(output_,
              "ファイルの読み込み成功\n"
              "減色処理を開始します\n"
              "減色完了\n"
              "ファイルへの出力完了\n");
    EXPECT_EQ(read("out.h"), kTwoTilesText);
}

TEST_F(PictosrcApp, PrintsThePaletteCountBeforeEachMergingStep) {
    Picture p(8 * 18, 8);
    for (int t = 0; t < 16; ++t) p.fill_tile(t, 0, static_cast<uint32_t>(t * 0x111111));
    p.fill_tile(16, 0, kRed);
    p.fill_tile(17, 0, kGreen);
    write("in.bmp", p.bmp());
    EXPECT_EQ(run_with({path("in.bmp"), path("out.h")}), 0);
    EXPECT_EQ(output_,
              "ファイルの読み込み成功\n"
              "減色処理を開始します\n"
              "現在のパレット数:18\n"
              "現在のパレット数:17\n"
              "減色完了\n"
              "ファイルへの出力完了\n");
}

TEST_F(PictosrcApp, InputProblemsEndTheRunWithoutOutput) {
    struct Case {
        std::vector<uint8_t> bytes;
        const char* message;
    };
    testdata::BmpLayout eight;
    eight.bit_count = 8;
    eight.width = 8;
    eight.height = 8;
    testdata::BmpLayout thirty_two = eight;
    thirty_two.bit_count = 32;
    thirty_two.compression = 3;
    auto truncated = two_tiles().bmp();
    truncated.resize(truncated.size() - 3);
    testdata::BmpLayout rle;
    rle.compression = 1;
    const std::vector<Case> cases = {
        {testdata::build_bmp(eight, std::vector<uint32_t>(64, 1)), "24bitじゃありません\n"},
        {testdata::build_bmp(thirty_two, std::vector<uint32_t>(64, 0xFF102030)), "24bitじゃありません\n"},
        {Picture(100, 8).bmp(), "画像データのサイズが不正\n"},
        {Picture(16, 12).bmp(), "画像データのサイズが不正\n"},
        {truncated, "画像データのサイズが不正\n"},
        {{'B', 'A', 0, 0}, "ファイルのオープンに失敗\n"},
        {{}, "ファイルのオープンに失敗\n"},
        {two_tiles().bmp(rle), "ファイルのオープンに失敗\n"},
    };
    for (const Case& c : cases) {
        write("in.bmp", c.bytes);
        EXPECT_EQ(run_with({path("in.bmp"), path("out.h")}), 1);
        EXPECT_EQ(output_, c.message);
        EXPECT_FALSE(fs::exists(path("out.h")));
    }
    EXPECT_EQ(run_with({path("missing.bmp"), path("out.h")}), 1);
    EXPECT_EQ(output_, "ファイルのオープンに失敗\n");
    EXPECT_EQ(run_with({dir_.string(), path("out.h")}), 1);
    EXPECT_EQ(output_, "ファイルのオープンに失敗\n");
}

TEST_F(PictosrcApp, OutputThatCannotBeCreatedIsReported) {
    write("in.bmp", two_tiles().bmp());
    EXPECT_EQ(run_with({path("in.bmp"), path("no/such/out.h")}), 1);
    EXPECT_EQ(output_,
              "ファイルの読み込み成功\n"
              "減色処理を開始します\n"
              "減色完了\n"
              "出力ファイルの作成に失敗: " +
                  path("no/such/out.h") + "\n");
}

TEST_F(PictosrcApp, FullDiskKeepsTheOldOutput) {
    write("in.bmp", two_tiles().bmp());
    write("out.h", "/* the header of an earlier run */\n");
    const int status = testdata::run_with_full_disk(64, [&] {
        std::ostringstream ignored;
        return run({path("in.bmp"), path("out.h")}, ignored);
    });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(read("out.h"), "/* the header of an earlier run */\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2)
        << "a fragment was left";
}

TEST_F(PictosrcApp, WrongArgumentCountAndHelp) {
    EXPECT_EQ(run_with({}), 2);
    EXPECT_EQ(output_, "パラメータ数が合いません\n");
    EXPECT_EQ(run_with({"a", "b", "c"}), 2);
    EXPECT_EQ(output_, "パラメータ数が合いません\n");
    EXPECT_EQ(run_with({"--help"}), 0);
    EXPECT_EQ(output_.rfind("usage: pictosrc", 0), 0u);
    EXPECT_NE(output_.find("Exit status: 0"), std::string::npos) << output_;
}

TEST_F(PictosrcApp, ProgramWritesAhInTheCurrentFolderWithOnlyAnInput) {
    write("in.bmp", two_tiles().bmp());
    const std::string cmd = "cd '" + dir_.string() + "' && '" LUMORA_BIN_DIR "/pictosrc' in.bmp > log.txt";
    const int st = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(st));
    EXPECT_EQ(WEXITSTATUS(st), 0);
    EXPECT_EQ(read("a.h"), kTwoTilesText);
    EXPECT_EQ(read("log.txt"),
              "ファイルの読み込み成功\n減色処理を開始します\n減色完了\nファイルへの出力完了\n");
}

// 24-bit pictures as ImageMagick writes them (124-byte header by default, 40
// bytes as BMP3) and as GIMP's export writes them by default (124-byte header
// with its own resolution and rendering intent); an 8-bit palette picture from
// ImageMagick is run-length coded, GIMP's is not.
TEST_F(PictosrcApp, PicturesOfCommonToolsConvert) {
    for (const char* name :
         {"pictosrc_two_tiles_im.bmp", "pictosrc_two_tiles_im_bmp3.bmp", "pictosrc_two_tiles_gimp.bmp"}) {
        const std::string fixture = std::string(LUMORA_SOURCE_DIR "/converters/testdata/") + name;
        EXPECT_EQ(run_with({fixture, path("out.h")}), 0);
        EXPECT_EQ(output_, "ファイルの読み込み成功\n減色処理を開始します\n減色完了\nファイルへの出力完了\n")
            << name;
        EXPECT_EQ(read("out.h"), kTwoTilesText) << name;
    }
    for (const char* name : {"gridex_scene_im.bmp", "gridex_scene_gimp.bmp"}) {
        const std::string fixture = std::string(LUMORA_SOURCE_DIR "/converters/testdata/") + name;
        EXPECT_EQ(run_with({fixture, path("x.h")}), 1);
        EXPECT_EQ(output_, "24bitじゃありません\n") << name;
        EXPECT_FALSE(fs::exists(path("x.h"))) << name;
    }
}

TEST_F(PictosrcApp, MutatedPicturesNeverCrash) {
    Picture p(24, 16);
    std::mt19937 rng(5);
    for (auto& v : p.pixels) v = rng() & 0xFFFFFF;
    std::vector<std::vector<uint8_t>> seeds = {p.bmp()};
    testdata::BmpLayout v5;
    v5.info_size = 124;
    v5.top_down = true;
    seeds.push_back(p.bmp(v5));
    testdata::BmpLayout core;
    core.info_size = 12;
    seeds.push_back(p.bmp(core));
    for (const auto& seed : seeds) {
        for (size_t n = 0; n < seed.size(); n += 7) {
            write("in.bmp",
                  std::vector<uint8_t>(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(n)));
            expect_status_matches_outcome(run_with({path("in.bmp"), path("out.h")}));
        }
        for (int round = 0; round < 80; ++round) {
            auto m = seed;
            for (int i = 0; i < 3; ++i)
                m[rng() % std::min<size_t>(m.size(), 70)] = static_cast<uint8_t>(rng());
            write("in.bmp", m);
            expect_status_matches_outcome(run_with({path("in.bmp"), path("out.h")}));
        }
    }
}

}  // namespace
}  // namespace lumora::pictosrc
