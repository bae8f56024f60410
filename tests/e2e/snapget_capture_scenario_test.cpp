// snapget receiving screen captures from the virtual console's capture
// program: the saved file is the code part of the entry, byte for byte,
// whatever block the line damaged, and names go shot, shot0000, shot0001.

#include <gtest/gtest.h>

#include "tests/e2e/console_process.h"

namespace lumora::e2e {
namespace {

std::vector<uint8_t> fake_bmp(size_t n, uint8_t seed) {
    auto d = pattern(n, seed);
    d[0] = 'B';
    d[1] = 'M';
    return d;
}

class SnapgetScenario : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(tmp_.path().empty());
        std::filesystem::create_directories(tmp_ / "work");
        std::filesystem::create_directories(tmp_ / "home");
    }

    // One capture: the console sends `file`, snapget receives it in work/.
    // Returns snapget's exit status; its standard error lands in snap_err_.
    int capture(const std::string& file, std::vector<std::string> console_args,
                std::vector<std::string> snap_args) {
        testing::TempDir line_dir;
        ConsoleProcess console(line_dir);
        std::vector<std::string> args = {"--send-capture", file};
        args.insert(args.end(), console_args.begin(), console_args.end());
        if (!console.start(args, false)) return -1;
        testing::ChildOptions launch;
        launch.argv = {LUMORA_BIN_DIR "/snapget", "-com1", "-38400"};
        launch.argv.insert(launch.argv.end(), snap_args.begin(), snap_args.end());
        launch.workdir = tmp_ / "work";
        // Keep the settings of whoever runs the tests out of it.
        launch.env = {"LUMORA_COM1=" + console.link(), "HOME=" + (tmp_ / "home"),
                    "XDG_CONFIG_HOME=" + (tmp_ / "home")};
        launch.capture_stderr = true;
        auto snap = testing::Child::start(launch);
        if (!snap) return -1;
        auto rc = snap->wait(60000);
        snap_err_ = snap->err();
        EXPECT_EQ(console.wait(30000), 0) << console.err();
        return rc.value_or(-1);
    }
    std::string work(const std::string& name) const { return tmp_ / ("work/" + name); }

    testing::TempDir tmp_;
    std::string snap_err_;
};

TEST_F(SnapgetScenario, CapturesAreSavedUnderSuccessiveNamesEvenThroughDamage) {
    auto bmp = fake_bmp(5000, 1);
    write_bytes(tmp_ / "screen.bmp", bmp);
    ASSERT_EQ(capture(tmp_ / "screen.bmp", {"--name", "shot"}, {}), 0) << snap_err_;
    EXPECT_EQ(snap_err_, "") << "without -v a good run prints nothing";
    EXPECT_EQ(read_bytes(work("shot.bmp")), bmp);

    ASSERT_EQ(capture(tmp_ / "screen.bmp", {"--name", "shot", "--corrupt-block", "1"}, {}), 0) << snap_err_;
    EXPECT_EQ(read_bytes(work("shot0000.bmp")), bmp) << "a damaged header block is resent";

    ASSERT_EQ(capture(tmp_ / "screen.bmp", {"--name", "shot", "--corrupt-block", "7"}, {}), 0) << snap_err_;
    EXPECT_EQ(read_bytes(work("shot0001.bmp")), bmp) << "a damaged body block is resent once, kept once";

    auto other = fake_bmp(300, 2);
    write_bytes(tmp_ / "other.bmp", other);
    ASSERT_EQ(capture(tmp_ / "other.bmp", {"--name", "shot"}, {"-f"}), 0) << snap_err_;
    EXPECT_EQ(read_bytes(work("shot.bmp")), other);
    EXPECT_FALSE(file_exists(work("shot0002.bmp")));
}

TEST_F(SnapgetScenario, AnEntryWithResourcesSavesOnlyItsCodeAndListsTheHeader) {
    // A file entry sent as it is: 200 bytes of code, then one "FRxx" chunk of 32 bytes.
    auto code = fake_bmp(200, 3);
    std::vector<uint8_t> chunk = {'F', 'R', 'b', 'm', 2, 0, 5, 0};
    chunk.resize(32, 0xEE);
    std::vector<uint8_t> body = code;
    body.insert(body.end(), chunk.begin(), chunk.end());
    devlink::DirectoryEntry e;
    e.set_name("pic");
    e.set_info("with resources");
    e.set_size(static_cast<int32_t>(body.size()));
    e.set_blocks(static_cast<int16_t>((body.size() + 127) / 128));
    e.set_mode(devlink::kModePlainFile);
    e.set_date(devlink::pack_date({2024, 5, 6, 7, 8, 10}));
    e.set_resource(200);
    auto fx = devlink::build_header(e);
    fx.insert(fx.end(), body.begin(), body.end());
    write_bytes(tmp_ / "pic.fx", fx);

    ASSERT_EQ(capture(tmp_ / "pic.fx", {}, {"-v"}), 0) << snap_err_;
    EXPECT_EQ(read_bytes(work("pic.bmp")), code);
    EXPECT_NE(snap_err_.find("name: pic\n"), std::string::npos) << snap_err_;
    EXPECT_NE(snap_err_.find("info: with resources\n"), std::string::npos);
    EXPECT_NE(snap_err_.find("mode: wr\n"), std::string::npos);
    EXPECT_NE(snap_err_.find("size: 360 bytes (3 blocks)\n"), std::string::npos);
    EXPECT_NE(snap_err_.find("date: 24/05/06  07:08:10\n"), std::string::npos);
    EXPECT_NE(snap_err_.find("FRbm #5"), std::string::npos);
}

TEST_F(SnapgetScenario, AFileThatIsNotAnEntryIsWrappedByTheConsole) {
    // Named after the file when no name is given, cut to the entry's 16 bytes.
    auto bmp = fake_bmp(129, 4);
    write_bytes(tmp_ / "a_long_capture_name.bmp", bmp);
    ASSERT_EQ(capture(tmp_ / "a_long_capture_name.bmp", {}, {}), 0) << snap_err_;
    // The entry's name is "a_long_capture_n"; snapget replaces any extension with .bmp.
    EXPECT_EQ(read_bytes(work("a_long_capture_n.bmp")), bmp);
}

}  // namespace
}  // namespace lumora::e2e
