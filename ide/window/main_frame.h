#pragma once
// CMainFrame: the IDE's main window. Editor windows float in its MDI area,
// the project pane sits on the left, the output pane at the bottom. It owns
// the open project and the busy state, builds every menu from the command
// table and routes the commands: its own, and the editor's to the active
// editor window.

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QToolBar>
#include <QUrl>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ide/build/builder.h"
#include "ide/commands/command_state.h"
#include "ide/project/project_document.h"
#include "ide/transfer/transfer_commands.h"
#include "ide/window/app_state.h"
#include "ide/window/dialog_parts.h"
#include "ide/window/edit_seam.h"
#include "ide/window/frame_rules.h"
#include "ide/window/frame_services.h"
#include "ide/window/pane_layout.h"
#include "platform/keyboard_locks.h"

class QMdiSubWindow;
class QMenu;

namespace lumora::editor {
class ProjectSearchRunner;
}

namespace lumora::ide {

class FrameBody;
class OutputPane;
class ProjectPane;

class CMainFrame : public QMainWindow, public EditHost {
    Q_OBJECT
  public:
    CMainFrame(AppState& app, FrameServices services, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // --- what start-up, drops and tests use ---
    // A ".lmp" path opens as the project, anything else in an editor.
    bool open_by_path(const std::string& path);
    // Offers back what a crashed session left unsaved; restored documents
    // open in editor windows, modified. Returns how many.
    int restore_unsaved_documents();
    // Files dropped on the frame, in the order given.
    void open_dropped(const QList<QUrl>& urls);
    bool open_project(const std::string& path);
    // The project's save question; false when closing was refused.
    bool close_project();
    // Every step of quitting except closing the window: false when refused.
    bool query_quit();
    void run_command(CommandId id);
    // Recomputes every command's enabled state, check mark and text.
    void update_commands();
    CommandContext command_context() const;
    QAction* action(CommandId id) const;
    // Places the window as the settings say (before it is shown).
    void apply_stored_placement();

    CKelvaneDoc* project() const { return project_.get(); }
    const BusyState& busy() const { return busy_; }
    ProjectPane* project_pane() const { return project_pane_; }
    OutputPane* output_pane() const { return output_pane_; }
    QMdiArea* mdi() const { return mdi_; }
    QToolBar* tool_bar() const { return tool_bar_; }
    QMenu* recent_projects_menu() const { return recent_projects_menu_; }
    QMenu* recent_files_menu() const { return recent_files_menu_; }
    QLabel* status_line() const { return status_line_; }
    QLabel* status_column() const { return status_column_; }
    QLabel* status_overwrite() const { return status_overwrite_; }
    // The Kana, Caps, Num and Scroll lock panes, in that order.
    QLabel* status_lock(size_t index) const { return status_locks_.at(index); }
    // Where the lock panes read the keyboard (the X server's by default).
    void set_lock_reader(std::unique_ptr<platform::LockReader> reader);
    void refresh_lock_panes();
    FrameBody* body() const { return body_; }
    // Minimised editor windows in rows along the bottom of the area.
    void arrange_icons();
    EditChild* active_child() const;
    std::vector<EditChild*> children() const;
    const BuildResult& last_build() const { return last_build_; }
    AppState& app() { return app_; }
    // Rebuilds the recent submenus (before the File menu shows).
    void fill_recent_menus();
    // Shows or hides a pane as the View menu does.
    void set_project_pane_visible(bool visible);
    void set_output_pane_visible(bool visible);

    // --- EditHost ---
    void set_status_position(int line, int column) override;
    void set_status_overwrite(bool overwrite) override;
    void state_changed(EditChild& child) override;
    bool open_file_at(const std::string& path, int line, const std::string& find_text = {}) override;
    const Settings& settings() const override { return app_.settings; }
    const editor::KeywordDatabase* keywords() const override { return &app_.keywords; }
    editor::SearchSettings& search_settings() override { return app_.search; }
    bool try_begin_busy(BusyKind kind) override;
    void end_busy() override;
    bool cancel_requested() const override { return busy_.cancel_requested(); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build_menus();
    void connect_command(QAction* action, CommandId id);
    void build_tool_bar();
    void build_status_bar();
    void update_title();
    void store_window_rect();
    void set_project(std::unique_ptr<CKelvaneDoc> doc, bool fresh);
    void show_tree();
    EditChild* add_child(editor::CTextDoc& doc);
    QMdiSubWindow* window_of(const EditChild* child) const;
    QMdiSubWindow* first_window_of(const editor::CTextDoc* doc) const;
    int views_of(const editor::CTextDoc* doc) const;
    void child_closed(QMdiSubWindow* window);
    void jump_to_message(size_t index);
    void message_box(const QString& text, int icon);
    BrowseFolder folder_browser();

    // Commands.
    void cmd_file_new();
    void cmd_file_open();
    void cmd_project_new();
    void cmd_project_open();
    void cmd_project_save();
    void cmd_add_new_file();
    void cmd_add_files();
    void cmd_edit_file();
    void cmd_delete_file();
    void cmd_find_in_project();
    void cmd_compile();
    void cmd_build(BuildKind kind);
    void cmd_transfer(TransferCommand command);
    void cmd_project_settings();
    void cmd_environment();
    void cmd_next_message(bool forward);
    void cmd_window_new();
    void cmd_keywords(int number);
    void cmd_tab(int length);
    void cmd_colours();
    void cmd_about();
    void cmd_recent_project(size_t index);
    void cmd_recent_file(size_t index);
    BuildHooks build_hooks();
    TransferHooks transfer_hooks();
    void save_project_documents();
    // Lets the window handle its events during a long activity. A build or a
    // serial command pumps between every read; they ask for `throttled`.
    void pump(bool throttled = false);
    void settings_changed_everywhere();

    AppState& app_;
    FrameServices services_;
    std::unique_ptr<CKelvaneDoc> project_;
    BusyState busy_;
    PumpThrottle pump_throttle_;
    Builder* builder_ = nullptr;                     // while a build or compile runs
    editor::ProjectSearchRunner* search_ = nullptr;  // while a find in project runs
    bool quit_after_search_ = false;
    BuildResult last_build_;

    QMdiArea* mdi_ = nullptr;
    ProjectPane* project_pane_ = nullptr;
    OutputPane* output_pane_ = nullptr;
    FrameBody* body_ = nullptr;
    QToolBar* tool_bar_ = nullptr;
    QMenu* recent_projects_menu_ = nullptr;
    QMenu* recent_files_menu_ = nullptr;
    QMenu* window_menu_ = nullptr;
    QLabel* status_line_ = nullptr;
    QLabel* status_column_ = nullptr;
    QLabel* status_overwrite_ = nullptr;
    std::array<QLabel*, 4> status_locks_{};
    std::unique_ptr<platform::LockReader> lock_reader_;
    QObject* key_watcher_ = nullptr;  // child; sees the application's key events
    // The frame's outer size asked for before the window manager's frame was
    // known; the client area is corrected once it is.
    QSize wanted_frame_size_;
    std::map<CommandId, QAction*> actions_;
    std::map<QMdiSubWindow*, std::unique_ptr<EditChild>> children_;
    bool placed_ = false;
};

}  // namespace lumora::ide
