// The launcher's behaviour with a runner that plays the tools: command lines,
// the compile sequence and its message text, buttons and menu items.

#include "launcher.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "launchers/frontend/fake_tool_runner.h"
#include "tests/support/scratch_folder_test.h"

namespace lumora::lml {
namespace {

using launchers::FakeToolRunner;
using launchers::ToolRequest;
using Words = std::vector<std::string>;

struct RecordedEvents : LauncherEvents {
    void message_text_changed(const std::string& text) override { this->text = text; }
    void show_message_window() override { ++shown; }
    void busy_changed(bool busy) override { busy_changes.push_back(busy); }
    void restore_height() override { ++heights_restored; }
    std::string text;
    int shown = 0;
    std::vector<bool> busy_changes;
    int heights_restored = 0;
};

class LauncherTest : public testing::ScratchFolderTest {
  protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        root_ = dir_.string();
        launcher_ = std::make_unique<Launcher>(KitPaths{root_, "/opt/lml"}, runner_, events_);
        std::string error;
        ASSERT_TRUE(launcher_->prepare_kit(error)) << error;
    }
    void open(const std::string& name = "game") { ASSERT_EQ(launcher_->choose_project(name), NameCheck::ok); }
    std::string project_file(const std::string& name) const { return root_ + "/myprog/game/" + name; }
    // Plays the compiler: its messages, and the program unless told not to.
    void compiler_says(const std::string& messages, bool writes_program = true, int exit_code = 0) {
        write("myprog/game/lcc86lm.mes", messages);
        if (writes_program) write("myprog/game/game.bin", std::string("code"));
        runner_.end(exit_code);
    }
    void packer_says(const std::string& messages, bool writes_entry = true) {
        write("myprog/game/hdrpack.mes", messages);
        if (writes_entry) write("myprog/game/game.fx", std::string("#!ws"));
        runner_.end();
    }

    std::string root_;
    FakeToolRunner runner_;
    RecordedEvents events_;
    std::unique_ptr<Launcher> launcher_;
};

TEST_F(LauncherTest, EveryActionHasItsExactCommandLineAndFolder) {
    open();
    const std::string dir = root_ + "/myprog/game/";
    launcher_->settings().mode = RunMode::transfer;
    launcher_->press(compiler_button);
    compiler_says("");
    packer_says("");
    ASSERT_EQ(runner_.waited.size(), 3u);
    const ToolRequest& compile = runner_.waited[0];
    EXPECT_EQ(compile.program, root_ + "/lsic86lm/bin/lcc86");
    EXPECT_EQ(compile.arguments, (Words{"-o", dir + "game.bin", dir + "game.c"}));
    EXPECT_EQ(compile.working_folder, root_ + "/lsic86lm/bin");
    EXPECT_EQ(compile.output_file, dir + "lcc86lm.mes");
    const ToolRequest& pack = runner_.waited[1];
    EXPECT_EQ(pack.program, root_ + "/bin/hdrpack");
    EXPECT_EQ(pack.arguments, (Words{"game.cf"}));
    EXPECT_EQ(pack.working_folder, root_ + "/myprog/game");
    EXPECT_EQ(pack.output_file, dir + "hdrpack.mes");
    const ToolRequest& send = runner_.waited[2];
    EXPECT_EQ(send.program, "/opt/lml/lmPutw") << "not in the kit root, so beside lml";
    EXPECT_EQ(send.arguments, (Words{"-x", "-d", "game.fx", "/rom0"}));
    EXPECT_EQ(send.working_folder, root_ + "/myprog/game");
    EXPECT_TRUE(send.output_file.empty());
    runner_.end();

    launcher_->press(emulator_button);
    EXPECT_EQ(runner_.waited.back().program, root_ + "/tools/sonavo033/sonavo");
    EXPECT_EQ(runner_.waited.back().arguments, (Words{"game.fx"}));
    EXPECT_EQ(runner_.waited.back().working_folder, root_ + "/myprog/game");
    runner_.end();

    launcher_->settings().buttons[0].program = "/usr/bin/mousepad";
    launcher_->settings().buttons[5] = {"/usr/bin/gimp", "GIMP"};
    launcher_->press(editor_button);
    launcher_->edit_description();
    launcher_->press(5);
    launcher_->start_program(launcher_->paths().pixtil2());
    launcher_->open_console();
    ASSERT_EQ(runner_.detached.size(), 5u);
    EXPECT_EQ(runner_.detached[0].program, "/usr/bin/mousepad");
    EXPECT_EQ(runner_.detached[0].arguments, (Words{"game.c"}));
    EXPECT_EQ(runner_.detached[1].arguments, (Words{"game.cf"}));
    EXPECT_EQ(runner_.detached[2].program, "/usr/bin/gimp");
    EXPECT_TRUE(runner_.detached[2].arguments.empty());
    EXPECT_EQ(runner_.detached[3].program, "/opt/lml/pixtil2");
    EXPECT_EQ(runner_.detached[4].program, "x-terminal-emulator");
    for (const auto& started : runner_.detached) EXPECT_EQ(started.working_folder, root_ + "/myprog/game");
}

TEST_F(LauncherTest, KitProgramsInTheKitRootWinOverThoseBesideLml) {
    std::filesystem::create_directories(path("tools/lmput"));
    write("tools/lmput/lmPutw", std::string("#!/bin/sh\n"));
    std::filesystem::permissions(path("tools/lmput/lmPutw"), std::filesystem::perms::owner_all);
    EXPECT_EQ(launcher_->paths().transfer_tool(), root_ + "/tools/lmput/lmPutw");
    EXPECT_EQ(launcher_->paths().default_editor(), "/opt/lml/kelvane");
    EXPECT_EQ(kit_root_from("/k/", "/home/u"), "/k");
    EXPECT_EQ(kit_root_from("", "/home/u"), "/home/u/lumo");
    EXPECT_EQ(kit_root_from(nullptr, nullptr), "/lumo");
}

TEST_F(LauncherTest, EmptyCompilerMessagesGoOnToTheFileEntryAndFinish) {
    open();
    write("myprog/game/game.bin", std::string("old program"));
    launcher_->press(compiler_button);
    EXPECT_TRUE(launcher_->busy());
    EXPECT_EQ(events_.shown, 1);
    EXPECT_EQ(events_.text, "コンパイル開始\r\n");
    EXPECT_FALSE(std::filesystem::exists(project_file("game.bin"))) << "the old program is out of the way";
    compiler_says("");
    EXPECT_TRUE(launcher_->busy());
    EXPECT_EQ(events_.text, "コンパイル開始\r\nファイル変換開始\r\n");
    packer_says("hdrpack: game.fx (132 bytes)\r\n");
    EXPECT_EQ(events_.text,
              "コンパイル開始\r\nファイル変換開始\r\nhdrpack: game.fx (132 bytes)\r\n"
              "コンパイル、ファイル変換が終了しました\r\n");
    EXPECT_FALSE(launcher_->busy());
    EXPECT_EQ(events_.busy_changes, (std::vector<bool>{true, false}));
}

TEST_F(LauncherTest, AWarningStopsAfterTheCompileWithTheFolderPrefixDropped) {
    open();
    launcher_->press(compiler_button);
    compiler_says(root_ + "/myprog/game/game.c(6) : warning: unused\r\nlcc86: 1 warning\r\n");
    EXPECT_EQ(events_.text, "コンパイル開始\r\ngame.c(6) : warning: unused\r\nlcc86: 1 warning\r\n");
    EXPECT_FALSE(launcher_->busy());
    EXPECT_EQ(runner_.waited.size(), 1u) << "no file entry after compiler messages";
    EXPECT_EQ(without_folder_prefix("/a/b", "/a/b/"), "/a/b") << "shorter than the folder: whole";
}

TEST_F(LauncherTest, ACompileThatFailedSilentlyNeverPacksAnOldProgram) {
    open();
    write("myprog/game/game.fx", std::string("old entry"));

    launcher_->press(compiler_button);
    runner_.end(0, /*started=*/false);
    EXPECT_EQ(events_.text, "コンパイル開始\r\n起動できません: " + root_ +
                                "/lsic86lm/bin/lcc86 (No such file or directory)\r\n");

    launcher_->press(compiler_button);
    compiler_says("", /*writes_program=*/true, /*exit_code=*/2);
    EXPECT_EQ(events_.text, "コンパイル開始\r\n終了コード 2 で終了しました: lcc86\r\n");

    launcher_->press(compiler_button);
    compiler_says("", /*writes_program=*/false);
    EXPECT_EQ(events_.text, "コンパイル開始\r\n作成されませんでした: game.bin\r\n");

    launcher_->press(compiler_button);
    runner_.end();  // exit 0 and no message file at all
    EXPECT_EQ(events_.text,
              "コンパイル開始\r\nメッセージファイルがありません: " + root_ + "/myprog/game/lcc86lm.mes\r\n");

    EXPECT_EQ(runner_.waited.size(), 4u) << "hdrpack never ran";
    EXPECT_FALSE(launcher_->busy());
}

TEST_F(LauncherTest, AFailedFileEntryIsNeitherRunNorSent) {
    open();
    launcher_->settings().mode = RunMode::transfer;
    write("myprog/game/game.fx", std::string("old entry"));
    launcher_->press(compiler_button);
    compiler_says("");
    packer_says("hdrpack: cannot open game.bin\r\n", /*writes_entry=*/false);
    EXPECT_EQ(events_.text,
              "コンパイル開始\r\nファイル変換開始\r\nhdrpack: cannot open game.bin\r\n作成されませんでした: "
              "game.fx\r\n");
    EXPECT_EQ(runner_.waited.size(), 2u);
    EXPECT_FALSE(launcher_->busy());
}

TEST_F(LauncherTest, ContinuousModesRunTheEmulatorOrTransferAndRestoreTheHeight) {
    open();
    launcher_->settings().mode = RunMode::emulator;
    launcher_->press(compiler_button);
    compiler_says("");
    packer_says("");
    EXPECT_TRUE(launcher_->busy()) << "still waiting for the emulator";
    EXPECT_EQ(events_.text, "コンパイル開始\r\nファイル変換開始\r\nエミュレータ起動\r\n");
    launcher_->press(transfer_button);  // ignored while busy
    runner_.end();
    EXPECT_FALSE(launcher_->busy());
    EXPECT_EQ(events_.heights_restored, 1);
    EXPECT_EQ(runner_.waited.size(), 3u);

    launcher_->press(transfer_button);
    EXPECT_EQ(events_.text.substr(events_.text.size() - 26), "ファイル転送開始\r\n");
    runner_.end(1);
    EXPECT_NE(events_.text.find("終了コード 1 で終了しました: lmPutw\r\n"), std::string::npos);
    EXPECT_EQ(events_.heights_restored, 2);
}

TEST_F(LauncherTest, ButtonsAndMenuItemsThatHaveNothingToDo) {
    // No project: the description item and the project buttons do nothing.
    launcher_->edit_description();
    launcher_->press(editor_button);
    launcher_->press(compiler_button);
    EXPECT_TRUE(runner_.detached.empty());
    EXPECT_TRUE(runner_.waited.empty());

    // A user button without a display name does nothing; one without a
    // program says so instead of starting nothing silently.
    launcher_->settings().buttons[4] = {"/usr/bin/gimp", ""};
    launcher_->press(4);
    EXPECT_TRUE(runner_.detached.empty());
    EXPECT_TRUE(events_.text.empty());
    launcher_->settings().buttons[6] = {"", "ユーザー③"};
    launcher_->press(6);
    EXPECT_TRUE(runner_.detached.empty());
    EXPECT_EQ(events_.text, "プログラムが設定されていません: ユーザー③\r\n");

    runner_.detached_error = "Permission denied";
    launcher_->settings().buttons[5] = {"/etc/passwd", "x"};
    launcher_->press(5);
    EXPECT_NE(events_.text.find("起動できません: /etc/passwd (Permission denied)\r\n"), std::string::npos);
}

TEST_F(LauncherTest, RefusedNamesLeaveNoProjectAndButtonRulesFollowTheState) {
    EXPECT_EQ(launcher_->choose_project("ninechars"), NameCheck::too_long);
    EXPECT_EQ(launcher_->choose_project(""), NameCheck::empty);
    EXPECT_TRUE(launcher_->project().empty());
    EXPECT_EQ(list_projects(launcher_->paths()).size(), 0u);
    open("eightchr");
    EXPECT_EQ(launcher_->current_folder(), root_ + "/myprog/eightchr");

    EXPECT_FALSE(button_enabled(editor_button, {false, false, false}));
    EXPECT_TRUE(button_enabled(4, {false, false, false}));
    EXPECT_TRUE(button_enabled(transfer_button, {false, false, true}));
    EXPECT_FALSE(button_enabled(compiler_button, {true, false, true}));
    EXPECT_FALSE(button_enabled(6, {false, true, true}));
}

}  // namespace
}  // namespace lumora::lml
