#include "converters/gridex/gridex_app.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "common/bmp.h"
#include "converters/gridex/gridex_test_picture.h"
#include "converters/testdata/full_disk.h"
#include "tests/support/scratch_folder_test.h"

namespace lumora::gridex {
namespace {

namespace fs = std::filesystem;
using test::Canvas;
using test::pattern;

class GridexApp : public lumora::testing::ScratchFolderTest {
  protected:
    std::vector<uint8_t> read(const std::string& name) const { return read_bytes(name); }
    int run_with(std::vector<std::string> args) {
        std::ostringstream out;
        const int status = run(args, out);
        output_ = out.str();
        return status;
    }
    // The usual four names inside the temporary folder.
    std::vector<std::string> files() const {
        return {path("a.ini"), path("a.bmp"), path("a.map"), path("a.atr")};
    }

    // 64×32 picture: map 2×2 cells at (0,0); parts 2 at (16,0); attributes at (32,0) 16×16.
    Canvas scene() const {
        Canvas c(64, 32);
        c.draw(16, 0, pattern(1));
        c.draw(24, 0, pattern(2));
        c.draw(0, 0, pattern(2), true);
        c.draw(8, 0, pattern(1));
        c.draw(0, 8, pattern(1), false, true);
        c.draw_in_palette(8, 8, pattern(2), 0, true, true);
        c.set(32, 0, 0x4B);
        c.set(48, 0, 0x4C);
        return c;
    }
    static constexpr const char* kIni = "0,0,16,16 \n32,0 \n16,0,16,8 \n256\n";

    std::string output_;
};

TEST_F(GridexApp, ConvertsAndWritesBothFiles) {
    write("a.ini", kIni);
    write("a.bmp", scene().bmp());
    EXPECT_EQ(run_with(files()), kExitOk);
    EXPECT_EQ(output_, "");
    // 0x4001+256, 0x0000+256, 0x8000+256, 0xC001+256, little-endian.
    EXPECT_EQ(read("a.map"), (std::vector<uint8_t>{0x01, 0x41, 0x00, 0x01, 0x00, 0x81, 0x01, 0xC1}));
    // One block (16×16 map): high nibble 0xB, low nibble from the block beyond.
    EXPECT_EQ(read("a.atr"), (std::vector<uint8_t>{0xBC}));
}

TEST_F(GridexApp, UsageAndArgumentErrors) {
    EXPECT_EQ(run_with({"-?"}), kExitOk);
    EXPECT_EQ(output_, "gridex ini_file bmp_file map_file\n");
    EXPECT_EQ(run_with({"a", "/?", "b"}), kExitOk);
    EXPECT_EQ(output_, "gridex ini_file bmp_file map_file\n");
    EXPECT_EQ(run_with({"a", "-v", "b", "c"}), kExitUsage);
    EXPECT_EQ(output_, "gridex ini_file bmp_file map_file\nargument error\n");
    EXPECT_EQ(run_with({}), kExitUsage);
    EXPECT_EQ(run_with({"--help"}), kExitOk);
    EXPECT_EQ(output_.rfind("gridex ini_file bmp_file map_file\n", 0), 0u);

    // Other options are ignored, and absolute paths are file names.
    write("a.ini", kIni);
    write("a.bmp", scene().bmp());
    auto args = files();
    args.insert(args.begin() + 1, "-x");
    EXPECT_EQ(run_with(args), kExitOk) << output_;
    EXPECT_EQ(read("a.atr"), (std::vector<uint8_t>{0xBC}));
}

TEST_F(GridexApp, PictureChecksPrintTheirMessagesAndWriteNothing) {
    write("a.ini", kIni);
    const std::string bmp = path("a.bmp");
    std::map<std::string, std::vector<uint8_t>> cases;
    testdata::BmpLayout four;
    four.bit_count = 4;
    four.width = 16;
    four.height = 8;
    cases["Grp_Cnv_Bmp:" + bmp + " file is 4bit BMP not support\n"] =
        testdata::build_bmp(four, std::vector<uint32_t>(128, 1));
    cases["Grp_Cnv_Bmp:" + bmp + " file is width100 height8 BMP not support\n"] = Canvas(100, 8).bmp();
    cases["Map_Cnv_Bmp:" + bmp + " file is not BMP\n"] = {'P', 'K', 3, 4, 0, 0, 0, 0, 0};
    auto cut = scene().bmp();
    cut.resize(cut.size() - 10);
    cases["Map_Cnv_Bmp:" + bmp + " file read error\n"] = cut;
    testdata::BmpLayout rle;
    rle.compression = kBmpRle4;  // 4-bit coding on an 8-bit picture
    cases["Grp_Cnv_Bmp:" + bmp + " file is compressed BMP not support\n"] = scene().bmp(rle);

    for (const auto& [message, bytes] : cases) {
        write("a.bmp", bytes);
        EXPECT_EQ(run_with(files()), kExitFailed);
        EXPECT_EQ(output_, message);
        EXPECT_FALSE(fs::exists(path("a.map")));
        EXPECT_FALSE(fs::exists(path("a.atr")));
    }
}

TEST_F(GridexApp, Width104HasRowsOf104Bytes) {
    // 104 is a multiple of 8 and of 4: no row padding. A map cell at the right
    // edge must still be read from the right bytes.
    Canvas c(104, 16);
    c.draw(96, 0, pattern(3));  // part 0
    c.draw(88, 8, pattern(3), true);
    c.draw(96, 8, pattern(3));
    write("a.ini", "88,8,16,8 \n0,0 \n96,0,8,8 \n0\n");
    write("a.bmp", c.bmp());
    ASSERT_EQ(run_with(files()), kExitOk) << output_;
    EXPECT_EQ(read("a.map"), (std::vector<uint8_t>{0x00, 0x40, 0x00, 0x00}));
    auto h = parse_bmp_header(read("a.bmp"));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->row_stride(), 104u);
}

TEST_F(GridexApp, ReadFailuresOfTheSettingsFile) {
    write("a.bmp", scene().bmp());
    EXPECT_EQ(run_with(files()), kExitFailed);
    EXPECT_EQ(output_,
              "file open error " + path("a.ini") + "\nMap_Cnv_Bmp:" + path("a.ini") + " file read error\n");

    write("a.ini", std::string());
    EXPECT_EQ(run_with(files()), kExitFailed);
    EXPECT_EQ(output_, "Map_Cnv_Bmp:" + path("a.ini") + " file read error\n");

    fs::create_directory(path("dir.ini"));
    auto args = files();
    args[0] = path("dir.ini");
    EXPECT_EQ(run_with(args), kExitFailed);
    EXPECT_EQ(output_, "File_Read_Heap: " + path("dir.ini") +
                           " file read error\nMap_Cnv_Bmp:" + path("dir.ini") + " file read error\n");

    write("a.ini", "0,0,16,16\n");
    EXPECT_EQ(run_with(files()), kExitFailed);
    EXPECT_EQ(output_, "Map_Cnv_Bmp:" + path("a.ini") + " file has too few values\n");
    EXPECT_FALSE(fs::exists(path("a.map")));
}

TEST_F(GridexApp, DisagreementLeavesEarlierOutputsAlone) {
    write("a.ini", kIni);
    Canvas c = scene();
    c.set(12, 10, 0x99);
    write("a.bmp", c.bmp());
    write("a.map", std::string("old map"));
    EXPECT_EQ(run_with(files()), kExitFailed);
    EXPECT_EQ(output_, path("a.bmp") + " map parts disagreement x8 y8\n");
    EXPECT_EQ(read("a.map"), (std::vector<uint8_t>{'o', 'l', 'd', ' ', 'm', 'a', 'p'}));
    EXPECT_FALSE(fs::exists(path("a.atr")));
}

TEST_F(GridexApp, FullDiskKeepsTheOldMapAndAttributes) {
    write("a.ini", kIni);
    write("a.bmp", scene().bmp());
    write("a.map", std::string("old map"));
    write("a.atr", std::string("old attributes"));
    const int status = testdata::run_with_full_disk(1, [&] {
        std::ostringstream ignored;
        return run(files(), ignored);
    });
    EXPECT_EQ(status, kExitFailed);
    EXPECT_EQ(read("a.map"), (std::vector<uint8_t>{'o', 'l', 'd', ' ', 'm', 'a', 'p'}));
    EXPECT_EQ(read("a.atr"), (std::vector<uint8_t>{0xBC})) << "one byte still fits: written whole";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 4)
        << "a fragment was left";
}

TEST_F(GridexApp, MapFileThatCannotBeCreatedStillWritesAttributes) {
    write("a.ini", kIni);
    write("a.bmp", scene().bmp());
    auto args = files();
    args[2] = path("missing/a.map");
    EXPECT_EQ(run_with(args), kExitFailed);
    EXPECT_EQ(output_, "file open error " + path("missing/a.map") + "\n");
    EXPECT_EQ(read("a.atr"), (std::vector<uint8_t>{0xBC}));
}

TEST_F(GridexApp, AreaOutsideThePictureIsAnError) {
    write("a.ini", "0,0,16,16 \n32,0 \n16,24,16,16 \n0\n");
    write("a.bmp", scene().bmp());
    EXPECT_EQ(run_with(files()), kExitFailed);
    EXPECT_EQ(output_, "Map_Cnv_Bmp:" + path("a.bmp") + " parts area lies outside the picture\n");
}

TEST_F(GridexApp, ProgramExitStatusesSeenByAShell) {
    auto shell = [&](const std::string& args, std::string& out) {
        const std::string cmd = std::string(LUMORA_BIN_DIR) + "/gridex " + args;
        FILE* p = popen(cmd.c_str(), "r");
        if (!p) return -1;
        char buf[256];
        out.clear();
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        const int st = pclose(p);
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    };
    std::string out;
    EXPECT_EQ(shell("-?", out), 0);
    EXPECT_EQ(out, "gridex ini_file bmp_file map_file\n");
    EXPECT_EQ(shell("a b", out), 1);
    EXPECT_EQ(out, "gridex ini_file bmp_file map_file\nargument error\n");
    write("a.ini", kIni);
    write("a.bmp", scene().bmp());
    EXPECT_EQ(shell(path("a.ini") + " " + path("a.bmp") + " " + path("a.map") + " " + path("a.atr"), out), 0);
    EXPECT_EQ(read("a.atr"), (std::vector<uint8_t>{0xBC}));
    EXPECT_EQ(shell(path("nope.ini") + " " + path("a.bmp") + " x y", out), 2);
}

}  // namespace
}  // namespace lumora::gridex

namespace lumora::gridex {
namespace {

// Palette pictures of common tools. ImageMagick writes run-length coded rows
// with the 124-byte header or (BMP3) the 40-byte one; GIMP's export writes
// plain 8-bit rows with the 124-byte header and only the colours in use. The
// scene is made by converters/testdata/make_fixtures.py; its colours are
// listed here so the expected cells can be worked out from the file's own
// colour table, whatever order the tool chose.
struct Rgb {
    uint8_t r, g, b;
};
Rgb colour(int i) {
    return {static_cast<uint8_t>(i * 12), static_cast<uint8_t>(255 - i * 12),
            static_cast<uint8_t>((i * 40) % 256)};
}

std::vector<uint8_t> fixture(const std::string& name) {
    std::ifstream in(std::string(LUMORA_SOURCE_DIR "/converters/testdata/") + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct FixtureFile {
    const char* name;
    uint32_t compression;  // what the tool is known to write, so a remade file in another flavour is noticed
};

void PrintTo(const FixtureFile& f, std::ostream* os) {
    *os << f.name;
}

class GridexFixture : public GridexApp, public ::testing::WithParamInterface<FixtureFile> {};

// Test names from the file names, e.g. gridex_scene_gimp.
std::string fixture_name(const ::testing::TestParamInfo<FixtureFile>& info) {
    std::string name = info.param.name;
    name = name.substr(0, name.rfind('.'));
    return name;
}

TEST_P(GridexFixture, ConvertsPicturesOfCommonTools) {
    const std::vector<uint8_t> bytes = fixture(GetParam().name);
    ASSERT_FALSE(bytes.empty()) << GetParam().name;
    const auto header = parse_bmp_header(bytes);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->bit_count, 8);
    EXPECT_EQ(header->compression, GetParam().compression);
    auto index = [&](int i) {
        const Rgb c = colour(i);
        for (size_t k = 0; k < header->palette.size(); ++k) {
            const auto& p = header->palette[k];
            if (p.red == c.r && p.green == c.g && p.blue == c.b) return static_cast<int>(k);
        }
        ADD_FAILURE() << "colour " << i << " not in the table";
        return 0;
    };

    write("a.bmp", bytes);
    write("a.ini", "0,0,16,16 \n0,16 \n16,0,24,8 \n0\n");
    ASSERT_EQ(run_with(files()), kExitOk) << output_;
    // Cells: part 2 mirrored, part 0; part 1 flipped, part 2 both ways. The
    // palette number is the high nibble of the cell's top-left colour index.
    const uint16_t cells[4] = {static_cast<uint16_t>(0x4002 + 512 * (index(11) >> 4)),
                               static_cast<uint16_t>(0x0000 + 512 * (index(0) >> 4)),
                               static_cast<uint16_t>(0x8001 + 512 * (index(14) >> 4)),
                               static_cast<uint16_t>(0xC002 + 512 * (index(1) >> 4))};
    std::vector<uint8_t> expected_map;
    for (uint16_t c : cells) {
        expected_map.push_back(static_cast<uint8_t>(c));
        expected_map.push_back(static_cast<uint8_t>(c >> 8));
    }
    EXPECT_EQ(read("a.map"), expected_map);
    EXPECT_EQ(read("a.atr"),
              (std::vector<uint8_t>{static_cast<uint8_t>((index(11) & 0xF) << 4 | (index(4) & 0xF))}));
}

INSTANTIATE_TEST_SUITE_P(ImageMagick, GridexFixture,
                         ::testing::Values(FixtureFile{"gridex_scene_im.bmp", kBmpRle8},
                                           FixtureFile{"gridex_scene_im_bmp3.bmp", kBmpRle8}),
                         fixture_name);
// The scene made indexed in GIMP and ImageMagick's picture re-exported by
// GIMP. GIMP's own colour order puts colours 0 and 1 at indexes 19 and 18,
// so two cells carry palette number 1, which ImageMagick's order never gives.
INSTANTIATE_TEST_SUITE_P(Gimp, GridexFixture,
                         ::testing::Values(FixtureFile{"gridex_scene_gimp.bmp", kBmpRgb},
                                           FixtureFile{"gridex_scene_gimp_from_im.bmp", kBmpRgb}),
                         fixture_name);

// The same picture with the same colour table gives the same files, whichever
// tool wrote it and however it stored the rows.
TEST_F(GridexApp, SamePictureFromDifferentToolsGivesTheSameFiles) {
    write("a.ini", "0,0,16,16 \n0,16 \n16,0,24,8 \n0\n");
    write("a.bmp", fixture("gridex_scene_im.bmp"));
    ASSERT_EQ(run_with(files()), kExitOk) << output_;
    const std::string output = output_;
    const std::vector<uint8_t> map = read("a.map"), atr = read("a.atr");
    ASSERT_FALSE(map.empty());
    for (const char* name : {"gridex_scene_im_bmp3.bmp", "gridex_scene_gimp_from_im.bmp"}) {
        fs::remove(path("a.map"));
        fs::remove(path("a.atr"));
        write("a.bmp", fixture(name));
        EXPECT_EQ(run_with(files()), kExitOk) << name;
        EXPECT_EQ(output_, output) << name;
        EXPECT_EQ(read("a.map"), map) << name;
        EXPECT_EQ(read("a.atr"), atr) << name;
    }
}

}  // namespace
}  // namespace lumora::gridex
