// The launcher's window, offscreen, with the kit's stand-in tools laid out
// as a kit root: a new project, a compile into the message window, the
// continuous transfer, and a window that stays responsive while a slow tool runs.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "launchers/frontend/qt_tool_runner.h"
#include "lml_frames.h"
#include "lml_window.h"
#include "message_window.h"
#include "tests/e2e/console_process.h"
#include "tests/support/child_process.h"

namespace lumora::lml {
namespace {

namespace fs = std::filesystem;
using lumora::testing::Child;
using lumora::testing::TempDir;

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Process CPU time (user + system) in clock ticks: fields 14 and 15 of
// /proc/self/stat, counted after the name in parentheses (it may hold blanks).
long cpu_ticks() {
    const std::string stat = read_all("/proc/self/stat");
    std::istringstream rest(stat.substr(stat.rfind(')') + 1));
    std::string field;
    for (int i = 3; i < 14; ++i) rest >> field;
    long utime = 0, stime = 0;
    rest >> utime >> stime;
    return utime + stime;
}

class LmlScenarioTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "lml_scenario_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    void SetUp() override {
        root_ = kit_ / "lumo";
        lumora::testing::ChildOptions make;
        make.argv = {LUMORA_SOURCE_DIR "/scripts/make-kit-root", LUMORA_BIN_DIR, root_};
        auto made = Child::start(make);
        ASSERT_TRUE(made);
        ASSERT_EQ(made->wait(30000), 0) << made->out();
        ::unsetenv("LUMORA_STANDIN_SLEEP");
        window_ = std::make_unique<LmlWindow>(KitPaths{root_, LUMORA_BIN_DIR}, runner_);
        window_->start();
    }
    void TearDown() override {
        window_->quit_without_saving();
        window_.reset();
        ::unsetenv("LUMORA_STANDIN_SLEEP");
    }

    template <typename T>
    T* find(const char* name) {
        T* widget = window_->findChild<T*>(name);
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    void open_project(const std::string& name) {
        ASSERT_EQ(window_->shown_frame(), project_frame);
        find<QLineEdit>("projectName")->setText(QString::fromStdString(name));
        QTest::mouseClick(find<QPushButton>("projectOk"), Qt::LeftButton);
        ASSERT_EQ(window_->launcher().project(), name);
    }
    void press_and_wait(int button) {
        ASSERT_TRUE(window_->button(button)->isEnabled());
        QTest::mouseClick(window_->button(button), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window_->launcher().busy(), 60000);
    }
    QString message_text() { return window_->message_window()->text(); }
    std::string project_file(const std::string& project, const std::string& name) {
        return root_ + "/myprog/" + project + "/" + name;
    }

    TempDir kit_;
    std::string root_;
    launchers::QtToolRunner runner_;
    std::unique_ptr<LmlWindow> window_;
};

TEST_F(LmlScenarioTest, NewProjectCompilesIntoAFileEntry) {
    for (int i = 0; i < kButtonCount; ++i) EXPECT_FALSE(window_->button(i)->isEnabled()) << i;
    EXPECT_EQ(window_->button(0)->text(), QString::fromUtf8("エディター"));
    find<QLineEdit>("projectName")->setText("toolongname");
    QTest::mouseClick(find<QPushButton>("projectOk"), Qt::LeftButton);
    EXPECT_TRUE(find<QLineEdit>("projectName")->text().isEmpty());
    EXPECT_TRUE(window_->launcher().project().empty());

    open_project("hello");
    EXPECT_EQ(window_->windowTitle(), "Lumora Launcher ( hello )");
    EXPECT_EQ(window_->shown_frame(), -1);
    EXPECT_TRUE(window_->button(compiler_button)->isEnabled());
    EXPECT_EQ(read_all(project_file("hello", "hello.c")), source_template());
    EXPECT_EQ(read_all(project_file("hello", "hello.cf")), description_template("hello"));

    press_and_wait(compiler_button);
    EXPECT_TRUE(window_->message_window()->isVisible());
    const std::string entry = read_all(project_file("hello", "hello.fx"));
    ASSERT_GE(entry.size(), 128u);
    EXPECT_EQ(entry.substr(0, 4), "#!ws");
    EXPECT_EQ(message_text(),
              QString::fromUtf8("コンパイル開始\nファイル変換開始\nhdrpack: hello.fx (%1 bytes)\n"
                                "コンパイル、ファイル変換が終了しました\n")
                  .arg(entry.size()));
    for (int i = 0; i < kButtonCount; ++i) EXPECT_TRUE(window_->button(i)->isEnabled()) << i;
    // Pictures of both windows for the docs and for eyes.
    EXPECT_TRUE(window_->grab().save(LUMORA_BIN_DIR "/../lml_window.png"));
    EXPECT_TRUE(window_->message_window()->grab().save(LUMORA_BIN_DIR "/../lml_messages.png"));
    window_->show_frame(buttons_frame);
    EXPECT_TRUE(window_->grab().save(LUMORA_BIN_DIR "/../lml_button_settings.png"));
}

TEST_F(LmlScenarioTest, AWarningIsShownWithoutTheFolderAndStopsBeforePacking) {
    open_project("warn");
    std::ofstream(project_file("warn", "warn.c"), std::ios::binary | std::ios::trunc)
        << "void main(void)\r\n{\r\n#warning careful\r\n}\r\n";
    press_and_wait(compiler_button);
    EXPECT_EQ(message_text(), QString::fromUtf8("コンパイル開始\nwarn.c(3) : warning: careful\n"));
    EXPECT_FALSE(fs::exists(project_file("warn", "warn.fx")));
}

TEST_F(LmlScenarioTest, ContinuousTransferStartsLmPutwWithItsWordsInTheProjectFolder) {
    // A recording lmPutw in the kit root: its folder and arguments.
    const std::string record = kit_ / "lmputw.txt";
    fs::create_directories(root_ + "/tools/lmput");
    fs::remove(root_ + "/tools/lmput/lmPutw");
    std::ofstream(root_ + "/tools/lmput/lmPutw") << "#!/bin/sh\necho \"$PWD|$*\" >> '" << record << "'\n";
    fs::permissions(root_ + "/tools/lmput/lmPutw", fs::perms::owner_all);
    open_project("sendme");
    window_->launcher().settings().mode = RunMode::transfer;
    press_and_wait(compiler_button);
    EXPECT_TRUE(message_text().endsWith(QString::fromUtf8("ファイル転送開始\n")))
        << message_text().toStdString();
    EXPECT_EQ(read_all(record), root_ + "/myprog/sendme|-x -d sendme.fx /rom0\n");
}

TEST_F(LmlScenarioTest, ContinuousTransferSendsTheProgramToTheConsole) {
    // The kit's own lmPutw against the virtual console on COM1, with no
    // Pelorix settings (so COM1) and its progress window offscreen.
    ASSERT_TRUE(std::filesystem::exists(root_ + "/tools/lmput/lmPutw"));
    e2e::ConsoleProcess console(kit_);
    ASSERT_TRUE(console.start({}));
    ::setenv("LUMORA_COM1", console.link().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (kit_ / "config").c_str(), 1);
    open_project("sendme");
    window_->launcher().settings().mode = RunMode::transfer;
    press_and_wait(compiler_button);
    ::unsetenv("LUMORA_COM1");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(message_text().endsWith(QString::fromUtf8("ファイル転送開始\n")))
        << message_text().toStdString();
    const std::string sent = read_all(project_file("sendme", "sendme.fx"));
    ASSERT_GE(sent.size(), 128u);
    EXPECT_EQ(read_all(console.stored("sendme.fx")), sent) << console.err();
}

TEST_F(LmlScenarioTest, ContinuousEmulatorRunsSonavoOnTheFileEntry) {
    const std::string log = kit_ / "tools.log";
    ::setenv("LUMORA_STANDIN_LOG", log.c_str(), 1);
    open_project("emu");
    window_->launcher().settings().mode = RunMode::emulator;
    press_and_wait(compiler_button);
    ::unsetenv("LUMORA_STANDIN_LOG");
    EXPECT_TRUE(message_text().endsWith(QString::fromUtf8("エミュレータ起動\n")))
        << message_text().toStdString();
    const std::string dir = root_ + "/myprog/emu/";
    EXPECT_EQ(read_all(log),
              "lcc86\t-o\t" + dir + "emu.bin\t" + dir + "emu.c\nhdrpack\temu.cf\nsonavo\temu.fx\n");
}

TEST_F(LmlScenarioTest, StaysResponsiveAndIdleWhileASlowToolRuns) {
    open_project("slow");
    ::setenv("LUMORA_STANDIN_SLEEP", "lcc86:2", 1);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(50);
    const long cpu_before = cpu_ticks();
    const auto wall_before = std::chrono::steady_clock::now();
    QTest::mouseClick(window_->button(compiler_button), Qt::LeftButton);
    EXPECT_TRUE(window_->launcher().busy());
    for (int i = 0; i < kButtonCount; ++i) EXPECT_FALSE(window_->button(i)->isEnabled()) << i;
    QTRY_VERIFY_WITH_TIMEOUT(!window_->launcher().busy(), 60000);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_before).count();
    const double cpu =
        static_cast<double>(cpu_ticks() - cpu_before) / static_cast<double>(sysconf(_SC_CLK_TCK));
    EXPECT_GE(wall, 2.0);
    EXPECT_GT(ticks, 10) << "the event loop ran while the compiler slept";
    // A loop that polls would burn a whole core; the sanitizers and the tests'
    // own work account for what little there is.
    EXPECT_LT(cpu / wall, 0.25) << "cpu " << cpu << " s over " << wall << " s";
    EXPECT_TRUE(window_->button(compiler_button)->isEnabled());
}

}  // namespace
}  // namespace lumora::lml
