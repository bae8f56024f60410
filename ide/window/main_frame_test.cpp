// The IDE's window as a user drives it (offscreen): projects through the
// dialogs, the tree, builds with the stand-in toolchain, the output pane,
// the busy state, transfer to the virtual console, start-up and exit.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "ide/commands/menu_layout.h"
#include "ide/editor/recovery_store.h"
#include "ide/project/project_creation.h"
#include "ide/window/frame_body.h"
#include "ide/window/frame_test_fixture.h"
#include "ide/window/new_file_dialog.h"
#include "ide/window/new_project_dialog.h"
#include "ide/window/output_pane.h"
#include "ide/window/project_pane.h"
#include "ide/window/startup.h"
#include "ide/window/tool_icons.h"
#include "platform/qt_settings_store.h"
#include "tests/support/child_process.h"
#include "tests/support/qt_app.h"
#include "tests/support/scripted_boxes.h"
#include "ui/sjis_text.h"

namespace lumora::ide {
namespace {

namespace fs = std::filesystem;
using ui::BoxAnswer;

using testing_support::kBin;
using testing_support::kCompiler;
using testing_support::kSdk;

// Records the order of writes on top of the real store.
class RecordingStore : public platform::SettingsStore {
  public:
    explicit RecordingStore(platform::SettingsStore& inner) : inner_(inner) {}
    bool exists() const override { return inner_.exists(); }
    std::optional<std::string> read_string(const std::string& s, const std::string& n) const override {
        return inner_.read_string(s, n);
    }
    std::optional<uint32_t> read_number(const std::string& s, const std::string& n) const override {
        return inner_.read_number(s, n);
    }
    bool write_string(const std::string& s, const std::string& n, const std::string& v) override {
        log.push_back(s + "/" + n);
        return inner_.write_string(s, n, v);
    }
    bool write_number(const std::string& s, const std::string& n, uint32_t v) override {
        log.push_back(s + "/" + n);
        return inner_.write_number(s, n, v);
    }
    bool flush() override { return inner_.flush(); }
    std::vector<std::string> log;

  private:
    platform::SettingsStore& inner_;
};

std::vector<std::string> output_lines(const CKelvaneDoc& doc) {
    std::vector<std::string> out;
    for (const auto& m : doc.messages().messages()) out.push_back(m.text);
    return out;
}

long index_of(const std::vector<std::string>& lines, const std::string& text) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == text) return static_cast<long>(i);
    return -1;
}

std::string sjis(const char* utf8_text) {
    return ui::to_sjis(QString::fromUtf8(utf8_text));
}

class MainFrameTest : public testing_support::FrameTest {
  protected:
    FrameServices services() {
        FrameServices s;
        s.exec_dialog = [this](QDialog& d) {
            if (!on_dialog) {
                ADD_FAILURE() << "unexpected dialog " << d.windowTitle().toStdString();
                return static_cast<int>(QDialog::Rejected);
            }
            return on_dialog(d);
        };
        s.open_files = [this](QWidget*, const QString&, const QString&, const QString&) {
            return files_to_choose;
        };
        s.beep = [this] { ++beeps; };
        s.com1_device = link_;
        return s;
    }

    // Starts the IDE as the program does, on `store`.
    CMainFrame& start(platform::SettingsStore& store, const std::vector<std::string>& files = {}) {
        return start_frame(store, services(), files);
    }
    CMainFrame& start() { return start(memory_); }

    // A project made on disk as "ﾌﾟﾛｼﾞｪｸﾄの新規作成" makes it.
    std::string make_project(const std::string& source) {
        const std::string folder = tmp_ / "work/demo";
        create_folder_tree(folder);
        auto created = create_project(folder, "demo", [](const std::string&) { return true; });
        EXPECT_TRUE(created.doc) << created.error;
        std::ofstream(folder + "/demo.c", std::ios::binary) << source;
        return folder + "/demo.lmp";
    }

    std::function<int(QDialog&)> on_dialog;
    QStringList files_to_choose;
    int beeps = 0;
    const std::string link_ = tmp_ / "com1";
};

TEST_F(MainFrameTest, CreateAProjectThroughTheDialogThenAddFiles) {
    CMainFrame& f = start();
    EXPECT_EQ(f.windowTitle(), "Kelvane");
    ASSERT_EQ(f.project_pane()->topLevelItemCount(), 1);
    EXPECT_EQ(f.project_pane()->topLevelItem(0)->text(0), "ﾌﾟﾛｼﾞｪｸﾄ 無し");

    int shown = 0;
    on_dialog = [&](QDialog& d) {
        auto* dialog = qobject_cast<NewProjectDialog*>(&d);
        EXPECT_TRUE(dialog);
        ++shown;
        dialog->folder_edit()->setText(QString::fromStdString(tmp_ / "work"));
        dialog->name_edit()->setText("../demo");
        dialog->accept();  // refused: stays open
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        dialog->name_edit()->setText("demo");
        EXPECT_EQ(dialog->result_edit()->text().toStdString(), tmp_ / "work/demo");
        dialog->accept();  // the folder is missing: created on Yes
        return dialog->result();
    };
    boxes_.expect("名前に \\ や / は使えません。", BoxAnswer::ok);
    boxes_.expect("フォルダが見つかりません。作成しますか？", BoxAnswer::yes);
    f.run_command(CommandId::project_new);
    EXPECT_EQ(shown, 1);
    ASSERT_TRUE(f.project());
    EXPECT_EQ(f.windowTitle(), "demo - Kelvane");
    EXPECT_TRUE(fs::exists(tmp_ / "work/demo/demo.lmp"));
    EXPECT_TRUE(fs::exists(tmp_ / "work/demo/demo.c"));
    ASSERT_EQ(f.project_pane()->topLevelItemCount(), 3);
    EXPECT_EQ(f.project_pane()->topLevelItem(0)->child(0)->text(0), "demo.c");
    EXPECT_EQ(app_->recent_projects.entries().front(), tmp_ / "work/demo/demo.lmp");

    // Add files: a FIFO among them is refused, never read.
    const std::string dir = tmp_ / "work/demo";
    std::ofstream(dir + "/io.h") << "";
    std::ofstream(dir + "/notes.txt") << "";
    ASSERT_EQ(::mkfifo((dir + "/pipe.c").c_str(), 0600), 0);
    files_to_choose = {QString::fromStdString(dir + "/io.h"), QString::fromStdString(dir + "/pipe.c"),
                       QString::fromStdString(dir + "/notes.txt")};
    boxes_.expect("通常のファイルではない", BoxAnswer::ok);
    f.project_pane()->topLevelItem(0)->setExpanded(true);
    f.run_command(CommandId::project_add_files);
    EXPECT_EQ(f.project()->record().headers.size(), 1u);
    EXPECT_EQ(f.project()->record().others.size(), 1u);
    EXPECT_EQ(f.project()->record().sources.size(), 1u);
    EXPECT_TRUE(f.project()->modified());

    // Add a new file: an existing name keeps the dialog open; nothing is truncated.
    std::ofstream(dir + "/old.c") << "keep";
    on_dialog = [&](QDialog& d) {
        auto* dialog = qobject_cast<NewFileDialog*>(&d);
        EXPECT_TRUE(dialog);
        EXPECT_EQ(dialog->folder_edit()->text().toStdString(), dir);
        dialog->name_edit()->setText("old.c");
        dialog->accept();
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        dialog->name_edit()->setText("new.c");
        dialog->accept();
        return dialog->result();
    };
    boxes_.expect("そのファイルはすでに存在しています。", BoxAnswer::ok);
    f.run_command(CommandId::project_add_new_file);
    EXPECT_EQ(fs::file_size(dir + "/old.c"), 4u);
    EXPECT_TRUE(fs::exists(dir + "/new.c"));
    ASSERT_EQ(f.project()->record().sources.size(), 2u);
    // The rebuilt tree keeps the expanded heading expanded.
    QTreeWidgetItem* sources = f.project_pane()->topLevelItem(0);
    EXPECT_TRUE(sources->isExpanded());
    ASSERT_EQ(sources->childCount(), 2);

    // Delete acts on file items only, and only from the tree.
    f.activateWindow();
    f.project_pane()->setFocus();
    f.project_pane()->setCurrentItem(sources);
    f.update_commands();
    f.run_command(CommandId::project_delete_file);
    EXPECT_EQ(f.project()->record().sources.size(), 2u);
    f.project_pane()->setCurrentItem(f.project_pane()->topLevelItem(0)->child(1));
    f.project_pane()->setFocus();
    f.update_commands();
    ASSERT_TRUE(f.action(CommandId::project_delete_file)->isEnabled());
    f.run_command(CommandId::project_delete_file);
    ASSERT_EQ(f.project()->record().sources.size(), 1u);
    EXPECT_TRUE(fs::exists(dir + "/new.c")) << "removing from the project never deletes the file";

    boxes_.expect("への変更を保存しますか？", BoxAnswer::no);
    EXPECT_TRUE(f.close_project());
    EXPECT_EQ(f.windowTitle(), "Kelvane");
    EXPECT_EQ(f.project_pane()->topLevelItem(0)->text(0), "ﾌﾟﾛｼﾞｪｸﾄ 無し");
}

TEST_F(MainFrameTest, BuildShowsItsRowsAndErrorsLeadIntoTheEditor) {
    const std::string lmp = make_project(
        "#include <sys/bios.h>\r\nint main(void)\r\n{\r\n#error sprites missing\r\n#warning slow\r\n"
        "#error palette missing\r\n}\r\n");
    CMainFrame& f = start(memory_, {lmp});
    ASSERT_TRUE(f.project());
    EXPECT_EQ(fs::current_path(), fs::path(tmp_ / "work/demo"));

    QTest::keyClick(&f, Qt::Key_F7);
    QCoreApplication::processEvents();  // the command runs after the key's event
    const auto lines = output_lines(*f.project());
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0].rfind("Build Start ", 0), 0u);
    EXPECT_EQ(lines[1], sjis("ｺﾝﾊﾟｲﾙ中..."));
    EXPECT_EQ(lines[2], "demo.c -> demo.Obj");
    const auto& messages = f.project()->messages();
    EXPECT_EQ(messages.at(3).kind, kCompileError);
    EXPECT_EQ(messages.at(3).line, 4);
    EXPECT_EQ(messages.at(4).kind, kCompileWarning);
    EXPECT_EQ(messages.at(5).kind, kCompileError);
    EXPECT_EQ(index_of(lines, sjis("ﾘﾝｸ中...")), -1);
    EXPECT_EQ(lines.back().rfind("Build Time = ", 0), 0u);
    EXPECT_EQ(f.last_build().errors, 2);
    EXPECT_EQ(beeps, 1);
    // The pane followed the build to its last line.
    EXPECT_EQ(f.output_pane()->model().selected(), lines.size() - 1);

    // A double click on the first error opens demo.c at line 4.
    OutputPane* pane = f.output_pane();
    const int row = 3 - pane->model().top();
    ASSERT_GE(row, 0);
    QTest::mouseDClick(pane->viewport(), Qt::LeftButton, {}, QPoint(4, row * pane->cell_height() + 2));
    ASSERT_TRUE(f.active_child());
    EXPECT_EQ(f.active_child()->document().path(), tmp_ / "work/demo/demo.c");
    EXPECT_EQ(f.active_child()->state().line, 3);

    // F4 walks errors and warnings, Shift+F4 back; the editor follows.
    f.run_command(CommandId::next_message);
    EXPECT_EQ(pane->model().selected(), 4u);
    EXPECT_EQ(f.active_child()->state().line, 4);
    f.run_command(CommandId::next_message);
    EXPECT_EQ(pane->model().selected(), 5u);
    f.run_command(CommandId::next_message);  // wraps
    EXPECT_EQ(pane->model().selected(), 3u);
    f.run_command(CommandId::previous_message);
    EXPECT_EQ(pane->model().selected(), 5u);
    EXPECT_EQ(f.active_child()->state().line, 5);
    EXPECT_EQ(f.mdi()->subWindowList().size(), 1) << "one window per document";
}

TEST_F(MainFrameTest, WhileABuildRunsNothingElseStartsAndCtrlPauseCancels) {
    const std::string lmp = make_project("int main(void)\r\n{\r\n}\r\n");
    CMainFrame& f = start(memory_, {lmp});
    ASSERT_TRUE(f.project());
    ::setenv("LUMORA_STANDIN_SLEEP", "sc:60", 1);
    bool checked = false;
    QTimer probe;
    probe.setInterval(50);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (checked || !f.action(CommandId::cancel_build)->isEnabled()) return;
        checked = true;
        EXPECT_EQ(f.busy().kind(), BusyKind::build);
        for (CommandId id : {CommandId::build, CommandId::full_build, CommandId::transfer,
                             CommandId::transfer_execute, CommandId::project_close, CommandId::project_open})
            EXPECT_FALSE(f.action(id)->isEnabled()) << static_cast<int>(id);
        f.run_command(CommandId::build);  // a key arriving anyway does nothing
        f.run_command(CommandId::transfer);
        EXPECT_FALSE(f.close_project());  // refused with the Part's message
        EXPECT_FALSE(f.close());          // quitting too
        EXPECT_TRUE(f.project());
        QTest::keyClick(&f, Qt::Key_Pause, Qt::ControlModifier);
    });
    boxes_.expect("ビルド中は終了できません", BoxAnswer::ok);
    boxes_.expect("ビルド中は終了できません", BoxAnswer::ok);
    probe.start();
    f.run_command(CommandId::build);
    probe.stop();
    ::unsetenv("LUMORA_STANDIN_SLEEP");
    EXPECT_TRUE(checked);
    EXPECT_TRUE(f.last_build().cancelled);
    const auto lines = output_lines(*f.project());
    const long cancelled = index_of(lines, sjis("ﾋﾞﾙﾄﾞを中止しました。"));
    ASSERT_GE(cancelled, 0);
    EXPECT_EQ(lines.at(cancelled + 1).rfind("Build End ", 0), 0u);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), sjis("ﾋﾞﾙﾄﾞを中止しました。")), 1);
    EXPECT_FALSE(f.busy().busy());
    EXPECT_TRUE(f.action(CommandId::build)->isEnabled());
}

TEST_F(MainFrameTest, F5SendsTheProgramToTheConsoleAndRunsIt) {
    const std::string lmp = make_project("int main(void)\r\n{\r\n}\r\n");
    CMainFrame& f = start(memory_, {lmp});
    ASSERT_TRUE(f.project());
    f.run_command(CommandId::build);
    ASSERT_TRUE(f.last_build().succeeded());

    testing::ChildOptions console;
    console.argv = {kBin + "/vconsole", "--pty", link_, "--store", tmp_ / "rom0"};
    fs::create_directories(tmp_ / "rom0");
    auto child = testing::Child::start(console);
    ASSERT_TRUE(child && child->wait_for_line("ready", 10000));

    QTest::keyClick(&f, Qt::Key_F5);
    QCoreApplication::processEvents();
    const auto lines = output_lines(*f.project());
    const long sent = index_of(lines, sjis("転送開始"));
    EXPECT_EQ(sent, 0) << "the output was emptied first";
    const long done = index_of(lines, sjis("転送終了"));
    EXPECT_GT(done, sent);
    EXPECT_EQ(index_of(lines, sjis("実行開始")), done + 1);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), sjis("実行終了"));
    EXPECT_FALSE(f.busy().busy());
    std::ifstream stored(tmp_ / "rom0/demo", std::ios::binary);
    EXPECT_TRUE(stored.good()) << "the console holds the program";
}

TEST_F(MainFrameTest, StartUpExitAndRecentListsSurviveARestart) {
    ::setenv("XDG_CONFIG_HOME", (tmp_ / "config").c_str(), 1);
    const std::string lmp = make_project("int main(void)\r\n{\r\n}\r\n");
    const std::string text = tmp_ / "notes.txt";
    std::ofstream(text) << "hello\n";
    {
        platform::QtSettingsStore qt("Umbrane", "Kelvane");
        RecordingStore store(qt);
        // A first start: the environment dialog once; a stored rectangle on no screen is not used.
        store.write_string("MainFrame", "WindowRect", "-9000,-9000,-8000,-8500");
        int environment = 0;
        on_dialog = [&](QDialog& d) {
            ++environment;
            EXPECT_EQ(d.windowTitle(), "環境設定");
            return static_cast<int>(QDialog::Rejected);
        };
        CMainFrame& f = start(store, {lmp, text});
        EXPECT_EQ(environment, 1);
        EXPECT_GT(f.geometry().right(), 0);
        EXPECT_GT(f.geometry().bottom(), 0);
        EXPECT_EQ(f.windowTitle(), "demo - Kelvane");
        EXPECT_EQ(f.children().size(), 1u);
        EXPECT_TRUE(f.close());
        store.log.clear();
        ASSERT_TRUE(exit_ide(*app_));
        frame_.reset();
        // Recent projects first, then the settings in their order, then recent files.
        ASSERT_GT(store.log.size(), 40u);
        EXPECT_EQ(store.log.front(), "Recent Project List/Project1");
        EXPECT_EQ(store.log[4], "TextColor/Default");
        EXPECT_EQ(store.log.back(), "Recent File List/File8");
        const auto at = [&](const std::string& key) {
            return std::find(store.log.begin(), store.log.end(), key) - store.log.begin();
        };
        EXPECT_LT(at("BGColor/Select"), at("Config/C/C++"));
        EXPECT_LT(at("Config/TabLength"), at("Config/FirstRun"));
        EXPECT_LT(at("Config/FirstRun"), at("MainFrame/WindowRect"));
        EXPECT_LT(at("MainFrame/VisibleProject"), at("Recent File List/File1"));
    }
    {
        platform::QtSettingsStore qt("Umbrane", "Kelvane");
        EXPECT_EQ(qt.read_string("Config", "FirstRun"), "FALSE");
        on_dialog = nullptr;  // no environment dialog the second time
        CMainFrame& f = start(qt);
        f.fill_recent_menus();
        ASSERT_FALSE(f.recent_projects_menu()->actions().isEmpty());
        EXPECT_TRUE(f.recent_projects_menu()->actions().front()->text().contains("demo.lmp"));
        EXPECT_TRUE(f.recent_files_menu()->actions().front()->text().contains("notes.txt"));
        f.recent_projects_menu()->actions().front()->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(f.windowTitle(), "demo - Kelvane");
    }
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST_F(MainFrameTest, DropsOpenByPathAndAlt2ShowsTheOutputAgain) {
    const std::string lmp = make_project("int main(void)\r\n{\r\n}\r\n");
    CMainFrame& f = start();
    const std::string a = tmp_ / "a.c";
    std::ofstream(a) << "int a;\n";
    const std::string fifo = tmp_ / "b.c";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    boxes_.expect("通常のファイルではない", BoxAnswer::ok);
    f.open_dropped({QUrl::fromLocalFile(QString::fromStdString(a)),
                    QUrl::fromLocalFile(QString::fromStdString(fifo)),
                    QUrl::fromLocalFile(QString::fromStdString(lmp))});
    ASSERT_EQ(f.children().size(), 1u);
    EXPECT_EQ(f.children().front()->document().path(), a);
    EXPECT_EQ(f.windowTitle(), "demo - Kelvane");
    EXPECT_EQ(app_->recent_files.entries().front(), a);

    f.run_command(CommandId::view_output_pane);
    EXPECT_TRUE(f.output_pane()->isHidden());
    EXPECT_FALSE(f.action(CommandId::view_output_pane)->isChecked());
    EXPECT_FALSE(app_->settings.output_visible);
    f.run_command(CommandId::focus_output);  // Alt+2 shows it again
    EXPECT_FALSE(f.output_pane()->isHidden());
}

TEST_F(MainFrameTest, PaneEdgesAreDraggedWithinLimits) {
    CMainFrame& f = start();
    f.resize(1000, 760);
    FrameBody* body = f.body();
    ASSERT_EQ(f.centralWidget(), body);
    const PaneLayout before = body->current_layout();
    const int body_height = body->height();
    ASSERT_GT(before.project_width, 0);

    // Within 4 px of the project pane's right edge: a west-east drag; the
    // new width is the pointer's position.
    const QPoint grip(before.project_width - 2, 40);
    QTest::mouseMove(body, grip);
    EXPECT_EQ(body->cursor().shape(), Qt::SizeHorCursor);
    QTest::mousePress(body, Qt::LeftButton, {}, grip);
    QTest::mouseMove(body, QPoint(320, 60));
    EXPECT_EQ(f.project_pane()->width() + kProjectGripWidth, 320) << "follows while dragging";
    QTest::mouseRelease(body, Qt::LeftButton, {}, QPoint(333, 60));
    EXPECT_EQ(body->current_layout().project_width, 333);
    EXPECT_EQ(f.mdi()->x(), 333);
    // Dragged nearly shut: the minimum holds.
    QTest::mousePress(body, Qt::LeftButton, {}, QPoint(331, 60));
    QTest::mouseRelease(body, Qt::LeftButton, {}, QPoint(5, 60));
    EXPECT_EQ(body->current_layout().project_width, kMinProjectPaneWidth);

    // Within 3 px of the output pane's top edge: a north-south drag; the new
    // height is the pane's bottom minus the pointer's position.
    const int top = body->current_layout().output_grip.y;
    QTest::mouseMove(body, QPoint(500, top + 1));
    EXPECT_EQ(body->cursor().shape(), Qt::SizeVerCursor);
    QTest::mousePress(body, Qt::LeftButton, {}, QPoint(500, top + 1));
    QTest::mouseRelease(body, Qt::LeftButton, {}, QPoint(500, body_height - 250));
    EXPECT_EQ(body->current_layout().output_height, 250);
    EXPECT_EQ(f.output_pane()->height() + kOutputGripHeight, 250);
    // Dragged to the top of the frame: the editor area keeps its minimum.
    QTest::mousePress(body, Qt::LeftButton, {}, QPoint(500, body_height - 249));
    QTest::mouseRelease(body, Qt::LeftButton, {}, QPoint(500, -100));
    EXPECT_EQ(f.mdi()->height(), kMinEditorAreaHeight);
    EXPECT_GE(f.output_pane()->height(), kMinOutputPaneHeight);

    // Elsewhere in the body nothing happens and the cursor is the usual one.
    QTest::mouseMove(body, QPoint(body->width() / 2, kMinEditorAreaHeight / 2));
    EXPECT_NE(body->cursor().shape(), Qt::SizeHorCursor);
    EXPECT_NE(body->cursor().shape(), Qt::SizeVerCursor);

    // A hidden pane gives its room to the editors and has no grip.
    f.run_command(CommandId::view_project_pane);
    EXPECT_EQ(f.mdi()->x(), 0);
    QTest::mouseMove(body, QPoint(kMinProjectPaneWidth - 2, 20));
    EXPECT_NE(body->cursor().shape(), Qt::SizeHorCursor);
    f.run_command(CommandId::view_project_pane);
    EXPECT_EQ(f.mdi()->x(), kMinProjectPaneWidth);
}

// Lock lights as a test sets them.
class ScriptedLocks : public platform::LockReader {
  public:
    explicit ScriptedLocks(platform::KeyboardLocks* state) : state_(state) {}
    platform::KeyboardLocks read() override {
        ++reads;
        return *state_;
    }
    int reads = 0;

  private:
    platform::KeyboardLocks* state_;
};

TEST_F(MainFrameTest, StatusBarLockPanesFollowTheKeyboard) {
    using platform::LockLight;
    CMainFrame& f = start();
    // After the overwrite pane, in order.
    QStringList order;
    for (QLabel* l : f.statusBar()->findChildren<QLabel*>())
        if (l->objectName().startsWith("status_")) order.push_back(l->text());
    EXPECT_EQ(order.mid(order.indexOf("上書")), (QStringList{"上書", "KANA", "CAP", "NUM", "SCRL"}));
    // Offscreen there is no keyboard to ask: all greyed.
    for (size_t i = 0; i < 4; ++i) EXPECT_FALSE(f.status_lock(i)->isEnabled());

    platform::KeyboardLocks locks{LockLight::off, LockLight::on, LockLight::unknown, LockLight::off};
    auto reader = std::make_unique<ScriptedLocks>(&locks);
    ScriptedLocks* scripted = reader.get();
    f.set_lock_reader(std::move(reader));
    EXPECT_FALSE(f.status_lock(0)->isEnabled());
    EXPECT_TRUE(f.status_lock(1)->isEnabled());
    EXPECT_FALSE(f.status_lock(2)->isEnabled());

    // A lock key reaching the application is when the panes look again.
    locks = {LockLight::on, LockLight::off, LockLight::on, LockLight::on};
    const int reads = scripted->reads;
    QTest::keyClick(f.project_pane(), Qt::Key_NumLock);
    EXPECT_GT(scripted->reads, reads);
    EXPECT_TRUE(f.status_lock(0)->isEnabled());
    EXPECT_FALSE(f.status_lock(1)->isEnabled());
    EXPECT_TRUE(f.status_lock(2)->isEnabled());
    EXPECT_TRUE(f.status_lock(3)->isEnabled());
}

TEST_F(MainFrameTest, TheFrameRectangleIsStoredAndRestored) {
    memory_.write_string("MainFrame", "WindowRect", "40,30,700,520");
    CMainFrame& f = start();
    QTest::qWait(0);
    QCoreApplication::processEvents();
    // The outer frame (with the window manager's border), not the client area.
    EXPECT_EQ(f.frameGeometry(), QRect(40, 30, 660, 490));
    const QSize border = f.frameGeometry().size() - f.geometry().size();

    f.move(60, 50);
    EXPECT_EQ(app_->settings.window_rect, (WindowRect{60, 50, 720, 540}));
    f.resize(500 - border.width(), 400 - border.height());
    EXPECT_EQ(app_->settings.window_rect, (WindowRect{60, 50, 560, 450}));
    // Maximised or minimised, the rectangle of the normal window is kept.
    f.showMaximized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(app_->settings.maximised);
    EXPECT_EQ(app_->settings.window_rect, (WindowRect{60, 50, 560, 450}));
    f.showNormal();
    QCoreApplication::processEvents();
    EXPECT_FALSE(app_->settings.maximised);
}

TEST_F(MainFrameTest, ArrangeIconsLinesUpMinimisedWindowsAlongTheBottom) {
    CMainFrame& f = start();
    f.resize(700, 760);  // room for two icons a row
    std::vector<std::string> paths;
    for (const char* name : {"a.c", "b.c", "c.c", "d.c"}) {
        paths.push_back(tmp_ / name);
        std::ofstream(paths.back()) << "int x;\n";
        ASSERT_TRUE(f.open_file_at(paths.back(), 0));
    }
    const QList<QMdiSubWindow*> windows = f.mdi()->subWindowList();
    ASSERT_EQ(windows.size(), 4);
    // Three minimised, one left as it is.
    for (int i = 0; i < 3; ++i) {
        windows[i]->showMinimized();
        windows[i]->move(200 + 30 * i, 20 * i);
    }
    const QRect normal = windows[3]->geometry();
    f.run_command(CommandId::window_arrange_icons);
    const int bottom = f.mdi()->viewport()->height();
    const int width = f.mdi()->viewport()->width();
    int x = 0;
    int row_bottom = bottom;
    for (int i = 0; i < 3; ++i) {
        const QRect g = windows[i]->geometry();
        if (x > 0 && x + g.width() > width) {
            x = 0;
            row_bottom -= g.height();
        }
        EXPECT_EQ(g.topLeft(), QPoint(x, row_bottom - g.height())) << i;
        x += g.width();
    }
    EXPECT_EQ(windows[0]->y() + windows[0]->height(), bottom) << "the first row sits on the bottom";
    EXPECT_EQ(windows[1]->x(), windows[0]->width()) << "left to right";
    EXPECT_EQ(windows[2]->x(), 0);
    EXPECT_EQ(windows[2]->y() + windows[2]->height(), windows[0]->y()) << "the third wraps upwards";
    EXPECT_EQ(windows[3]->geometry(), normal);
}

TEST_F(MainFrameTest, ToolBarButtonsAllShowAPicture) {
    CMainFrame& f = start();
    int buttons = 0;
    for (QAction* a : f.tool_bar()->actions()) {
        if (a->isSeparator()) continue;
        ++buttons;
        ASSERT_FALSE(a->icon().isNull()) << a->text().toStdString();
        const QImage picture = a->icon().pixmap(16, 15).toImage();
        bool painted = false;
        for (int y = 0; y < picture.height() && !painted; ++y)
            for (int x = 0; x < picture.width() && !painted; ++x) painted = qAlpha(picture.pixel(x, y)) > 0;
        EXPECT_TRUE(painted) << a->text().toStdString();
        // The button reads as its command to a screen reader.
        auto* button = qobject_cast<QToolButton*>(f.tool_bar()->widgetForAction(a));
        ASSERT_TRUE(button);
        EXPECT_FALSE(button->text().isEmpty());
    }
    EXPECT_EQ(buttons, 7);
    // The drawn pictures stand in wherever the theme has none.
    for (CommandId id : {CommandId::edit_cut, CommandId::edit_copy, CommandId::edit_paste})
        EXPECT_FALSE(drawn_tool_bar_icon(id).pixmap(16, 15).isNull());
}

TEST_F(MainFrameTest, UnsavedTextOfAnEndedSessionIsOfferedAtStartUp) {
    // A session that ended without cleaning up (another process, long gone)
    // left one modified document.
    const std::string lost = tmp_ / "lost.c";
    {
        editor::CTextDoc doc;
        doc.set_lines({"int \x8a\xbf;", ""});
        doc.set_path(lost);
        const std::string folder = editor::RecoveryStore::default_folder();
        fs::create_directories(folder);
        std::ofstream(folder + "/2147483-1.kvr", std::ios::binary) << editor::RecoveryStore::encode(doc);
    }
    boxes_.expect(QStringLiteral("復元しますか"), BoxAnswer::yes);
    CMainFrame& f = start();
    const std::vector<EditChild*> children = f.children();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_TRUE(children[0]->document().modified());
    EXPECT_EQ(children[0]->document().path(), lost);
    ASSERT_NE(children[0]->document().line(0), nullptr);
    EXPECT_EQ(children[0]->document().line(0)->text, "int \x8a\xbf;");
    // Offered once: the next start finds nothing left to restore.
    frame_.reset();
    CMainFrame& again = start();
    EXPECT_TRUE(again.children().empty());
}

TEST_F(MainFrameTest, DecliningToGoOnWithoutTheKeywordDatabaseEndsStartUp) {
    fs::remove(tmp_ / "prog/Lumo.kdb");
    app_ = std::make_unique<AppState>(memory_);
    app_->program_folder = tmp_ / "prog";
    boxes_.expect("Lumo.kdb", BoxAnswer::cancel);
    EXPECT_FALSE(start_ide(*app_, services(), {}));
    boxes_.expect("Lumo.kdb", BoxAnswer::ok);
    auto frame = start_ide(*app_, services(), {});
    EXPECT_TRUE(frame);
}

}  // namespace
}  // namespace lumora::ide
