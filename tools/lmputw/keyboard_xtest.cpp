// Keys held when lmPutw starts, as when files are dropped on its icon with
// Ctrl or Shift held. Needs a real X server (run inside tests/support/xsession):
// the keys are pressed through the X test extension with xdotool, and lmPutw
// asks the server for the keyboard state.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/e2e/console_process.h"
#include "tests/support/child_process.h"
#include "virtual_console.h"

namespace lumora::lmputw {
namespace {

using testing::Child;
using testing::ChildOptions;
using testing::TempDir;

int xdotool(const std::string& action, const std::string& key) {
    ChildOptions launch;
    launch.argv = {"xdotool", action, key};
    auto child = Child::start(launch);
    if (!child) return -1;
    return child->wait(10000).value_or(-1);
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class HeldKey : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run inside tests/support/xsession";
        std::filesystem::create_directories(tmp_ / "work");
        e2e::write_bytes(tmp_ / "work/a.bin", e2e::pattern(300, 1));
        e2e::write_bytes(tmp_ / "work/b.bin", e2e::pattern(300, 2));
        ASSERT_TRUE(console_.start());
    }

    // Holds `key` while lmPutw starts (with its window) and lets go once it runs.
    std::optional<int> run_holding(const std::string& key, const std::vector<std::string>& args) {
        EXPECT_EQ(xdotool("keydown", key), 0);
        ChildOptions launch;
        launch.argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1", LUMORA_BIN_DIR "/lmPutw"};
        launch.argv.insert(launch.argv.end(), args.begin(), args.end());
        launch.workdir = tmp_ / "work";
        launch.env = {"LUMORA_COM1=" + console_.link(), "XDG_CONFIG_HOME=" + (tmp_ / "config")};
        auto child = Child::start(launch);
        EXPECT_TRUE(child);
        if (!child) return std::nullopt;
        EXPECT_TRUE(child->wait_for_line("PutStr: 初期化中...", 30000)) << child->out();
        EXPECT_EQ(xdotool("keyup", key), 0);
        auto status = child->wait(60000);
        output_ = child->out();
        return status;
    }

    TempDir tmp_;
    Console console_{tmp_};
    std::string output_;
};

TEST_F(HeldKey, CtrlDefragmentsBeforeEachUpload) {
    EXPECT_EQ(run_holding("ctrl", {"a.bin", "b.bin"}), 0) << output_;
    const std::string t = console_.transcript();
    EXPECT_EQ(count(t, "< defrag rom0\n"), 2u) << t;
    EXPECT_LT(t.find("< defrag rom0"), t.find("< put")) << t;
    EXPECT_EQ(t.find("< exec"), std::string::npos) << t;
}

TEST_F(HeldKey, ShiftRunsTheLastFile) {
    EXPECT_EQ(run_holding("shift", {"a.bin", "b.bin"}), 0) << output_;
    const std::string t = console_.transcript();
    EXPECT_NE(t.find("< exec /rom0/b.bin\n"), std::string::npos) << t;
    EXPECT_EQ(t.find("< defrag"), std::string::npos) << t;
}

}  // namespace
}  // namespace lumora::lmputw
