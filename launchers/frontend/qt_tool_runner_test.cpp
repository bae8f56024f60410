// The QProcess runner with real programs: the end arrives through the event
// loop, output lands in the file, and a missing program is reported.

#include "qt_tool_runner.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "tests/support/scratch_folder_test.h"

namespace lumora::launchers {
namespace {

class QtToolRunnerTest : public testing::ScratchFolderTest {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "qt_tool_runner_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }
    ToolOutcome run_and_wait(const ToolRequest& request) {
        QEventLoop loop;
        std::optional<ToolOutcome> outcome;
        bool returned = false;
        runner_.run(request, [&](const ToolOutcome& o) {
            EXPECT_TRUE(returned) << "reported before run() returned";
            outcome = o;
            loop.quit();
        });
        returned = true;
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        loop.exec();
        EXPECT_TRUE(outcome) << "no report within 20 s";
        return outcome.value_or(ToolOutcome{});
    }
    QtToolRunner runner_;
};

TEST_F(QtToolRunnerTest, OutputAndErrorGoToTheFileInTheWorkingFolder) {
    write("old.mes", std::string("old text that must go\n"));
    ToolRequest request{"/bin/sh", {"-c", "pwd; echo oops >&2; exit 3"}, dir_.string(), path("old.mes")};
    ToolOutcome outcome = run_and_wait(request);
    EXPECT_TRUE(outcome.started);
    EXPECT_FALSE(outcome.crashed);
    EXPECT_EQ(outcome.exit_code, 3);
    const std::string real_dir = std::filesystem::canonical(dir_).string();
    EXPECT_EQ(read_text("old.mes"), real_dir + "\noops\n");
}

TEST_F(QtToolRunnerTest, AMissingProgramIsReportedAsNotStarted) {
    ToolOutcome outcome = run_and_wait({path("no-such-tool"), {}, dir_.string(), path("x.mes")});
    EXPECT_FALSE(outcome.started);
    EXPECT_FALSE(outcome.error.empty());
    std::string error;
    EXPECT_FALSE(runner_.start_detached({path("no-such-tool"), {}, dir_.string(), ""}, error));
    EXPECT_FALSE(error.empty());
}

TEST_F(QtToolRunnerTest, ASignalIsACrash) {
    ToolOutcome outcome = run_and_wait({"/bin/sh", {"-c", "kill -9 $$"}, dir_.string(), ""});
    EXPECT_TRUE(outcome.started);
    EXPECT_TRUE(outcome.crashed);
}

}  // namespace
}  // namespace lumora::launchers
