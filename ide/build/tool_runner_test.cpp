#include "ide/build/tool_runner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <fstream>
#include <string>
#include <vector>

namespace lumora::ide {
namespace {

using Lines = std::vector<std::string>;

// QProcess wants an application object for its notifiers.
QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "ide_build_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

struct ToolRun {
    ToolOutcome outcome = ToolOutcome::Ran;
    Lines tool;
    Lines plain;
    int pumps = 0;
    int refreshes = 0;
};

class ToolRunnerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app();
        ASSERT_TRUE(dir_.isValid());
        folder_ = dir_.path().toStdString();
    }

    ToolRun run(const std::string& command, const std::string& folder,
                const std::function<void(ToolRun&)>& on_pump = nullptr) {
        ToolRun r;
        ToolHooks hooks;
        hooks.tool_line = [&](std::string line) { r.tool.push_back(std::move(line)); };
        hooks.plain_line = [&](std::string line) { r.plain.push_back(std::move(line)); };
        hooks.pump = [&] {
            ++r.pumps;
            if (on_pump) on_pump(r);
        };
        hooks.refresh = [&] { ++r.refreshes; };
        r.outcome = runner_.run(command, folder, hooks);
        return r;
    }

    QTemporaryDir dir_;
    std::string folder_;
    ToolRunner runner_;
};

TEST_F(ToolRunnerTest, OutputArrivesSplitIntoLines) {
    ToolRun r = run("/bin/sh -c \"printf 'a\\r\\r\\nb\\tc\\n'; printf abc\"", folder_);
    EXPECT_EQ(r.outcome, ToolOutcome::Ran);
    EXPECT_EQ(r.tool, (Lines{"a", "", "bc", "abc"}));
    EXPECT_TRUE(r.plain.empty());
    EXPECT_GT(r.refreshes, 0);
}

TEST_F(ToolRunnerTest, StandardErrorIsMergedAndExitCodeIgnored) {
    ToolRun r = run("/bin/sh -c \"echo out; echo err 1>&2; exit 3\"", folder_);
    EXPECT_EQ(r.outcome, ToolOutcome::Ran);
    EXPECT_EQ(r.tool, (Lines{"out", "err"}));
}

TEST_F(ToolRunnerTest, LineWrittenInTwoPartsIsOneMessage) {
    ToolRun r = run("/bin/sh -c \"printf 'main.c(1'; sleep 0.3; printf ') : Error: x\\r\\n'\"", folder_);
    EXPECT_EQ(r.tool, (Lines{"main.c(1) : Error: x"}));
    // The runner kept pumping while the tool was quiet.
    EXPECT_GT(r.pumps, 3);
}

TEST_F(ToolRunnerTest, RunsInTheWorkingFolder) {
    ToolRun r = run("/bin/pwd", folder_);
    ASSERT_EQ(r.tool.size(), 1u);
    char real[4096];
    ASSERT_NE(realpath(folder_.c_str(), real), nullptr);
    EXPECT_EQ(r.tool[0], real);
}

TEST_F(ToolRunnerTest, ProgramsThatCannotStartGiveTheErrCodeLine) {
    const std::string missing = folder_ + "/bin/sc -c x.c";
    ToolRun r = run(missing, folder_);
    EXPECT_EQ(r.outcome, ToolOutcome::FailedToStart);
    EXPECT_EQ(r.plain, (Lines{"ErrCode = 2 (" + missing + ")"}));
    EXPECT_TRUE(r.tool.empty());

    const std::string script = folder_ + "/noexec";
    std::ofstream(script) << "#!/bin/sh\necho hi\n";
    ::chmod(script.c_str(), 0644);
    ToolRun r2 = run(script + " arg", folder_);
    EXPECT_EQ(r2.outcome, ToolOutcome::FailedToStart);
    EXPECT_EQ(r2.plain, (Lines{"ErrCode = 13 (" + script + " arg)"}));

    ToolRun r3 = run("no-such-tool-anywhere", folder_);
    EXPECT_EQ(r3.plain, (Lines{"ErrCode = 2 (no-such-tool-anywhere)"}));

    ToolRun r4 = run("/bin/echo x", folder_ + "/no/such/folder");
    EXPECT_EQ(r4.outcome, ToolOutcome::FailedToStart);
    EXPECT_EQ(r4.plain, (Lines{"ErrCode = 2 (/bin/echo x)"}));
}

TEST_F(ToolRunnerTest, ProgramFolderWithBlanksNeedsNoQuotes) {
    const std::string folder = folder_ + "/dev tools/bin";
    ASSERT_EQ(::system(("mkdir -p '" + folder + "'").c_str()), 0);
    const std::string tool = folder + "/sc";
    std::ofstream(tool) << "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done\n";
    ::chmod(tool.c_str(), 0755);
    ToolRun r = run(tool + " -c a.c -I\"/sdk dir/include\"", folder_);
    EXPECT_EQ(r.outcome, ToolOutcome::Ran);
    EXPECT_EQ(r.tool, (Lines{"[-c]", "[a.c]", "[-I/sdk dir/include]"}));

    const ProgramAndArguments plain = split_program("/bin/echo  x \"y z\"", folder_);
    EXPECT_EQ(plain.program, "/bin/echo");
    EXPECT_EQ(plain.arguments, (std::vector<std::string>{"x", "y z"}));
    // Nothing fits: the first word is the program, and its error is reported.
    EXPECT_EQ(split_program(folder_ + "/no such/sc -c", folder_).program, folder_ + "/no");
}

TEST_F(ToolRunnerTest, CancelStopsTheToolAndItsChildren) {
    const std::string marker = folder_ + "/after";
    const std::string command = "/bin/sh -c \"echo started; sleep 30 && touch " + marker + "; echo never\"";
    bool seen_running = false;
    ToolRun r = run(command, folder_, [&](ToolRun& state) {
        if (!state.tool.empty()) {
            seen_running = seen_running || runner_.running();
            runner_.cancel();
        }
    });
    EXPECT_TRUE(seen_running);
    EXPECT_EQ(r.outcome, ToolOutcome::Cancelled);
    EXPECT_EQ(r.tool, (Lines{"started", cancelled_line()}));
    EXPECT_FALSE(runner_.running());
    ::sleep(1);
    EXPECT_NE(::access(marker.c_str(), F_OK), 0) << "the tool's sleep went on after the cancel";
}

TEST_F(ToolRunnerTest, CancelWithoutRunningToolDoesNothing) {
    runner_.cancel();
    ToolRun r = run("/bin/echo fine", folder_);
    EXPECT_EQ(r.outcome, ToolOutcome::Ran);
    EXPECT_EQ(r.tool, (Lines{"fine"}));
}

TEST(ToolRunnerTexts, CancelLineIsShiftJis) {
    EXPECT_EQ(cancelled_line(),
              "\xCB\xDE\xD9\xC4\xDE\x82\xF0\x92\x86\x8E\x7E\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42");
    EXPECT_EQ(start_error_line(2, "C:\\dm\\bin\\sc -c a.c"), "ErrCode = 2 (C:\\dm\\bin\\sc -c a.c)");
}

}  // namespace
}  // namespace lumora::ide
