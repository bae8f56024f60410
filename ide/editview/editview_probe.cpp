// A bare editor window for tests that need a whole process: one editor
// child in an MDI area, Ctrl+S saving through the child. Used under a real X
// server (typing through the keyboard), by the accessibility check of the
// dialogs, and killed with unsaved text to test recovery.
//
//   editview_probe FILE [--type TEXT] [--dialogs]

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "ide/app/settings.h"
#include "ide/editor/document_set.h"
#include "ide/editview/colour_dialog.h"
#include "ide/editview/edit_child.h"
#include "ide/editview/find_dialog.h"
#include "ide/editview/jump_dialog.h"
#include "ide/editview/recovery.h"
#include "ide/editview/replace_dialog.h"
#include "ide/editview/text_edit_view.h"

using namespace lumora;

namespace {

class ProbeHost : public ide::EditHost {
  public:
    explicit ProbeHost(QMainWindow& window) : window_(window) {}
    void set_status_position(int line, int column) override {
        window_.statusBar()->showMessage(QStringLiteral("%1行 %2桁").arg(line + 1).arg(column + 1));
    }
    void set_status_overwrite(bool) override {}
    void state_changed(ide::EditChild& child) override {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(child.widget()->parentWidget()))
            sub->setWindowTitle(child.title());
    }
    bool open_file_at(const std::string&, int, const std::string&) override { return false; }
    const ide::Settings& settings() const override { return settings_; }
    const editor::KeywordDatabase* keywords() const override { return nullptr; }
    editor::SearchSettings& search_settings() override { return search_; }
    bool try_begin_busy(ide::BusyKind) override { return true; }
    void end_busy() override {}
    bool cancel_requested() const override { return false; }

  private:
    QMainWindow& window_;
    ide::Settings settings_;
    editor::SearchSettings search_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: editview_probe FILE [--type TEXT] [--dialogs]\n");
        return 2;
    }
    const std::string path = QFile::encodeName(args[1]).toStdString();
    QString to_type;
    const int type_at = args.indexOf(QStringLiteral("--type"));
    if (type_at > 0 && type_at + 1 < args.size()) to_type = args[type_at + 1];
    const bool dialogs = args.contains(QStringLiteral("--dialogs"));

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("editview_probe"));
    auto* mdi = new QMdiArea(&window);
    window.setCentralWidget(mdi);
    ProbeHost host(window);
    editor::DocumentSet documents(nullptr, 4);
    auto outcome = documents.open(path);
    if (!outcome.document) {
        std::fprintf(stderr, "editview_probe: cannot open %s\n", path.c_str());
        return 1;
    }
    auto* sub = new QMdiSubWindow;
    auto child = ide::create_edit_child(documents, *outcome.document, host, sub);
    sub->setWidget(child->widget());
    sub->setWindowTitle(child->title());
    mdi->addSubWindow(sub);
    sub->showMaximized();
    auto* save = new QShortcut(QKeySequence(QStringLiteral("Ctrl+S")), &window);
    QObject::connect(save, &QShortcut::activated, [&] { child->execute(ide::EditCommand::save); });
    window.resize(800, 500);
    window.show();
    child->focus_view();

    auto& view = static_cast<editview::EditChildWidget&>(*child).view();
    if (dialogs) {
        // Every dialog of the editor at once, for the accessibility check.
        (new editview::FindDialog(&window, host.search_settings(), "", editview::FindDialog::Mode::document,
                                  &view))
            ->show();
        (new editview::FindDialog(&window, host.search_settings(), "", editview::FindDialog::Mode::project))
            ->show();
        (new editview::ReplaceDialog(view, host.search_settings()))->show();
        (new editview::JumpDialog(view))->show();
        (new editview::ColourDialog(&window, ide::kDefaultTextColours, ide::kDefaultBackgroundColours))
            ->show();
    }
    if (!to_type.isEmpty()) {
        QTimer::singleShot(0, [&] {
            for (QChar ch : to_type) {
                QKeyEvent press(QEvent::KeyPress, ch == '\n' ? Qt::Key_Return : Qt::Key_unknown,
                                Qt::NoModifier, ch == '\n' ? QString() : QString(ch));
                QApplication::sendEvent(&view, &press);
            }
        });
        // Tell the test once the recovery file holds the text.
        auto* poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, [&, poll] {
            const std::string file = editview::RecoveryKeeper::instance().file_of(*outcome.document);
            if (!file.empty() && std::filesystem::exists(file)) {
                std::printf("recovery %s\n", file.c_str());
                std::fflush(stdout);
                poll->stop();
            }
        });
        poll->start(100);
    }
    return app.exec();
}
