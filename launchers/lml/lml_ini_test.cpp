#include "lml_ini.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/cp932.h"
#include "tests/support/scratch_folder_test.h"

namespace lumora::lml {
namespace {

std::string sjis(std::string_view utf8) {
    return cp932::from_utf8(utf8);
}

LmlSettings defaults() {
    return default_settings("/kit/bin/kelvane");
}

TEST(LmlIniDefaults, CompileOnlyOnTopDockedNinePointRoleCaptions) {
    const LmlSettings s = defaults();
    EXPECT_EQ(s.mode, RunMode::compile_only);
    EXPECT_TRUE(s.always_on_top);
    EXPECT_TRUE(s.dock_below);
    EXPECT_EQ(s.font_size, 9);
    EXPECT_EQ(s.buttons[0].program, "/kit/bin/kelvane");
    EXPECT_EQ(s.buttons[0].name, "エディター");
    EXPECT_EQ(s.buttons[3].name, "実機へ転送");
    EXPECT_EQ(s.buttons[6].name, "ユーザー③");
    EXPECT_EQ(parse_lml_ini("", s), s);
}

TEST(LmlIniFormat, WritesTheRecordsInShiftJisWithCrLf) {
    LmlSettings s = defaults();
    s.mode = RunMode::transfer;
    s.always_on_top = false;
    s.message_left = -120;
    s.font_size = 12;
    s.buttons[4] = {"/usr/bin/gimp", "画像"};
    const std::string text = format_lml_ini(s);
    EXPECT_EQ(text.substr(0, text.find("\"" + sjis("ボタン") + "0")),
              "\"" + sjis("連続実行の設定") + "\",2\r\n\"" + sjis("メニューバーの表示") + "\",0\r\n\"" +
                  sjis("メッセージウインド") + "\",1,-120,0,8400,3000\r\n\"" +
                  sjis("メッセージウインドのフォントサイズ") + "\",\"12\"\r\n");
    EXPECT_NE(text.find("\"" + sjis("ボタン") + "4\",\"/usr/bin/gimp\",\"" + sjis("画像") + "\"\r\n"),
              std::string::npos);
}

TEST(LmlIniRoundTrip, EverythingWrittenIsReadBackEqual) {
    LmlSettings s = defaults();
    s.mode = RunMode::emulator;
    s.dock_below = false;
    s.message_left = 15;
    s.message_top = 1301;
    s.message_width = 9000;
    s.message_height = 2000;
    s.font_size = 16;
    s.buttons[1] = {"/opt/a, b/lcc", ""};                      // a comma inside a text
    s.buttons[5] = {"/home/ユーザー/bin/tool", "say \"hi\""};  // quotes inside a text
    s.buttons[6] = {"", ""};
    EXPECT_EQ(parse_lml_ini(format_lml_ini(s), defaults()), s);
}

TEST(LmlIniRead, ShortAndMalformedFilesKeepTheDefaultsOfWhatIsMissing) {
    // Only the first record, with LF endings and blanks around the fields.
    LmlSettings s = parse_lml_ini(" \"x\" , 1 \n", defaults());
    EXPECT_EQ(s.mode, RunMode::emulator);
    EXPECT_TRUE(s.always_on_top);
    EXPECT_EQ(s.buttons[0].name, "エディター");

    // Values that are no numbers, or out of range, are taken as their defaults.
    s = parse_lml_ini("\"a\",x\r\n\"b\",7\r\n\"c\",2,ten,x,0,-3\r\n\"d\",\"huge\"\r\n", defaults());
    EXPECT_EQ(s, defaults()) << format_lml_ini(s);
    s = parse_lml_ini("\"a\",4\r\n\"b\",\r\n\"c\"\r\n\"d\",\"7\"\r\n", defaults());
    EXPECT_EQ(s, defaults());

    // A record with too few fields keeps the rest; an unclosed quote takes the line.
    s = parse_lml_ini("\"a\",3\r\n\"b\",0\r\n\"c\",0,30\r\n\"d\",9\r\n\"e\",\"/bin/ed\r\n\"f\"\r\n",
                      defaults());
    EXPECT_FALSE(s.always_on_top);
    EXPECT_FALSE(s.dock_below);
    EXPECT_EQ(s.message_left, 30);
    EXPECT_EQ(s.message_width, 8400);
    EXPECT_EQ(s.buttons[0].program, "/bin/ed");
    EXPECT_EQ(s.buttons[0].name, "エディター");
    EXPECT_EQ(s.buttons[1], defaults().buttons[1]);

    // Bytes that are no text at all never stop the reading.
    std::string noise;
    for (int i = 0; i < 512; ++i) noise += static_cast<char>((i * 37) & 0xFF);
    (void)parse_lml_ini(noise, defaults());
}

class LmlIniFileTest : public testing::ScratchFolderTest {};

TEST_F(LmlIniFileTest, SavedThroughARenameAndLoadedBack) {
    LmlSettings s = defaults();
    s.buttons[4] = {"/bin/true", "user"};
    std::string error;
    ASSERT_TRUE(save_lml_ini(path("lml.ini"), s, error)) << error;
    EXPECT_EQ(load_lml_ini(path("lml.ini"), LmlSettings{}), s);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1) << "no temporary file is left";
    EXPECT_EQ(load_lml_ini(path("missing.ini"), s), s);

    // A folder that cannot be written fails and leaves the old file whole.
    EXPECT_FALSE(save_lml_ini(path("no/such/lml.ini"), s, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace lumora::lml
