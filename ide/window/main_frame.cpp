#include "ide/window/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "ide/app/open_by_path.h"
#include "ide/commands/menu_layout.h"
#include "ide/editor/project_search.h"
#include "ide/output/jump_target.h"
#include "ide/project/project_open.h"
#include "ide/window/dialog_checks.h"
#include "ide/window/frame_body.h"
#include "ide/window/output_pane.h"
#include "ide/window/project_pane.h"
#include "ide/window/tool_icons.h"
#include "ui/message_box.h"
#include "ui/sjis_text.h"

namespace lumora::ide {

namespace {

constexpr const char* kAppTitle = "Kelvane";

// Editing keys act only where an editor has the focus, so Delete, Ctrl+C
// and the like keep working in the tree, the output pane and dialogs.
bool editor_scoped(CommandId id) {
    switch (id) {
        case CommandId::edit_undo:
        case CommandId::edit_redo:
        case CommandId::edit_cut:
        case CommandId::edit_copy:
        case CommandId::edit_paste:
        case CommandId::edit_delete:
        case CommandId::edit_upper_case:
        case CommandId::edit_lower_case:
        case CommandId::find_next:
        case CommandId::find_previous:
        case CommandId::bookmark_next:
        case CommandId::bookmark_previous:
        case CommandId::bracket_forward:
        case CommandId::bracket_backward:
        case CommandId::keyword_jump:
            return true;
        default:
            return false;
    }
}

// Sees every key event of the application once, whichever widget it goes
// to (a key travels up through several on its way).
class KeyWatcher : public QObject {
  public:
    KeyWatcher(QObject* parent, std::function<void()> on_key) : QObject(parent), on_key_(std::move(on_key)) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const std::pair<int, quint64> seen{static_cast<int>(event->type()), key->timestamp()};
        if (seen == last_ && key->timestamp() != 0) return false;
        last_ = seen;
        on_key_();
        return false;
    }

  private:
    std::function<void()> on_key_;
    std::pair<int, quint64> last_{0, 0};
};

// The lock lights come from the X server when the application runs on one.
std::unique_ptr<platform::LockReader> default_lock_reader() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>())
            return platform::x11_lock_reader(x11->display());
    }
    return platform::unknown_lock_reader();
}

}  // namespace

CMainFrame::CMainFrame(AppState& app, FrameServices services, QWidget* parent)
    : QMainWindow(parent), app_(app), services_(std::move(services)) {
    setObjectName("main_frame");
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setAcceptDrops(true);

    mdi_ = new QMdiArea;
    mdi_->setObjectName("mdi");
    project_pane_ = new ProjectPane;
    output_pane_ = new OutputPane(app_.settings);
    body_ = new FrameBody(project_pane_, mdi_, output_pane_);
    setCentralWidget(body_);

    build_menus();
    build_tool_bar();
    build_status_bar();

    project_pane_->setVisible(app_.settings.project_visible);
    output_pane_->setVisible(app_.settings.output_visible);

    project_pane_->on_open_file = [this](const std::string& path) { open_file_at(path, 0); };
    output_pane_->on_jump = [this](size_t index) { jump_to_message(index); };
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
        if (EditChild* child = active_child()) {
            const EditState s = child->state();
            set_status_position(s.line, s.column);
            set_status_overwrite(s.overwrite);
        }
        update_commands();
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget*) { update_commands(); });
    connect(project_pane_, &QTreeWidget::currentItemChanged, this, [this] { update_commands(); });
    update_commands();
}

CMainFrame::~CMainFrame() {
    // The widgets below go after this body; their signals must not reach a
    // frame that is half gone.
    delete key_watcher_;
    disconnect(qApp, nullptr, this, nullptr);
    mdi_->disconnect(this);
    project_pane_->disconnect(this);
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) menu->disconnect(this);
    for (auto& [window, child] : children_) {
        window->removeEventFilter(this);
        window->setWidget(nullptr);
    }
    children_.clear();
    if (project_) output_pane_->set_list(nullptr);
}

// ---------------------------------------------------------------- menus

// A command runs once the event that chose it is done: a dialog or a build
// started from a screen reader's "press" must not hold up its reply.
void CMainFrame::connect_command(QAction* action, CommandId id) {
    connect(action, &QAction::triggered, this,
            [this, id] { QTimer::singleShot(0, this, [this, id] { run_command(id); }); });
}

void CMainFrame::build_menus() {
    for (const MenuDef& menu_def : menu_layout()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(menu_def.caption));
        std::vector<QMenu*> stack{menu};
        for (const MenuItemDef& item : menu_def.items) {
            QMenu* current = stack.back();
            switch (item.kind) {
                case MenuItemDef::Kind::separator:
                    current->addSeparator();
                    break;
                case MenuItemDef::Kind::submenu_begin:
                    stack.push_back(current->addMenu(QString::fromUtf8(item.text)));
                    break;
                case MenuItemDef::Kind::submenu_end:
                    stack.pop_back();
                    break;
                case MenuItemDef::Kind::recent_projects:
                    recent_projects_menu_ = current->addMenu(QString::fromUtf8(item.text));
                    actions_[item.id] = recent_projects_menu_->menuAction();
                    break;
                case MenuItemDef::Kind::recent_files:
                    recent_files_menu_ = current->addMenu(QString::fromUtf8(item.text));
                    actions_[item.id] = recent_files_menu_->menuAction();
                    break;
                case MenuItemDef::Kind::window_list:
                    window_menu_ = current;
                    break;
                case MenuItemDef::Kind::command: {
                    QAction* a = current->addAction(QString::fromUtf8(item.text));
                    const CommandId id = item.id;
                    a->setObjectName(QStringLiteral("command_%1").arg(static_cast<int>(id)));
                    QList<QKeySequence> keys;
                    for (const char* k : {item.key, item.alternate_key}) {
                        const QKeySequence seq(QString::fromLatin1(k), QKeySequence::PortableText);
                        if (*k && !seq.isEmpty() && seq[0].key() != Qt::Key_unknown) keys.push_back(seq);
                    }
                    a->setShortcuts(keys);
                    a->setCheckable(is_checkable(id));
                    if (editor_scoped(id)) {
                        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
                        mdi_->addAction(a);
                    }
                    connect_command(a, id);
                    actions_[id] = a;
                    break;
                }
            }
        }
        if (menu_def.items.front().kind == MenuItemDef::Kind::command &&
            menu_def.items.front().id == CommandId::file_new)
            connect(menu, &QMenu::aboutToShow, this, &CMainFrame::fill_recent_menus);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::update_commands);
    }
    // The Window menu lists the editor windows below its commands.
    if (window_menu_) {
        auto* separator = window_menu_->addSeparator();
        connect(window_menu_, &QMenu::aboutToShow, this, [this, separator] {
            const QList<QAction*> all = window_menu_->actions();
            bool after = false;
            for (QAction* a : all) {
                if (after) {
                    window_menu_->removeAction(a);
                    a->deleteLater();
                }
                if (a == separator) after = true;
            }
            int n = 1;
            for (QMdiSubWindow* w : mdi_->subWindowList()) {
                QAction* a = window_menu_->addAction(QStringLiteral("&%1 %2").arg(n++).arg(w->windowTitle()));
                a->setCheckable(true);
                a->setChecked(w == mdi_->activeSubWindow());
                connect(a, &QAction::triggered, this, [this, w] { mdi_->setActiveSubWindow(w); });
            }
        });
    }
    for (const KeyOnlyDef& k : key_only_commands()) {
        auto* a = new QAction(this);
        const CommandId id = k.id;
        a->setObjectName(QStringLiteral("command_%1").arg(static_cast<int>(id)));
        a->setShortcut(QKeySequence(QString::fromLatin1(k.key), QKeySequence::PortableText));
        if (editor_scoped(id)) {
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            mdi_->addAction(a);
        } else {
            addAction(a);
        }
        connect_command(a, id);
        actions_[id] = a;
    }
    fill_recent_menus();
}

void CMainFrame::fill_recent_menus() {
    const CommandContext c = command_context();
    auto fill = [&](QMenu* menu, const RecentList& list, const char* empty, bool projects) {
        if (!menu) return;
        menu->clear();
        const auto items = list.menu_items(empty);
        for (size_t i = 0; i < items.size(); ++i) {
            QAction* a = menu->addAction(QString::fromStdString(items[i].text));
            a->setEnabled(items[i].enabled && (!projects || !is_busy(c.busy)));
            connect(a, &QAction::triggered, this, [this, i, projects] {
                QTimer::singleShot(0, this, [this, i, projects] {
                    if (projects)
                        cmd_recent_project(i);
                    else
                        cmd_recent_file(i);
                });
            });
        }
    };
    fill(recent_projects_menu_, app_.recent_projects, kRecentProjectEmpty, true);
    fill(recent_files_menu_, app_.recent_files, kRecentFileEmpty, false);
}

void CMainFrame::build_tool_bar() {
    tool_bar_ = addToolBar(QStringLiteral("ﾂｰﾙ ﾊﾞｰ"));
    tool_bar_->setObjectName("tool_bar");
    tool_bar_->setMovable(true);
    for (const ToolBarSpec& b : tool_bar_layout()) {
        if (b.separator) {
            tool_bar_->addSeparator();
            continue;
        }
        QAction* a = action(b.id);
        if (!a) continue;
        if (a->icon().isNull()) a->setIcon(tool_bar_icon(b.id));
        a->setToolTip(QString::fromUtf8(b.tip));
        tool_bar_->addAction(a);
    }
}

void CMainFrame::build_status_bar() {
    status_line_ = new QLabel;
    status_column_ = new QLabel;
    status_overwrite_ = new QLabel(QStringLiteral("上書"));
    status_line_->setObjectName("status_line");
    status_column_->setObjectName("status_column");
    status_overwrite_->setObjectName("status_overwrite");
    status_overwrite_->setEnabled(false);  // inserting until an editor says otherwise
    statusBar()->addPermanentWidget(status_line_);
    statusBar()->addPermanentWidget(status_column_);
    statusBar()->addPermanentWidget(status_overwrite_);
    static constexpr std::array<const char*, 4> kLockNames{"status_kana", "status_caps", "status_num",
                                                           "status_scroll"};
    const auto panes = lock_panes({});
    for (size_t i = 0; i < status_locks_.size(); ++i) {
        status_locks_[i] = new QLabel(QString::fromLatin1(panes[i].text));
        status_locks_[i]->setObjectName(QString::fromLatin1(kLockNames[i]));
        status_locks_[i]->setEnabled(false);
        statusBar()->addPermanentWidget(status_locks_[i]);
    }
    statusBar()->showMessage(QStringLiteral("ﾚﾃﾞｨ"));
    set_lock_reader(default_lock_reader());
    // Locks change only by keys: every key that reaches the application,
    // and activation (a key pressed while another window had the focus),
    // is when to look again. No timer.
    key_watcher_ = new KeyWatcher(this, [this] { refresh_lock_panes(); });
    qApp->installEventFilter(key_watcher_);
}

void CMainFrame::set_lock_reader(std::unique_ptr<platform::LockReader> reader) {
    lock_reader_ = std::move(reader);
    refresh_lock_panes();
}

void CMainFrame::refresh_lock_panes() {
    const auto panes = lock_panes(lock_reader_ ? lock_reader_->read() : platform::KeyboardLocks{});
    for (size_t i = 0; i < status_locks_.size(); ++i)
        if (status_locks_[i]->isEnabled() != panes[i].lit) status_locks_[i]->setEnabled(panes[i].lit);
}

QAction* CMainFrame::action(CommandId id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

CommandContext CMainFrame::command_context() const {
    CommandContext c;
    c.project_open = project_ != nullptr;
    c.busy = busy_.kind();
    c.tool_running = builder_ && builder_->tool_running();
    if (EditChild* child = active_child()) {
        c.editor_active = true;
        c.editor = child->state().facts();
    }
    c.tree_focus = project_pane_->hasFocus();
    c.tree_file_selected = project_pane_->selected_file().has_value();
    c.has_messages = project_ && !project_->messages().empty();
    c.recent_projects = app_.recent_projects.size() > 0;
    c.recent_files = app_.recent_files.size() > 0;
    c.project_pane_visible = !project_pane_->isHidden();
    c.output_pane_visible = !output_pane_->isHidden();
    c.tool_bar_visible = !tool_bar_ || !tool_bar_->isHidden();
    c.status_bar_visible = !statusBar()->isHidden();
    c.keywords_cpp = app_.settings.keywords_cpp;
    c.keywords_lumora = app_.settings.keywords_lumora;
    c.tab_length = app_.settings.tab_length;
    return c;
}

void CMainFrame::update_commands() {
    const CommandContext c = command_context();
    for (auto& [id, a] : actions_) {
        const CommandState s = command_state(id, c);
        if (a->isEnabled() != s.enabled) a->setEnabled(s.enabled);
        if (a->isCheckable() && a->isChecked() != s.checked) a->setChecked(s.checked);
        if (!s.text.empty()) {
            const QString text = QString::fromStdString(s.text);
            if (a->text() != text) a->setText(text);
        }
    }
}

// ---------------------------------------------------------------- status, title, placement

void CMainFrame::set_status_position(int line, int column) {
    status_line_->setText(QString::asprintf("%3d行", line + 1));
    status_column_->setText(QString::asprintf("%3d桁", column + 1));
}

void CMainFrame::set_status_overwrite(bool overwrite) {
    status_overwrite_->setEnabled(overwrite);
}

void CMainFrame::state_changed(EditChild& child) {
    if (QMdiSubWindow* w = window_of(&child)) w->setWindowTitle(child.title());
    // Every view of the same document shows the same title.
    for (auto& [window, other] : children_)
        if (&other->document() == &child.document()) window->setWindowTitle(other->title());
    if (&child == active_child()) {
        const EditState s = child.state();
        set_status_position(s.line, s.column);
        set_status_overwrite(s.overwrite);
    }
    update_commands();
}

void CMainFrame::update_title() {
    if (project_)
        setWindowTitle(QString::fromStdString(project_->title()) + QStringLiteral(" - ") +
                       QString::fromUtf8(kAppTitle));
    else
        setWindowTitle(QString::fromUtf8(kAppTitle));
}

namespace {

// The stored rectangle is relative to the primary screen's work area, both
// ways, so it comes back where it was on any screen.
QRect primary_work_area() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect();
}

}  // namespace

void CMainFrame::apply_stored_placement() {
    std::vector<WindowRect> screens;
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect r = s->availableGeometry();
        screens.push_back({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    }
    const QRect work = primary_work_area();
    const WindowRect on_screen = stored_rect_on_screen(app_.settings.window_rect, work.left(), work.top());
    if (auto rect = initial_frame_rect(on_screen, screens)) {
        // The rectangle is the outer frame's: its position is the frame's
        // (as move() takes it); the client area is what is left inside.
        wanted_frame_size_ = QSize(rect->right - rect->left, rect->bottom - rect->top);
        const QSize margins = frameGeometry().size() - geometry().size();
        move(rect->left, rect->top);
        resize(wanted_frame_size_ - margins);
    } else {
        resize(1024, 720);
    }
    placed_ = true;
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The window manager's frame is known once the window shows; the outer
    // size asked for holds, not the client size.
    if (wanted_frame_size_.isValid()) {
        QTimer::singleShot(0, this, [this] {
            if (!wanted_frame_size_.isValid() || isMaximized() || isMinimized()) return;
            const QSize margins = frameGeometry().size() - geometry().size();
            if (frameGeometry().size() != wanted_frame_size_) resize(wanted_frame_size_ - margins);
            wanted_frame_size_ = QSize();
        });
    }
}

void CMainFrame::store_window_rect() {
    if (!placed_ || isMaximized() || isMinimized() || isFullScreen()) return;
    const QRect g = frameGeometry();
    const QRect work = primary_work_area();
    app_.settings.window_rect =
        window_rect_to_store({g.left(), g.top(), g.right() + 1, g.bottom() + 1}, work.left(), work.top());
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    store_window_rect();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    store_window_rect();
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) refresh_lock_panes();
    if (event->type() == QEvent::WindowStateChange && placed_ && !isMinimized())
        app_.settings.maximised = isMaximized();
}

// The panes come back as they were left at the next start.
void CMainFrame::set_project_pane_visible(bool visible) {
    project_pane_->setVisible(visible);
    app_.settings.project_visible = visible;
    update_commands();
}

void CMainFrame::set_output_pane_visible(bool visible) {
    output_pane_->setVisible(visible);
    app_.settings.output_visible = visible;
    update_commands();
}

// ---------------------------------------------------------------- busy state and quitting

bool CMainFrame::try_begin_busy(BusyKind kind) {
    if (!busy_.try_begin(kind)) return false;
    update_commands();
    return true;
}

void CMainFrame::end_busy() {
    busy_.end();
    update_commands();
}

void CMainFrame::pump(bool throttled) {
    if (!throttled || pump_throttle_.due(PumpThrottle::Clock::now()))
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    // The cancel command follows the tool process, which comes and goes
    // between the steps of a build.
    if (QAction* cancel = action(CommandId::cancel_build)) {
        const bool can = builder_ && builder_->can_cancel();
        if (cancel->isEnabled() != can) cancel->setEnabled(can);
    }
}

bool CMainFrame::query_quit() {
    switch (quit_decision(busy_.kind())) {
        case QuitDecision::refuse_building:
            message_box(QString::fromUtf8(busy_.kind() == BusyKind::serial ? kMsgBusyCannotQuit
                                                                           : kMsgCannotQuitWhileBuilding),
                        static_cast<int>(ui::BoxIcon::warning));
            return false;
        case QuitDecision::stop_find_then_quit:
            // The search stops after its current file; the window closes then.
            quit_after_search_ = true;
            if (search_) search_->request_stop();
            return false;
        case QuitDecision::quit:
            break;
    }
    if (!close_project()) return false;
    // Each modified document asks once, through its last window.
    std::vector<const editor::CTextDoc*> asked;
    for (auto& [window, child] : children_) {
        const editor::CTextDoc* doc = &child->document();
        if (std::find(asked.begin(), asked.end(), doc) != asked.end()) continue;
        asked.push_back(doc);
        if (doc->modified() && !child->query_close()) return false;
    }
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!query_quit()) {
        event->ignore();
        return;
    }
    // Nothing asks again: the windows go with the frame.
    for (auto& [window, child] : children_) window->removeEventFilter(this);
    event->accept();
}

void CMainFrame::message_box(const QString& text, int icon) {
    ui::show_box(this, ui::Box{QString::fromUtf8(kAppTitle), text, static_cast<ui::BoxIcon>(icon),
                               ui::BoxButtons::ok, std::nullopt});
}

// ---------------------------------------------------------------- editor windows

EditChild* CMainFrame::active_child() const {
    QMdiSubWindow* w = mdi_->activeSubWindow();
    if (!w) w = mdi_->currentSubWindow();
    if (!w) return nullptr;
    auto it = children_.find(w);
    return it == children_.end() ? nullptr : it->second.get();
}

std::vector<EditChild*> CMainFrame::children() const {
    std::vector<EditChild*> out;
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        auto it = children_.find(w);
        if (it != children_.end()) out.push_back(it->second.get());
    }
    return out;
}

QMdiSubWindow* CMainFrame::window_of(const EditChild* child) const {
    for (auto& [window, c] : children_)
        if (c.get() == child) return window;
    return nullptr;
}

QMdiSubWindow* CMainFrame::first_window_of(const editor::CTextDoc* doc) const {
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        auto it = children_.find(w);
        if (it != children_.end() && &it->second->document() == doc) return w;
    }
    return nullptr;
}

int CMainFrame::views_of(const editor::CTextDoc* doc) const {
    int n = 0;
    for (auto& [window, child] : children_)
        if (&child->document() == doc) ++n;
    return n;
}

void CMainFrame::arrange_icons() {
    std::vector<QMdiSubWindow*> icons;
    std::vector<IconSize> sizes;
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        if (!w->isMinimized()) continue;
        icons.push_back(w);
        sizes.push_back({w->width(), w->height()});
    }
    const QSize area = mdi_->viewport()->size();
    const std::vector<IconPlace> places = ide::arrange_icons(area.width(), area.height(), sizes);
    for (size_t i = 0; i < icons.size(); ++i) icons[i]->move(places[i].x, places[i].y);
}

int CMainFrame::restore_unsaved_documents() {
    return offer_unsaved_documents(this, *app_.documents, [this](editor::CTextDoc& doc) { add_child(doc); });
}

EditChild* CMainFrame::add_child(editor::CTextDoc& doc) {
    auto* window = new QMdiSubWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName("editor_window");
    std::unique_ptr<EditChild> child = create_edit_child(*app_.documents, doc, *this, window);
    EditChild* raw = child.get();
    window->setWidget(child->widget());
    window->setWindowTitle(child->title());
    window->installEventFilter(this);
    children_[window] = std::move(child);
    mdi_->addSubWindow(window);
    // A new editor window takes most of the area rather than its small hint.
    const QSize area = mdi_->viewport()->size();
    if (area.width() > 200 && area.height() > 150)
        window->resize(area.width() * 3 / 4, area.height() * 4 / 5);
    window->show();
    mdi_->setActiveSubWindow(window);
    raw->focus_view();
    update_commands();
    return raw;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close) {
        auto* window = qobject_cast<QMdiSubWindow*>(watched);
        auto it = window ? children_.find(window) : children_.end();
        if (it != children_.end()) {
            EditChild& child = *it->second;
            if (views_of(&child.document()) == 1 && child.document().modified() && !child.query_close()) {
                event->ignore();
                return true;
            }
            child_closed(window);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::child_closed(QMdiSubWindow* window) {
    auto it = children_.find(window);
    if (it == children_.end()) return;
    window->removeEventFilter(this);
    editor::CTextDoc* doc = &it->second->document();
    window->setWidget(nullptr);
    children_.erase(it);
    if (views_of(doc) == 0) app_.documents->close(doc);
    QTimer::singleShot(0, this, &CMainFrame::update_commands);
}

bool CMainFrame::open_file_at(const std::string& path, int line, const std::string& find_text) {
    if (auto refusal = refuse_unopenable(path)) {
        message_box(QString::fromStdString(*refusal), static_cast<int>(ui::BoxIcon::error));
        return false;
    }
    const editor::OpenOutcome outcome = app_.documents->open(path);
    if (!outcome.document) {
        if (!outcome.error.empty())
            message_box(QString::fromStdString(outcome.error), static_cast<int>(ui::BoxIcon::error));
        return false;
    }
    EditChild* child = nullptr;
    if (outcome.already_open) {
        if (QMdiSubWindow* w = first_window_of(outcome.document)) {
            if (w->isMinimized()) w->showNormal();
            mdi_->setActiveSubWindow(w);
            child = children_[w].get();
        }
    }
    if (!child) child = add_child(*outcome.document);
    if (!outcome.already_open) {
        app_.recent_files.add(path);
        fill_recent_menus();
    }
    if (line > 0)
        child->go_to_line(line);
    else if (!find_text.empty())
        child->find_word_from_top(find_text);
    child->focus_view();
    update_commands();
    return true;
}

// ---------------------------------------------------------------- projects

bool CMainFrame::open_by_path(const std::string& path) {
    OpenHandlers handlers;
    handlers.open_project = [this](std::string_view p) { return open_project(std::string(p)); };
    handlers.open_text = [this](std::string_view p) { return open_file_at(std::string(p), 0); };
    return ide::open_by_path(path, handlers);
}

bool CMainFrame::open_project(const std::string& given) {
    if (busy_.busy()) {
        message_box(QString::fromUtf8(kMsgCannotQuitWhileBuilding), static_cast<int>(ui::BoxIcon::warning));
        return false;
    }
    if (auto refusal = refuse_unopenable(given)) {
        message_box(QString::fromStdString(*refusal), static_cast<int>(ui::BoxIcon::error));
        return false;
    }
    const std::string path = QDir(QString::fromStdString(given)).absolutePath().toStdString();
    if (!close_project()) return false;
    ProjectFileError error = ProjectFileError::None;
    std::unique_ptr<CKelvaneDoc> doc = ide::open_project(path, &error);
    if (!doc) {
        QString text;
        switch (error) {
            case ProjectFileError::Malformed:
                text = QStringLiteral("予期しないﾌｧｲﾙ形式です。");
                break;
            case ProjectFileError::NotFound:
                text = QStringLiteral("%1 が見つかりません。").arg(QString::fromStdString(path));
                break;
            default:
                text = QStringLiteral("ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。");
                break;
        }
        message_box(text, static_cast<int>(ui::BoxIcon::error));
        return false;
    }
    set_project(std::move(doc), true);
    app_.recent_projects.add(path);
    fill_recent_menus();
    return true;
}

void CMainFrame::set_project(std::unique_ptr<CKelvaneDoc> doc, bool fresh) {
    project_ = std::move(doc);
    project_->set_files_changed_handler([this] {
        project_pane_->model().rebuild(
            project_->record(), [](const std::string& p) { return path_kind(p) == PathKind::regular; },
            project_->path_style());
        project_pane_->refill();
        update_commands();
    });
    project_->messages().add_listener([this](OutputList::Change change, size_t first, size_t count) {
        output_pane_->on_list_change(change, first, count);
        if (change == OutputList::Change::Cleared || first == 0) update_commands();
    });
    project_->messages().set_beep_handler([this] {
        if (services_.beep) services_.beep();
    });
    output_pane_->set_list(&project_->messages());
    if (fresh)
        project_pane_->model().show_project(
            project_->record(), [](const std::string& p) { return path_kind(p) == PathKind::regular; },
            project_->path_style());
    project_pane_->refill();
    update_title();
    update_commands();
}

bool CMainFrame::close_project() {
    if (!project_) return true;
    if (busy_.busy()) {
        message_box(QString::fromUtf8(kMsgCannotQuitWhileBuilding), static_cast<int>(ui::BoxIcon::warning));
        return false;
    }
    CloseCallbacks callbacks;
    callbacks.building_refusal = [this](const std::string& message) {
        message_box(QString::fromStdString(message), static_cast<int>(ui::BoxIcon::warning));
    };
    callbacks.ask_save = [this](const std::string& question) {
        const ui::BoxAnswer a =
            ui::show_box(this, ui::Box{QString::fromUtf8(kAppTitle), QString::fromStdString(question),
                                       ui::BoxIcon::warning, ui::BoxButtons::yes_no_cancel, std::nullopt});
        return a == ui::BoxAnswer::yes  ? SaveAnswer::Yes
               : a == ui::BoxAnswer::no ? SaveAnswer::No
                                        : SaveAnswer::Cancel;
    };
    if (!project_->query_close(callbacks)) return false;
    output_pane_->set_list(nullptr);
    project_.reset();
    project_pane_->model().reset();
    project_pane_->refill();
    update_title();
    update_commands();
    return true;
}

// ---------------------------------------------------------------- drops

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    open_dropped(urls);
}

void CMainFrame::open_dropped(const QList<QUrl>& urls) {
    for (const QUrl& url : urls)
        if (url.isLocalFile()) open_by_path(url.toLocalFile().toStdString());
}

}  // namespace lumora::ide
