// What reaches the IDE's window from the desktop: files dropped from a file
// manager, quitting while a find in project runs, and a screen reader
// reading the output pane.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "ide/project/project_creation.h"
#include "ide/window/frame_test_fixture.h"
#include "ide/window/output_pane.h"
#include "ide/window/output_pane_accessible.h"
#include "ide/window/startup.h"
#include "tests/support/child_process.h"
#include "tests/support/qt_app.h"
#include "tests/support/scripted_boxes.h"
#include "ui/sjis_text.h"

namespace lumora::ide {
namespace {

namespace fs = std::filesystem;
using ui::BoxAnswer;

std::string sjis(const char* utf8_text) {
    return ui::to_sjis(QString::fromUtf8(utf8_text));
}

// Tells whether anyone opened a FIFO for reading, and lets such a reader go
// (it sees the end of the file) so a faulty IDE fails the test instead of
// hanging it. A writer's non-blocking open succeeds only while a reader has
// the FIFO open.
class FifoWatch {
  public:
    explicit FifoWatch(std::string path) : path_(std::move(path)), thread_([this] { watch(); }) {}
    ~FifoWatch() {
        done_ = true;
        thread_.join();
    }
    bool was_opened() const { return opened_; }

  private:
    void watch() {
        while (!done_) {
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                opened_ = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    std::string path_;
    std::atomic<bool> done_{false};
    std::atomic<bool> opened_{false};
    std::thread thread_;
};

class FrameEventsTest : public testing_support::FrameTest {
  protected:
    CMainFrame& start() {
        FrameServices s;
        s.exec_dialog = [](QDialog& d) {
            ADD_FAILURE() << "unexpected dialog " << d.windowTitle().toStdString();
            return static_cast<int>(QDialog::Rejected);
        };
        return start_frame(memory_, s);
    }

    // A project named `name` in a folder of its own, holding `sources`
    // besides its main source. Returns the project file.
    std::string make_project(const std::string& name,
                             const std::vector<std::pair<std::string, std::string>>& sources) {
        const std::string folder = tmp_ / ("work/" + name);
        create_folder_tree(folder);
        auto created = create_project(folder, name, [](const std::string&) { return true; });
        EXPECT_TRUE(created.doc) << created.error;
        std::vector<std::string> paths;
        for (const auto& [file, text] : sources) {
            std::ofstream(folder + "/" + file, std::ios::binary) << text;
            paths.push_back(folder + "/" + file);
        }
        if (!paths.empty()) {
            created.doc->add_files(paths);
            EXPECT_EQ(created.doc->save(), ProjectFileError::None);
        }
        return folder + "/" + name + ".lmp";
    }
};

QMimeData* urls_of(const std::vector<std::string>& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const std::string& p : paths) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(p)));
    data->setUrls(urls);
    return data;
}

// Enter, move and drop at `pos` of `target`, as the window system hands a
// drag from a file manager to a widget: the move and the drop start out as
// the enter and the move left them. Returns whether the drop was taken.
bool drag_and_drop(QWidget& target, const QMimeData& data, QPoint pos) {
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted()) return false;
    QDragMoveEvent move(pos, offered, &data, Qt::LeftButton, Qt::NoModifier);
    move.setAccepted(true);
    move.setDropAction(enter.dropAction());
    QCoreApplication::sendEvent(&target, &move);
    if (!move.isAccepted()) return false;
    QDropEvent drop(QPointF(pos), offered, &data, Qt::LeftButton, Qt::NoModifier);
    drop.setAccepted(true);
    drop.setDropAction(move.dropAction());
    QCoreApplication::sendEvent(&target, &drop);
    return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

TEST_F(FrameEventsTest, DroppedFilesOpenInTheirOrderAndAFifoIsNeverRead) {
    const std::string lmp = make_project("b", {});
    const std::string a = tmp_ / "a.c";
    std::ofstream(a) << "int a;\n";
    const std::string fifo = tmp_ / "pipe.c";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    CMainFrame& f = start();

    // Text without files is not offered to the frame.
    QMimeData text;
    text.setText("int a;");
    EXPECT_FALSE(drag_and_drop(f, text, {40, 40}));

    // When the project opens, the source dropped before it is open already.
    size_t children_when_project_opened = 99;
    QObject::connect(&f, &QWidget::windowTitleChanged, &f, [&](const QString& title) {
        if (title == "b - Kelvane") children_when_project_opened = f.children().size();
    });
    boxes_.expect("通常のファイルではない", BoxAnswer::ok);
    std::unique_ptr<QMimeData> files(urls_of({a, fifo, lmp}));
    {
        FifoWatch watch(fifo);
        EXPECT_TRUE(drag_and_drop(f, *files, {f.width() / 2, f.height() / 2}));
        QCoreApplication::processEvents();
        EXPECT_FALSE(watch.was_opened()) << "the FIFO was opened for reading";
    }
    EXPECT_EQ(children_when_project_opened, 1u);
    ASSERT_EQ(f.children().size(), 1u);
    EXPECT_EQ(f.children().front()->document().path(), a);
    ASSERT_TRUE(f.project());
    EXPECT_EQ(f.windowTitle(), "b - Kelvane");
    EXPECT_EQ(app_->recent_files.entries().front(), a);
    EXPECT_EQ(app_->recent_projects.entries().front(), lmp);
    EXPECT_EQ(boxes_.shown().size(), 1u);
}

// Fills and accepts the find-in-project dialog once it shows.
void answer_find_dialog(const QString& text) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, text] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        poll->stop();
        poll->deleteLater();
        auto* edit = dialog->findChild<QLineEdit*>();
        ASSERT_TRUE(edit);
        edit->setText(text);
        for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
            if (b->text() == QStringLiteral("検索(&F)")) return b->click();
        ADD_FAILURE() << "no search button";
    });
    poll->start();
}

TEST_F(FrameEventsTest, QuittingDuringAFindInProjectStopsItThenCloses) {
    std::vector<std::pair<std::string, std::string>> sources;
    for (int i = 0; i < 40; ++i)
        sources.emplace_back("f" + std::to_string(i) + ".c",
                             "int x;\r\nint needle" + std::to_string(i) + ";\r\n");
    const std::string lmp = make_project("many", sources);
    CMainFrame& f = start();
    ASSERT_TRUE(f.open_project(lmp));
    CKelvaneDoc* project = f.project();

    // The quit arrives while the search runs: the first result row asks
    // for it, and the search's own pump delivers it.
    int quits_asked = 0;
    bool was_busy_at_quit = false;
    project->messages().add_listener([&](OutputList::Change change, size_t first, size_t count) {
        if (change != OutputList::Change::Appended || quits_asked > 0) return;
        for (size_t i = first; i < first + count; ++i)
            if (project->messages().at(i).kind == 5) {
                ++quits_asked;
                QTimer::singleShot(0, &f, [&] {
                    was_busy_at_quit = f.busy().kind() == BusyKind::find;
                    f.run_command(CommandId::app_exit);
                });
                return;
            }
    });
    std::vector<std::string> lines;
    answer_find_dialog(QStringLiteral("needle"));
    f.run_command(CommandId::find_in_project);
    for (const auto& m : project->messages().messages()) lines.push_back(m.text);

    EXPECT_EQ(quits_asked, 1);
    EXPECT_TRUE(was_busy_at_quit);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), sjis("'needle' を検索中..."));
    EXPECT_EQ(lines.back(), sjis("取り消されました。"));
    EXPECT_LT(lines.size(), sources.size()) << "the search went on after the quit";
    EXPECT_FALSE(f.busy().busy());

    // The window closes once the search has given up.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.isVisible(); }, 5000));
    EXPECT_FALSE(f.project());
}

// What a screen reader is told, while a test listens in its place.
struct ReaderEvents {
    ReaderEvents() {
        OutputPaneRows::set_listener([this](QAccessibleEvent& e) {
            // What a bridge does first: find the item the event is about.
            if (e.child() >= 0) {
                EXPECT_TRUE(e.accessibleInterface()) << e.type() << " " << e.child();
            }
            log.emplace_back(e.type(), e.child());
        });
    }
    ~ReaderEvents() { OutputPaneRows::set_listener({}); }
    bool heard(QAccessible::Event type, int child) const {
        return std::find(log.begin(), log.end(), std::make_pair(type, child)) != log.end();
    }
    std::vector<std::pair<QAccessible::Event, int>> log;
};

TEST(OutputPaneAccessibility, LinesAreListItemsMadeOnlyWhenAsked) {
    testing::qt_app();
    const Settings settings = default_settings();
    OutputList list;
    OutputPane pane(settings);
    list.add_listener(
        [&](OutputList::Change c, size_t first, size_t n) { pane.on_list_change(c, first, n); });
    pane.set_list(&list);
    pane.resize(640, 10 * pane.cell_height() + 40);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    ReaderEvents reader;

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&pane);
    ASSERT_TRUE(iface);
    EXPECT_EQ(iface->role(), QAccessible::List);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("ｱｳﾄﾌﾟｯﾄ"));
    EXPECT_EQ(iface->childCount(), 0);

    // A build's worth of lines in one turn: nothing is made for them, the
    // reader hears of the last, which the pane follows.
    for (int i = 0; i < 5000; ++i) list.add_tool_line("main.c(" + std::to_string(i + 1) + ") : Error: x");
    list.add_message(sjis("ｴﾗｰ 1 個"), false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return reader.heard(QAccessible::ObjectCreated, 5000); }, 5000));
    EXPECT_TRUE(reader.heard(QAccessible::Selection, 5000));
    EXPECT_EQ(iface->childCount(), 5001);
    EXPECT_LE(pane.accessible_rows().made(), 1u);

    QAccessibleInterface* last = iface->child(5000);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->role(), QAccessible::ListItem);
    EXPECT_EQ(last->text(QAccessible::Name), QStringLiteral("ｴﾗｰ 1 個"));
    EXPECT_EQ(last->parent(), iface);
    EXPECT_EQ(iface->indexOfChild(last), 5000);
    EXPECT_TRUE(last->state().selected);
    EXPECT_FALSE(last->state().offscreen);
    EXPECT_EQ(iface->child(5000), last) << "one item per line, kept";
    QAccessibleInterface* first = iface->child(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text(QAccessible::Name), QStringLiteral("main.c(1) : Error: x"));
    EXPECT_TRUE(first->state().offscreen);
    EXPECT_FALSE(first->state().selected);
    EXPECT_EQ(iface->childAt(last->rect().center().x(), last->rect().center().y()), last);
    EXPECT_EQ(pane.accessible_rows().made(), 2u);

    // The keys move the current item, and a reader is told.
    pane.setFocus();
    QTest::keyClick(&pane, Qt::Key_Up);
    EXPECT_TRUE(reader.heard(QAccessible::Focus, 4999));
    ASSERT_TRUE(iface->focusChild());
    EXPECT_EQ(iface->indexOfChild(iface->focusChild()), 4999);
    EXPECT_TRUE(iface->focusChild()->state().focused);
    EXPECT_FALSE(last->state().selected);

    // Cleared: the items go with their lines.
    const QAccessible::Id first_id = QAccessible::uniqueId(first);
    list.clear();
    EXPECT_EQ(QAccessible::accessibleInterface(first_id), nullptr);
    EXPECT_EQ(pane.accessible_rows().made(), 0u);
    EXPECT_EQ(iface->childCount(), 0);
    EXPECT_EQ(iface->child(0), nullptr);
}

}  // namespace
}  // namespace lumora::ide
