#include "converters/orvconv/orv_convert.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "converters/orvconv/mapinfo.h"
#include "converters/orvconv/orv_test_maps.h"

namespace {

namespace fs = std::filesystem;
using lumora::orv::ConvertRequest;
using lumora::orv::ConvertResult;
using orvtest::Bytes;

class OrvConvert : public ::testing::Test {
  protected:
    void SetUp() override {
        base = fs::temp_directory_path() / ("orv_convert_" + std::to_string(getpid()));
        fs::remove_all(base);
        fs::create_directories(base / "in");
        fs::create_directories(base / "out");
    }
    void TearDown() override { fs::remove_all(base); }

    std::string in(const std::string& name) const { return (base / "in" / name).string(); }
    std::string out(const std::string& name) const { return (base / "out" / name).string(); }

    // Writes the map and its mapinfo.dat, reads the fields as the window
    // does, converts.
    ConvertResult run(const orvtest::Reference& ref, const Bytes* map_override = nullptr) {
        orvtest::write_file(in("map.fr"), map_override ? *map_override : orvtest::make_map(ref.shape));
        orvtest::write_text(in("mapinfo.dat"), ref.mapinfo);
        const auto info = lumora::orv::read_mapinfo(in("map.fr"));
        EXPECT_TRUE(info.ok) << info.message;
        return run_fields(info.fields, ref.absolute);
    }
    ConvertResult run_fields(const lumora::orv::MapFields& fields, bool absolute) {
        ConvertRequest req;
        req.fr_path = in("map.fr");
        req.out_dir = (base / "out").string();
        req.fields = fields;
        req.absolute = absolute;
        return lumora::orv::convert(req);
    }
    std::vector<std::string> outputs() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(base / "out"))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The data files hold the tile data cut at piece boundaries.
    void expect_pieces(const orvtest::Reference& ref, size_t piece) {
        const Bytes tiles = orvtest::tiles_of(ref.shape);
        const size_t files = tiles.size() / piece + 1;
        for (size_t k = 0; k < files; ++k) {
            const size_t from = k * piece, n = std::min(piece, tiles.size() - from);
            EXPECT_EQ(orvtest::read_file(out("ORVMAPB" + std::to_string(k + 1) + ".fr")),
                      Bytes(tiles.begin() + long(from), tiles.begin() + long(from + n)))
                << "piece " << k + 1;
        }
        EXPECT_EQ(outputs().size(), files + 1);
    }

    fs::path base;
};

TEST_F(OrvConvert, SmallMapWiderPictureMovesLowerRightCorner) {
    const auto ref = orvtest::small_map();
    const auto r = run(ref);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.data_files, 1);
    EXPECT_EQ(orvtest::read_file(out("ORVMAPA.fr")), ref.header_file);
    expect_pieces(ref, 65536);
}

TEST_F(OrvConvert, DateLineAndAbsoluteModes) {
    const auto date = orvtest::date_line_map();
    auto r = run(date);
    ASSERT_TRUE(r.ok) << r.message;
    const Bytes header = orvtest::read_file(out("ORVMAPA.fr"));
    EXPECT_EQ(header, date.header_file);
    ASSERT_GT(header.size(), 41u);
    EXPECT_EQ(header[38], 1);  // upper-left longitude east of lower-right

    const auto abs = orvtest::absolute_map();
    r = run(abs);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(orvtest::read_file(out("ORVMAPA.fr")), abs.header_file);
    expect_pieces(abs, 65472);
}

TEST_F(OrvConvert, OneToFourPiecesAndTheExactPieceBoundary) {
    for (size_t tiles : {size_t{100}, size_t{65536}, size_t{2 * 65536 + 1000}, size_t{3 * 65536 + 5}}) {
        fs::remove_all(base / "out");
        fs::create_directories(base / "out");
        const auto ref = orvtest::wide_map(tiles);
        const auto r = run(ref);
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_EQ(r.data_files, int(tiles / 65536 + 1));
        EXPECT_EQ(orvtest::read_file(out("ORVMAPA.fr")), ref.header_file) << tiles;
        expect_pieces(ref, 65536);
        if (tiles == 65536) {  // a full first piece and an empty second one
            EXPECT_EQ(fs::file_size(out("ORVMAPB1.fr")), 65536u);
            EXPECT_EQ(fs::file_size(out("ORVMAPB2.fr")), 0u);
        }
    }

    fs::remove_all(base / "out");
    fs::create_directories(base / "out");
    const auto narrow = orvtest::narrow_map(65472 + 96);  // 682 rows of 3 tiles per piece
    ASSERT_TRUE(run(narrow).ok);
    EXPECT_EQ(orvtest::read_file(out("ORVMAPA.fr")), narrow.header_file);
    expect_pieces(narrow, 65472);
}

TEST_F(OrvConvert, TooLargeIsRefusedWithoutTouchingEarlierOutput) {
    orvtest::write_file(out("ORVMAPA.fr"), {1, 2, 3});
    const auto ref = orvtest::wide_map(4 * 65536);
    const auto r = run(ref);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "ファイルが大きすぎます\n");
    EXPECT_EQ(orvtest::read_file(out("ORVMAPA.fr")), (Bytes{1, 2, 3}));
    EXPECT_EQ(outputs().size(), 1u);
}

TEST_F(OrvConvert, UnusableInputIsRefusedBeforeAnyOutput) {
    const auto ref = orvtest::small_map();
    const Bytes good = orvtest::make_map(ref.shape);
    struct Case {
        const char* what;
        Bytes map;
        const char* message;
    };
    Bytes reversed = good;
    reversed[14] = 5;  // c0 > c1
    Bytes no_width = good;
    no_width[8] = 0;
    Bytes no_height = good;
    no_height[9] = 0;
    Bytes blocks_missing(good.begin(), good.begin() + 18 + 12 + 5);  // attribute map cut
    const std::vector<Case> cases = {
        {"header cut", Bytes(good.begin(), good.begin() + 10), ".fr ファイルが短すぎます\n"},
        {"blocks cut", blocks_missing, ".fr ファイルが短すぎます\n"},
        {"c1 < c0", reversed, ".fr ファイルの色番号の範囲が正しくありません\n"},
        {"W = 0", no_width, ".fr ファイルの幅または高さが 0 です\n"},
        {"H = 0", no_height, ".fr ファイルの幅または高さが 0 です\n"},
    };
    for (const Case& c : cases) {
        const auto r = run(ref, &c.map);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(r.message, c.message) << c.what;
        EXPECT_TRUE(outputs().empty()) << c.what;
    }

    ConvertRequest missing;
    missing.fr_path = in("absent.fr");
    missing.out_dir = (base / "out").string();
    EXPECT_EQ(lumora::orv::convert(missing).message, ".fr ファイルを開けません\n");
}

TEST_F(OrvConvert, BadFieldValuesAreRefused) {
    const auto ref = orvtest::small_map();
    ASSERT_TRUE(run(ref).ok);
    fs::remove_all(base / "out");
    fs::create_directories(base / "out");
    const auto fields = lumora::orv::read_mapinfo(in("map.fr")).fields;
    auto with = [&](auto change) {
        auto f = fields;
        change(f);
        return run_fields(f, false).message;
    };
    using F = lumora::orv::MapFields;
    EXPECT_EQ(with([](F& f) { f.width = "0"; }), "イメージサイズが正しくありません\n");
    EXPECT_EQ(with([](F& f) { f.height = "abc"; }), "イメージサイズが正しくありません\n");
    EXPECT_EQ(with([](F& f) { f.width = "-40"; }), "イメージサイズが正しくありません\n");
    EXPECT_EQ(with([](F& f) { f.lu_lat = "nan"; }), "座標の値が正しくありません\n");
    EXPECT_EQ(with([](F& f) { f.rd_lon = "1e300"; }), "座標の値が正しくありません\n");
    EXPECT_TRUE(outputs().empty());
    auto f = fields;
    f.lu_lat = "3e9";  // fits in degrees-to-units, not as absolute units
    EXPECT_EQ(run_fields(f, true).message, "座標の値が正しくありません\n");
}

TEST_F(OrvConvert, CreationFailuresNameTheFile) {
    struct Case {
        size_t tiles;
        const char* blocked;
        const char* message;
    };
    const Case cases[] = {
        {100, "ORVMAPA.fr", "ORVMAPA.fr を開けません\n"},
        {100, "ORVMAPB1.fr", "出力ファイル２を開けません\n"},
        {65536 + 1, "ORVMAPB2.fr", "出力ファイル３を開けません\n"},
        {2 * 65536, "ORVMAPB3.fr", "ORVMAPB3.frを開けません\n"},
        {3 * 65536, "ORVMAPB4.fr", "ORVMAPB4.frを開けません\n"},
    };
    for (const Case& c : cases) {
        fs::remove_all(base / "out");
        fs::create_directories(base / "out" / c.blocked);  // a folder cannot be opened for writing
        const auto r = run(orvtest::wide_map(c.tiles));
        EXPECT_FALSE(r.ok) << c.blocked;
        EXPECT_EQ(r.message, c.message);
    }
}

TEST_F(OrvConvert, FailedWritesAreReported) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    for (const char* name : {"ORVMAPA.fr", "ORVMAPB1.fr", "ORVMAPB2.fr"}) {
        fs::remove_all(base / "out");
        fs::create_directories(base / "out");
        fs::create_symlink("/dev/full", base / "out" / name);
        const auto r = run(orvtest::wide_map(65536 + 64));
        EXPECT_FALSE(r.ok) << name;
        EXPECT_EQ(r.message, std::string(name) + " に書き込めません\n");
    }
}

TEST_F(OrvConvert, DamagedMapsNeverReadOrWriteOutOfBounds) {
    const auto ref = orvtest::small_map();
    const Bytes good = orvtest::make_map(ref.shape);
    orvtest::write_text(in("mapinfo.dat"), ref.mapinfo);
    const auto fields = lumora::orv::read_mapinfo(in("map.fr")).fields;
    std::mt19937 rng(4242);
    for (int round = 0; round < 300; ++round) {
        Bytes map = good;
        if (round < int(good.size())) {
            map.resize(size_t(round));  // every truncation
        } else {
            for (int i = 0; i < 3; ++i) map[rng() % 18] = static_cast<uint8_t>(rng());
            if (rng() % 2) map.resize(rng() % (map.size() + 1));
        }
        orvtest::write_file(in("map.fr"), map);
        const auto r = run_fields(fields, round % 3 == 0);
        if (!r.ok) {
            EXPECT_FALSE(r.message.empty());
            continue;
        }
        // Whatever the header said, the outputs hold exactly the input's bytes.
        size_t total = 0;
        for (int k = 1; k <= r.data_files; ++k)
            total += fs::file_size(out("ORVMAPB" + std::to_string(k) + ".fr"));
        const Bytes header = orvtest::read_file(out("ORVMAPA.fr"));
        ASSERT_GE(header.size(), 48u);
        const size_t tables = 4u * (size_t(map[8]) + map[9]);
        EXPECT_EQ(header.size() - 48 - tables + total + 18, map.size());
    }
}

}  // namespace
