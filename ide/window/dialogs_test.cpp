// The IDE's dialogs offscreen: the compile options page in step with its
// line both ways, the settings copy, and the folder chooser's tree.

#include <gtest/gtest.h>

#include <QTest>

#include "ide/window/folder_chooser_dialog.h"
#include "ide/window/project_settings_dialog.h"
#include "tests/support/qt_app.h"
#include "ui/sjis_text.h"

namespace lumora::ide {
namespace {

TEST(ProjectSettingsDialog, TheOptionLineAndItsFieldsFollowEachOther) {
    testing::qt_app();
    ProjectRecord record;
    record.name = "demo";
    record.compile_options = "-msw -NL -DDEBUG -Iinc";
    record.display_mode = kJapanese1;
    ProjectSettingsDialog dialog(record);
    CompileOptionsPage* page = dialog.compile_page();
    EXPECT_EQ(page->macro_edit()->text(), "DEBUG");
    EXPECT_EQ(page->include_edit()->text(), "inc");
    EXPECT_FALSE(page->box(0)->isChecked());
    EXPECT_TRUE(dialog.mode_button(kJapanese1)->isChecked());

    page->box(0)->click();  // tick "最適化する(&O)": -o appended, each token followed by a blank
    EXPECT_EQ(page->line_edit()->text(), "-msw -NL -DDEBUG -Iinc -o ");
    page->line_edit()->selectAll();
    QTest::keyClicks(page->line_edit(), "-w -r -DA -DB");  // typing the line ticks and fills
    EXPECT_FALSE(page->box(0)->isChecked());
    EXPECT_TRUE(page->box(1)->isChecked());
    EXPECT_TRUE(page->box(3)->isChecked());
    EXPECT_EQ(page->macro_edit()->text(), "A B");
    page->macro_edit()->selectAll();
    QTest::keyClicks(page->macro_edit(), "X");  // the macro field rewrites the -D tokens
    EXPECT_EQ(page->line_edit()->text(), "-w -r -DX ");

    dialog.output_edit()->setText("bin");
    dialog.auto_transfer_box()->setChecked(true);
    dialog.mode_button(kAscii2)->setChecked(true);
    const ProjectRecord edited = dialog.edited();
    EXPECT_EQ(edited.compile_options, "-w -r -DX ");
    EXPECT_EQ(edited.output_folder, "bin");
    EXPECT_TRUE(edited.auto_transfer);
    EXPECT_EQ(edited.display_mode, kAscii2);
    EXPECT_EQ(edited.name, "demo");
    EXPECT_EQ(record.compile_options, "-msw -NL -DDEBUG -Iinc") << "the dialog edits a copy";
}

class Folders : public FolderSource {
  public:
    std::vector<FolderRoot> roots() override { return {{"/home/u", "/home/u"}, {"/data", "/data"}}; }
    std::vector<std::string> subfolders(const std::string& path) override {
        if (path == "/home/u/") return {"work", "bin"};
        if (path == "/home/u/work/") return {"demo"};
        return {};
    }
};

TEST(FolderChooserDialog, ShowsTheRootsAndReturnsTheChosenFolder) {
    testing::qt_app();
    Folders source;
    FolderChooserDialog dialog(source);
    QTreeWidget* tree = dialog.tree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    QTreeWidgetItem* home = tree->topLevelItem(0);
    EXPECT_TRUE(home->isExpanded());
    EXPECT_FALSE(tree->topLevelItem(1)->isExpanded());
    ASSERT_EQ(home->childCount(), 2);
    EXPECT_EQ(home->child(0)->text(0), "bin");
    QTreeWidgetItem* work = home->child(1);
    ASSERT_EQ(work->childCount(), 1) << "one level below what is shown is loaded";
    EXPECT_EQ(dialog.chosen_path(), "/home/u/");
    work->setExpanded(true);
    tree->setCurrentItem(work->child(0));
    EXPECT_EQ(dialog.chosen_path(), "/home/u/work/demo/");
}

}  // namespace
}  // namespace lumora::ide
