#include "converters/orvconv/mapinfo.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "converters/orvconv/orv_test_maps.h"

namespace {

namespace fs = std::filesystem;
using lumora::orv::read_mapinfo;

class MapInfo : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("orv_mapinfo_" + std::to_string(getpid()));
        fs::create_directories(dir);
        fr = (dir / "map.fr").string();
    }
    void TearDown() override { fs::remove_all(dir); }
    void write(const std::string& text) { orvtest::write_text((dir / "mapinfo.dat").string(), text); }
    fs::path dir;
    std::string fr;
};

TEST_F(MapInfo, FieldsAreCorrectedAndFormatted) {
    write(orvtest::mapinfo_text("35.7", "139.6", "-5.25", "190.001614", "1024", "768 px"));
    const auto r = read_mapinfo(fr);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.fields.lu_lat, "35.704181000");
    EXPECT_EQ(r.fields.lu_lon, "139.5983860000");
    EXPECT_EQ(r.fields.rd_lat, "-5.245819000");
    EXPECT_EQ(r.fields.rd_lon, "190.0000000000");
    EXPECT_EQ(r.fields.width, "1024");  // text kept as it stands, CR removed
    EXPECT_EQ(r.fields.height, "768 px");
}

TEST_F(MapInfo, LineRulesElevenLinesSufficeLongLinesCut) {
    const std::string long_line(120, '7');
    write("1\n2\n3\n4\n5\nnorth\n139\n35\n140\n" + long_line + "\n480");  // 11 lines, no final newline
    const auto r = read_mapinfo(fr);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.fields.lu_lat, "0.004181000");  // no number on the line: 0
    EXPECT_EQ(r.fields.width, std::string(79, '7'));
    EXPECT_EQ(r.fields.height, "480");
}

TEST_F(MapInfo, MissingShortOrUnnamedCoordinateFiles) {
    auto r = read_mapinfo(fr);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "座標 ファイルを開けません\n");

    write("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n");
    r = read_mapinfo(fr);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "座標 ファイルの行が足りません\n");

    r = read_mapinfo("map.fr");  // no folder part to look in
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "座標 ファイルがありません\n");
    EXPECT_EQ(lumora::orv::mapinfo_path_for("/a/b/map.fr"), "/a/b/mapinfo.dat");
}

}  // namespace
