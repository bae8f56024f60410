// The editor window's content through the edit seam: document commands with
// their message boxes, the dialogs, and recovery files.
#include "ide/editview/edit_child.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include "ide/app/settings.h"
#include "ide/editor/document_set.h"
#include "ide/editor/output_sink.h"
#include "ide/editor/test_util.h"
#include "ide/editview/colour_dialog.h"
#include "ide/editview/document_commands.h"
#include "ide/editview/find_dialog.h"
#include "ide/editview/jump_dialog.h"
#include "ide/editview/recovery.h"
#include "ide/editview/replace_dialog.h"
#include "ide/editview/view_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/scripted_boxes.h"
#include "ui/sjis_text.h"

namespace lumora::editview {
namespace {

using editor::CaretPos;
using editor::testing::read_file;
using editor::testing::ScratchDir;
using editor::testing::write_file;
using testing::key;
using testing::lines;
using testing::type;
using ui::BoxAnswer;
using Lines = std::vector<std::string>;

class FakeHost : public ide::EditHost {
  public:
    void set_status_position(int line, int column) override {
        line_ = line;
        column_ = column;
    }
    void set_status_overwrite(bool on) override { overwrite_ = on; }
    void state_changed(ide::EditChild&) override { ++changes_; }
    bool open_file_at(const std::string& path, int line, const std::string& find_text) override {
        find_texts_.push_back(find_text);
        opened_.push_back({path, line});
        return true;
    }
    const ide::Settings& settings() const override { return settings_; }
    const editor::KeywordDatabase* keywords() const override { return nullptr; }
    editor::SearchSettings& search_settings() override { return search_; }
    bool try_begin_busy(ide::BusyKind) override { return true; }
    void end_busy() override {}
    bool cancel_requested() const override { return false; }

    int line_ = -1, column_ = -1, changes_ = 0;
    bool overwrite_ = false;
    std::vector<std::pair<std::string, int>> opened_;
    std::vector<std::string> find_texts_;
    ide::Settings settings_;
    editor::SearchSettings search_;
};

// Runs `act` on the modal dialog of type D as soon as it is shown.
template <typename D, typename F>
void when_shown(F act) {
    QTimer::singleShot(0, [act] {
        auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        act(*d);
    });
}

class EditChildTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { testing::application(); }
    void SetUp() override {
        ::setenv("XDG_STATE_HOME", (dir_.path() + "/state").c_str(), 1);
        // Safety copies go apart from the files under test (the copy takes
        // the file's own name).
        std::filesystem::create_directory(dir_.path() + "/tmp");
        set_save_temp_folder(dir_.path() + "/tmp");
        boxes_guard_ = std::make_unique<ui::ScopedMessageBoxes>(boxes_);
    }
    void TearDown() override { set_save_path_chooser({}); }
    std::unique_ptr<ide::EditChild> open(const std::string& path) {
        auto outcome = docs_.open(path);
        EXPECT_NE(outcome.document, nullptr);
        auto child = ide::create_edit_child(docs_, *outcome.document, host_, nullptr);
        child->widget()->resize(500, 300);
        child->widget()->show();
        child->focus_view();
        QApplication::processEvents();
        return child;
    }
    CTextEditView& view(ide::EditChild& c) { return static_cast<EditChildWidget&>(c).view(); }

    ScratchDir dir_;
    FakeHost host_;
    editor::DocumentSet docs_{nullptr, 4};
    lumora::testing::ScriptedBoxes boxes_;
    std::unique_ptr<ui::ScopedMessageBoxes> boxes_guard_;
};

TEST_F(EditChildTest, TypingAndSavingKeepsShiftJisAndItsLineEndings) {
    const std::string path = dir_.file("a.c");
    write_file(path, "int \x8a\xbf;\r\nx\r\n");
    auto child = open(path);
    EXPECT_EQ(child->title().toStdString(), child->document().title());
    EXPECT_FALSE(child->title().endsWith(" *"));
    key(&view(*child), Qt::Key_End);
    type(&view(*child), QString::fromUtf8("字"));
    EXPECT_TRUE(child->state().modified);
    EXPECT_TRUE(child->title().endsWith("a.c *"));
    EXPECT_EQ(host_.column_, 9);
    EXPECT_TRUE(child->execute(ide::EditCommand::save));
    EXPECT_EQ(read_file(path), "int \x8a\xbf;\x8e\x9a\r\nx\r\n");
    EXPECT_FALSE(child->state().modified);
    EXPECT_TRUE(child->title().endsWith("a.c"));
    // Line endings: the radio item that is already set does nothing.
    EXPECT_FALSE(child->execute(ide::EditCommand::line_ending_crlf));
    EXPECT_TRUE(child->execute(ide::EditCommand::line_ending_lf));
    EXPECT_EQ(child->state().line_ending_mode, 1);
    EXPECT_TRUE(child->execute(ide::EditCommand::save));
    EXPECT_EQ(read_file(path), "int \x8a\xbf;\x8e\x9a\nx\n");
}

TEST_F(EditChildTest, FailedSavesKeepTheFileAndTheText) {
    const std::string path = dir_.file("ro.c");
    write_file(path, "old\r\n");
    ::chmod(path.c_str(), 0444);
    auto child = open(path);
    type(&view(*child), "new ");
    // Read-only: No keeps everything; the window stays modified.
    boxes_.expect(QString::fromUtf8("読み取り専用"), BoxAnswer::no);
    EXPECT_FALSE(child->execute(ide::EditCommand::save));
    EXPECT_EQ(read_file(path), "old\r\n");
    EXPECT_TRUE(child->state().modified);
    // Closing asks; Yes tries to save, the read-only No makes the save fail,
    // so the window stays open.
    boxes_.expect(QString::fromUtf8("変更を保存しますか"), BoxAnswer::yes)
        .expect(QString::fromUtf8("読み取り専用"), BoxAnswer::no);
    EXPECT_FALSE(child->query_close());
    // A folder that is gone by the time of saving: the failure box, nothing lost.
    const std::string folder = dir_.file("moving");
    ::mkdir(folder.c_str(), 0755);
    const std::string inside = folder + "/f.c";
    write_file(inside, "keep\r\n");
    auto second = open(inside);
    type(&view(*second), "z");
    std::filesystem::rename(folder, dir_.file("moved"));
    boxes_.expect(QString::fromUtf8("ファイルの保存に失敗しました。"), BoxAnswer::ok);
    EXPECT_FALSE(second->execute(ide::EditCommand::save));
    EXPECT_EQ(read_file(dir_.file("moved") + "/f.c"), "keep\r\n");
    EXPECT_FALSE(std::filesystem::exists(inside));
    EXPECT_EQ(lines(second->document()), (Lines{"zkeep", ""}));
    EXPECT_TRUE(second->state().modified);
    // No discards; Cancel keeps the window.
    boxes_.expect(QString::fromUtf8("変更を保存しますか"), BoxAnswer::cancel);
    EXPECT_FALSE(second->query_close());
    boxes_.expect(QString::fromUtf8("変更を保存しますか"), BoxAnswer::no);
    EXPECT_TRUE(second->query_close());
}

TEST_F(EditChildTest, SaveAsAsksBeforeOverwritingAndKeepsTheOldNameOnFailure) {
    editor::CTextDoc& doc = docs_.create();
    auto child = ide::create_edit_child(docs_, doc, host_, nullptr);
    child->widget()->show();
    type(&view(*child), "hello");
    EXPECT_EQ(child->title(), QString::fromUtf8("無題 *"));
    const std::string target = dir_.file("exists.txt");
    write_file(target, "there");
    set_save_path_chooser([&](QWidget*, const QString& initial) {
        EXPECT_TRUE(initial.isEmpty());
        return QString::fromStdString(target);
    });
    // A document without a path goes to Save As; No to the overwrite question.
    boxes_.expect(QString::fromUtf8("上書きしますか"), BoxAnswer::no);
    EXPECT_FALSE(child->execute(ide::EditCommand::save));
    EXPECT_EQ(read_file(target), "there");
    EXPECT_TRUE(doc.path().empty());
    boxes_.expect(QString::fromUtf8("上書きしますか"), BoxAnswer::yes);
    EXPECT_TRUE(child->execute(ide::EditCommand::save_as));
    EXPECT_EQ(read_file(target), "hello");
    EXPECT_EQ(doc.path(), target);
    EXPECT_TRUE(child->title().endsWith("exists.txt"));
}

// The real file dialog: every file shown ("*.*" matches names without a dot
// too), the current name offered, no question of its own (ours comes after),
// and no input method while it is open.
TEST_F(EditChildTest, SaveAsDialogShowsAllFilesWithTheInputMethodOff) {
    const std::string path = dir_.file("named.c");
    write_file(path, "x");
    auto child = open(path);
    CTextEditView& v = view(*child);
    type(&v, "y");
    bool checked = false;
    when_shown<QFileDialog>([&](QFileDialog& d) {
        EXPECT_EQ(d.nameFilters(), QStringList{QStringLiteral("All Files (*.*) (*)")});
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(d.testOption(QFileDialog::DontConfirmOverwrite));
        ASSERT_EQ(d.selectedFiles().size(), 1);
        EXPECT_EQ(QFileInfo(d.selectedFiles().front()).fileName(), QStringLiteral("named.c"));
        EXPECT_FALSE(v.testAttribute(Qt::WA_InputMethodEnabled));
        checked = true;
        d.reject();
    });
    EXPECT_FALSE(child->execute(ide::EditCommand::save_as));
    EXPECT_TRUE(checked);
    EXPECT_TRUE(v.testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_EQ(read_file(path), "x");
    EXPECT_EQ(child->document().path(), path);
    EXPECT_TRUE(child->document().modified());
}

TEST_F(EditChildTest, FindReplaceAndJumpDialogs) {
    const std::string path = dir_.file("s.c");
    write_file(path, "alpha beta\r\nbeta alpha beta\r\ngamma\r\nbeta");
    auto child = open(path);
    CTextEditView& v = view(*child);
    // Find: the word at the caret starts the dialog; 検索 searches forward.
    when_shown<FindDialog>([](FindDialog& d) {
        EXPECT_EQ(d.find_edit()->currentText(), QStringLiteral("alpha"));
        d.find_edit()->setEditText(QStringLiteral("BETA"));
        d.find_button()->click();
    });
    EXPECT_TRUE(child->execute(ide::EditCommand::find));
    EXPECT_EQ(v.controller().anchor(), (CaretPos{6, 0}));
    EXPECT_EQ(v.controller().caret(), (CaretPos{10, 0}));
    EXPECT_EQ(host_.search_.find_text, "BETA");
    // F3 goes on, Shift+F3 first selects the same match again.
    EXPECT_TRUE(child->execute(ide::EditCommand::find_next));
    EXPECT_EQ(v.controller().caret(), (CaretPos{4, 1}));
    EXPECT_TRUE(child->execute(ide::EditCommand::find_previous));
    EXPECT_EQ(v.controller().caret(), (CaretPos{0, 1}));
    // Mark all bookmarks every line with a match and keeps the dialog open.
    when_shown<FindDialog>([](FindDialog& d) {
        d.match_case()->setChecked(true);
        d.find_edit()->setEditText(QStringLiteral("gamma"));
        d.mark_all_button()->click();
        EXPECT_TRUE(d.isVisible());
        d.reject();
    });
    child->execute(ide::EditCommand::find);
    EXPECT_TRUE(child->document().line(2)->bookmark);
    EXPECT_FALSE(child->document().line(1)->bookmark);
    EXPECT_FALSE(v.controller().has_selection());
    // Replace all in the whole file, then one undo step at a time.
    v.act([](editor::EditController& c) { c.set_caret({0, 0}); });
    when_shown<ReplaceDialog>([](ReplaceDialog& d) {
        EXPECT_TRUE(d.whole_file()->isChecked());
        EXPECT_FALSE(d.selection_only()->isEnabled());
        d.find_edit()->setEditText(QStringLiteral("beta"));
        d.replace_edit()->setEditText(QStringLiteral("B"));
        d.replace_all_button()->click();
        d.reject();
    });
    child->execute(ide::EditCommand::replace);
    EXPECT_EQ(lines(child->document()), (Lines{"alpha B", "B alpha B", "gamma", "B"}));
    while (child->document().can_undo()) child->execute(ide::EditCommand::undo);
    EXPECT_EQ(lines(child->document()), (Lines{"alpha beta", "beta alpha beta", "gamma", "beta"}));
    // Replace within a selection leaves the rest alone; 次を検索 and 置換 are
    // off for that scope.
    v.act([](editor::EditController& c) { c.set_selection({0, 1}, {10, 1}); });
    when_shown<ReplaceDialog>([](ReplaceDialog& d) {
        EXPECT_TRUE(d.selection_only()->isChecked());
        EXPECT_FALSE(d.find_next_button()->isEnabled());
        EXPECT_FALSE(d.replace_button()->isEnabled());
        d.find_edit()->setEditText(QStringLiteral("alpha"));
        d.replace_edit()->setEditText(QString());  // an empty field deletes the matches
        d.replace_all_button()->click();
        d.whole_file()->click();
        EXPECT_TRUE(d.find_next_button()->isEnabled());
        d.reject();
    });
    child->execute(ide::EditCommand::replace);
    EXPECT_EQ(lines(child->document()), (Lines{"alpha beta", "beta  beta", "gamma", "beta"}));
    EXPECT_EQ(host_.search_.replace_text, "B");  // the stored text stays
    // Jump: limited to the line count, starting at the caret line.
    when_shown<JumpDialog>([](JumpDialog& d) {
        EXPECT_EQ(d.line_edit()->maximum(), 4);
        EXPECT_EQ(d.line_edit()->minimum(), 1);
        d.line_edit()->setValue(3);
        d.accept();
        d.go();
    });
    child->execute(ide::EditCommand::jump);
    EXPECT_EQ(v.controller().caret(), (CaretPos{0, 2}));
    EXPECT_EQ(host_.line_, 2);
}

TEST_F(EditChildTest, ColourDialogOkStoresAndCancelDiscards) {
    ide::Settings settings;
    const auto before = settings.background_colours;
    when_shown<ColourDialog>([](ColourDialog& d) {
        d.class_list()->setCurrentRow(ide::kColourRem);
        EXPECT_EQ(d.background_list()->currentRow(), editor::kColourChoiceCount - 1);
        d.background_list()->setCurrentRow(16);  // red
        EXPECT_EQ(d.sample()->colours().background, (editor::Rgb{255, 0, 0}));
        d.reject();
    });
    EXPECT_FALSE(ide::edit_colour_settings(nullptr, settings));
    EXPECT_EQ(settings.background_colours, before);
    when_shown<ColourDialog>([](ColourDialog& d) {
        EXPECT_EQ(d.class_list()->count(), 15);
        EXPECT_EQ(d.text_list()->count(), 23);
        d.class_list()->setCurrentRow(ide::kColourRem);
        d.background_list()->setCurrentRow(16);
        d.text_list()->setCurrentRow(1);
        d.accept();
    });
    EXPECT_TRUE(ide::edit_colour_settings(nullptr, settings));
    EXPECT_EQ(settings.background_colours[ide::kColourRem], editor::make_colorref(255, 0, 0));
    EXPECT_EQ(settings.text_colours[ide::kColourRem], editor::make_colorref(255, 255, 255));
    EXPECT_EQ(settings.text_colours[ide::kColourDefault], ide::kDefaultTextColours[ide::kColourDefault]);
}

TEST_F(EditChildTest, FindInProjectListsResultsThatOpenAtTheirLine) {
    const std::string a = dir_.file("a.c"), b = dir_.file("b.h");
    write_file(a, "x\r\nneedle needle needle\r\n");
    write_file(b, "needle\r\n\r\nno\r\n\tneedle");
    when_shown<FindDialog>([](FindDialog& d) {
        EXPECT_EQ(d.windowTitle(), QString::fromUtf8("ﾌﾟﾛｼﾞｪｸﾄから検索"));
        EXPECT_EQ(d.mark_all_button(), nullptr);
        EXPECT_EQ(d.find_edit()->currentText(), QStringLiteral("needle"));
        d.find_button()->click();
    });
    ASSERT_TRUE(ide::ask_find_in_project(nullptr, host_.search_, "needle"));
    ide::OutputList output;
    editor::OutputListSink sink(output);
    auto outcome = editor::find_in_project({a, b}, host_.search_, 4, sink);
    EXPECT_EQ(outcome.count, 3);
    ASSERT_EQ(output.size(), 5u);
    const auto& row = output.at(3);  // the second hit in b.h
    EXPECT_EQ(row.line, 4);
    // A jump from that row: the file opens and the caret goes to the line.
    auto child = open(row.file);
    child->go_to_line(row.line);
    EXPECT_EQ(view(*child).controller().caret(), (CaretPos{0, 3}));
}

TEST_F(EditChildTest, RecoveryFilesFollowTheModifiedFlag) {
    const std::string path = dir_.file("r.txt");
    write_file(path, "saved");
    RecoveryKeeper keeper(dir_.path() + "/rec", 10);
    auto outcome = docs_.open(path);
    editor::CTextDoc& doc = *outcome.document;
    keeper.attach(doc);
    keeper.flush();
    EXPECT_TRUE(editor::testing::list_dir(dir_.path()).size() > 0);
    const std::string file = keeper.file_of(doc);
    EXPECT_FALSE(std::filesystem::exists(file));  // nothing for unmodified text
    editor::EditController c(doc);
    c.set_caret({5, 0});
    c.type_byte('!');
    // Written by the timer shortly after the edit.
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(file), 5000);
    editor::RecoveredDocument back;
    ASSERT_TRUE(editor::RecoveryStore::decode(read_file(file), back));
    EXPECT_EQ(back.lines, (Lines{"saved!"}));
    EXPECT_EQ(back.path, path);
    EXPECT_EQ(save_document(nullptr, doc), editor::SaveResult::kSaved);
    QTRY_VERIFY_WITH_TIMEOUT(!std::filesystem::exists(file), 5000);
    c.type_byte('?');
    keeper.flush();
    EXPECT_TRUE(std::filesystem::exists(file));
    // Closing the last window removes it.
    keeper.detach(doc);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(EditChildTest, AKilledEditorsUnsavedTextIsRestoredExactly) {
    const std::string path = dir_.file("k.c");
    write_file(path, "int \x8a\xbf;\r\n");
    const std::string state = dir_.path() + "/killed-state";
    auto probe = lumora::testing::Child::start(
        {{LUMORA_BIN_DIR "/editview_probe", path, "--type", "x\n字"}, "", "", {"XDG_STATE_HOME=" + state}});
    ASSERT_TRUE(probe);
    auto line = probe->wait_for_line("recovery ", 60000);
    ASSERT_TRUE(line) << probe->err();
    probe->signal(SIGKILL);
    probe->wait(10000);
    EXPECT_EQ(read_file(path), "int \x8a\xbf;\r\n");  // never saved
    // The next start offers the text back.
    editor::RecoveryStore store(state + "/kelvane");
    std::vector<editor::CTextDoc*> opened;
    boxes_.expect(QString::fromUtf8("復元しますか"), BoxAnswer::yes);
    EXPECT_EQ(offer_recovered_documents(
                  nullptr, docs_, [&](editor::CTextDoc& d) { opened.push_back(&d); }, &store),
              1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(lines(*opened[0]), (Lines{"x", "\x8e\x9aint \x8a\xbf;", ""}));
    EXPECT_EQ(opened[0]->path(), path);
    EXPECT_TRUE(opened[0]->modified());
    EXPECT_EQ(opened[0]->text_type(), editor::kTypeC);
    // Offered once: the files of the dead session are gone.
    EXPECT_TRUE(store.orphans().empty());
}

}  // namespace
}  // namespace lumora::editview
