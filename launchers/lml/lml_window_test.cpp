// The launcher's window offscreen, without tools: settings frames, saving on
// close (and not on the menu's exit), docking and the program chooser.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>

#include "launchers/frontend/fake_tool_runner.h"
#include "launchers/frontend/folder_browser.h"
#include "lml_frames.h"
#include "lml_window.h"
#include "message_window.h"
#include "tests/support/scratch_folder_test.h"

namespace lumora::lml {
namespace {

class LmlWindowTest : public testing::ScratchFolderTest {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "lml_window_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    std::unique_ptr<LmlWindow> open_window() {
        auto window = std::make_unique<LmlWindow>(KitPaths{dir_.string(), "/opt/lml"}, runner_);
        window->start();
        return window;
    }
    template <typename T>
    static T* find(LmlWindow& window, const char* name) {
        T* widget = window.findChild<T*>(name);
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    static void click(LmlWindow& window, const char* name) {
        QTest::mouseClick(find<QPushButton>(window, name), Qt::LeftButton);
    }
    static void trigger(LmlWindow& window, const char* text) {
        QAction* action = window.menu_action(QString::fromUtf8(text));
        ASSERT_TRUE(action) << text;
        action->trigger();
    }
    launchers::FakeToolRunner runner_;
};

TEST_F(LmlWindowTest, ClosingSavesTheSettingsAndTheExitItemDoesNot) {
    auto window = open_window();
    trigger(*window, "連続実行");
    ASSERT_EQ(window->shown_frame(), mode_frame);
    find<QRadioButton>(*window, "mode2")->setChecked(true);
    click(*window, "modeSet");
    EXPECT_EQ(window->launcher().settings().mode, RunMode::transfer);
    trigger(*window, "終了");
    EXPECT_FALSE(std::filesystem::exists(path("lml.ini")));

    window = open_window();
    EXPECT_EQ(window->launcher().settings().mode, RunMode::compile_only) << "nothing was saved";
    find<QRadioButton>(*window, "mode1")->setChecked(true);
    trigger(*window, "連続実行");
    click(*window, "modeSet");
    window->close();
    EXPECT_EQ(load_lml_ini(path("lml.ini"), LmlSettings{}).mode, RunMode::emulator);
}

TEST_F(LmlWindowTest, AFrameDisablesTheButtonsUntilItCloses) {
    auto window = open_window();
    find<QLineEdit>(*window, "projectName")->setText("game");
    click(*window, "projectOk");
    ASSERT_EQ(window->shown_frame(), -1);
    EXPECT_TRUE(window->button(editor_button)->isEnabled());
    const int height_without_frame = window->height();

    trigger(*window, "表示");
    EXPECT_EQ(window->shown_frame(), display_frame);
    for (int i = 0; i < kButtonCount; ++i) EXPECT_FALSE(window->button(i)->isEnabled()) << i;
    EXPECT_GT(window->height(), height_without_frame);
    find<QComboBox>(*window, "fontSize")->setCurrentText("12");
    click(*window, "displaySet");
    EXPECT_EQ(window->shown_frame(), -1);
    EXPECT_EQ(window->height(), height_without_frame);
    EXPECT_TRUE(window->button(transfer_button)->isEnabled());
    EXPECT_EQ(window->message_window()->text_box()->font().pointSize(), 12);

    // The description item starts the editor once a project is open.
    trigger(*window, "転送設定ファイル(cf)の編集");
    ASSERT_EQ(runner_.detached.size(), 1u);
    EXPECT_EQ(runner_.detached[0].arguments, std::vector<std::string>{"game.cf"});
}

TEST_F(LmlWindowTest, TheDescriptionItemDoesNothingWithoutAProject) {
    auto window = open_window();
    EXPECT_EQ(window->font().family(), "IPAPGothic");
    EXPECT_EQ(window->font().pointSize(), 9);
    trigger(*window, "転送設定ファイル(cf)の編集");
    EXPECT_TRUE(runner_.detached.empty());
}

TEST_F(LmlWindowTest, TheMessageWindowDocksBelowTheMainWindow) {
    auto window = open_window();
    window->move(40, 30);
    window->launcher().report("line");
    auto* messages = window->message_window();
    EXPECT_TRUE(messages->isVisible());
    EXPECT_EQ(messages->text(), "line\n");
    const QRect outer = window->frameGeometry();
    EXPECT_EQ(messages->frameGeometry().left(), outer.left());
    EXPECT_EQ(messages->frameGeometry().top(), outer.top() + outer.height());
    EXPECT_EQ(messages->frameGeometry().width(), outer.width());

    find<QCheckBox>(*window, "dockBelow")->setChecked(false);
    messages->move(5, 500);
    window->resize(window->size());
    EXPECT_EQ(messages->pos(), QPoint(5, 500)) << "left where the user put it";
}

TEST_F(LmlWindowTest, ButtonProgramsAreChosenSavedOrCancelled) {
    std::filesystem::create_directories(path("tools/gfx"));
    write("tools/gfx/painter", std::string("#!/bin/sh\n"));
    std::filesystem::permissions(path("tools/gfx/painter"), std::filesystem::perms::owner_all);
    auto window = open_window();

    trigger(*window, "ボタン起動ファイル");
    find<QLineEdit>(*window, "displayName4")->setText(QString::fromUtf8("お絵描き"));
    click(*window, "choose4");
    ASSERT_EQ(window->shown_frame(), chooser_frame);
    auto* browser = window->findChild<launchers::FolderBrowser*>();
    ASSERT_TRUE(browser);
    EXPECT_EQ(browser->folder(), path("tools"));
    browser->set_folder(path("tools/gfx"));
    ASSERT_TRUE(browser->select_file("painter"));
    click(*window, "chooserSet");
    ASSERT_EQ(window->shown_frame(), buttons_frame);
    EXPECT_EQ(find<QLineEdit>(*window, "programPath4")->text().toStdString(), path("tools/gfx/painter"));
    EXPECT_EQ(find<QLineEdit>(*window, "displayName4")->text(), QString::fromUtf8("お絵描き"));
    click(*window, "buttonsSave");
    EXPECT_EQ(window->shown_frame(), -1);
    EXPECT_EQ(window->button(4)->text(), QString::fromUtf8("お絵描き"));
    const LmlSettings saved = load_lml_ini(path("lml.ini"), LmlSettings{});
    EXPECT_EQ(saved.buttons[4].program, path("tools/gfx/painter"));

    // Clearing empties path and name; cancel reads the saved file back.
    trigger(*window, "ボタン起動ファイル");
    click(*window, "choose4");
    click(*window, "chooserClear");
    EXPECT_TRUE(find<QLineEdit>(*window, "displayName4")->text().isEmpty());
    click(*window, "buttonsCancel");
    EXPECT_EQ(window->button(4)->text(), QString::fromUtf8("お絵描き"));
    EXPECT_EQ(window->launcher().settings().buttons[4].program, path("tools/gfx/painter"));
}

}  // namespace
}  // namespace lumora::lml
