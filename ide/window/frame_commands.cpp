// The main frame's commands: files, projects, build, transfer, find in
// project, settings and windows.

#include <QApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTimer>

#include "ide/editor/output_sink.h"
#include "ide/editor/project_search.h"
#include "ide/output/jump_target.h"
#include "ide/project/project_creation.h"
#include "ide/window/dialog_checks.h"
#include "ide/window/environment_dialog.h"
#include "ide/window/folder_chooser_dialog.h"
#include "ide/window/main_frame.h"
#include "ide/window/new_file_dialog.h"
#include "ide/window/new_project_dialog.h"
#include "ide/window/output_pane.h"
#include "ide/window/project_pane.h"
#include "ide/window/project_settings_dialog.h"
#include "platform/path_style.h"
#include "ui/file_filter.h"
#include "ui/message_box.h"
#include "ui/sjis_text.h"

namespace lumora::ide {

namespace {

constexpr const char* kMsgCannotCreateFile = "ﾌｧｲﾙを作成できませんでした。";
constexpr const char* kMsgDescriptionNotWritten = "説明ﾌｧｲﾙを書き込めませんでした。";

QString utf8(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

void CMainFrame::run_command(CommandId id) {
    // A key can arrive between a change of state and the next update.
    if (!command_state(id, command_context()).enabled) return;
    EditCommand edit;
    if (edit_command_for(id, &edit)) {
        if (EditChild* child = active_child()) {
            child->execute(edit);
            state_changed(*child);
        }
        return;
    }
    switch (id) {
        case CommandId::file_new:
            cmd_file_new();
            break;
        case CommandId::file_open:
            cmd_file_open();
            break;
        case CommandId::file_close:
            if (QMdiSubWindow* w = mdi_->activeSubWindow()) w->close();
            break;
        case CommandId::project_new:
            cmd_project_new();
            break;
        case CommandId::project_open:
            cmd_project_open();
            break;
        case CommandId::project_save:
            cmd_project_save();
            break;
        case CommandId::project_close:
            close_project();
            break;
        case CommandId::app_exit:
            close();
            break;
        case CommandId::project_add_new_file:
            cmd_add_new_file();
            break;
        case CommandId::project_add_files:
            cmd_add_files();
            break;
        case CommandId::project_edit_file:
            cmd_edit_file();
            break;
        case CommandId::project_delete_file:
            cmd_delete_file();
            break;
        case CommandId::find_in_project:
            cmd_find_in_project();
            break;
        case CommandId::compile:
            cmd_compile();
            break;
        case CommandId::build:
            cmd_build(BuildKind::Normal);
            break;
        case CommandId::full_build:
            cmd_build(BuildKind::Full);
            break;
        case CommandId::cancel_build:
            if (builder_) builder_->cancel();
            break;
        case CommandId::transfer:
            cmd_transfer(TransferCommand::Transfer);
            break;
        case CommandId::execute:
            cmd_transfer(TransferCommand::Execute);
            break;
        case CommandId::transfer_execute:
            cmd_transfer(TransferCommand::TransferExecute);
            break;
        case CommandId::project_settings:
            cmd_project_settings();
            break;
        case CommandId::view_project_pane:
            set_project_pane_visible(project_pane_->isHidden());
            break;
        case CommandId::view_output_pane:
            set_output_pane_visible(output_pane_->isHidden());
            break;
        case CommandId::view_tool_bar:
            tool_bar_->setVisible(tool_bar_->isHidden());
            update_commands();
            break;
        case CommandId::view_status_bar:
            statusBar()->setVisible(statusBar()->isHidden());
            update_commands();
            break;
        case CommandId::keywords_cpp:
            cmd_keywords(0);
            break;
        case CommandId::keywords_lumora:
            cmd_keywords(1);
            break;
        case CommandId::tab_2:
            cmd_tab(2);
            break;
        case CommandId::tab_4:
            cmd_tab(4);
            break;
        case CommandId::tab_8:
            cmd_tab(8);
            break;
        case CommandId::colour_settings:
            cmd_colours();
            break;
        case CommandId::environment_settings:
            cmd_environment();
            break;
        case CommandId::window_new:
            cmd_window_new();
            break;
        case CommandId::window_cascade:
            mdi_->cascadeSubWindows();
            break;
        case CommandId::window_tile:
            mdi_->tileSubWindows();
            break;
        case CommandId::window_arrange_icons:
            arrange_icons();
            break;
        case CommandId::about:
            cmd_about();
            break;
        case CommandId::next_message:
            cmd_next_message(true);
            break;
        case CommandId::previous_message:
            cmd_next_message(false);
            break;
        case CommandId::focus_project:
            set_project_pane_visible(true);
            project_pane_->setFocus(Qt::ShortcutFocusReason);
            break;
        case CommandId::focus_editor:
            if (EditChild* child = active_child()) child->focus_view();
            break;
        case CommandId::focus_output:
            set_output_pane_visible(true);
            output_pane_->setFocus(Qt::ShortcutFocusReason);
            break;
        default:
            break;
    }
    update_commands();
}

BrowseFolder CMainFrame::folder_browser() {
    return [this](QWidget* parent, const QString&) -> std::optional<QString> {
        HostFolderSource source;
        FolderChooserDialog chooser(source, parent);
        if (services_.exec_dialog(chooser) != QDialog::Accepted) return std::nullopt;
        return utf8(browse_field_text(chooser.chosen_path()));
    };
}

// ---------------------------------------------------------------- files

void CMainFrame::cmd_file_new() {
    NewFileDialog dialog(
        QDir::currentPath(), folder_browser(),
        [](const std::string& folder, const std::string& name) -> std::optional<QString> {
            switch (create_empty_file(join_folder(folder, name))) {
                case CreateFileResult::created:
                    return std::nullopt;
                case CreateFileResult::exists:
                    return QString::fromUtf8(kMsgFileExists);
                case CreateFileResult::failed:
                    break;
            }
            return QString::fromUtf8(kMsgCannotCreateFile);
        },
        this);
    if (services_.exec_dialog(dialog) != QDialog::Accepted) return;
    open_file_at(dialog.created_path(), 0);
}

void CMainFrame::cmd_file_open() {
    const QString path = services_.open_file(
        this, QStringLiteral("開く"), QDir::currentPath(),
        ui::dialog_filter(
            QStringLiteral("ｿｰｽ ﾌｧｲﾙ (c;cpp)|*.c;*.cpp|ｲﾝｸﾙｰﾄﾞ ﾌｧｲﾙ (h)|*.h|All Files (*.*)|*.*||")));
    if (!path.isEmpty()) open_file_at(path.toStdString(), 0);
}

// ---------------------------------------------------------------- projects

void CMainFrame::cmd_project_new() {
    NewProjectDialog dialog(utf8(app_.settings.project_folder), folder_browser(), this);
    if (services_.exec_dialog(dialog) != QDialog::Accepted) return;
    if (!close_project()) return;
    const QString caption = QString::fromUtf8(kNewProjectCaption);
    const auto style = platform::host_path_style();
    CreateProjectResult created = create_project(
        dialog.project_folder(), platform::name_to_sjis(dialog.name().toStdString(), style),
        [&](const std::string& file_name) {
            QString question = QString::fromUtf8(kMsgOverwriteSource);
            question.replace(QStringLiteral("%s"), utf8(file_name));
            return ui::show_box(this, ui::Box{caption, question, ui::BoxIcon::warning, ui::BoxButtons::yes_no,
                                              std::nullopt}) == ui::BoxAnswer::yes;
        },
        style);
    if (!created.doc) {
        message_box(utf8(created.error), static_cast<int>(ui::BoxIcon::error));
        return;
    }
    const std::string path = created.doc->path();
    set_project(std::move(created.doc), true);
    app_.recent_projects.add(path);
    fill_recent_menus();
}

void CMainFrame::cmd_project_open() {
    const QString path =
        services_.open_file(this, QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄを開く"), QDir::currentPath(),
                            ui::dialog_filter(QStringLiteral("KelvaneProject ﾌｧｲﾙ (lmp)|*.lmp||")));
    if (!path.isEmpty()) open_project(path.toStdString());
}

void CMainFrame::cmd_project_save() {
    if (!project_) return;
    if (project_->save() != ProjectFileError::None)
        message_box(QStringLiteral("%1 を保存できませんでした。").arg(utf8(project_->path())),
                    static_cast<int>(ui::BoxIcon::error));
}

void CMainFrame::cmd_recent_project(size_t index) {
    if (busy_.busy() || !close_project()) return;
    app_.recent_projects.open_entry(index, [this](const std::string& path) { return open_project(path); });
    fill_recent_menus();
}

void CMainFrame::cmd_recent_file(size_t index) {
    app_.recent_files.open_entry(index, [this](const std::string& path) { return open_by_path(path); });
    fill_recent_menus();
}

void CMainFrame::cmd_add_new_file() {
    if (!project_) return;
    NewFileDialog dialog(
        utf8(project_->project_folder()), folder_browser(),
        [this](const std::string& folder, const std::string& name) -> std::optional<QString> {
            if (!project_) return QString::fromUtf8(kMsgCannotCreateFile);
            switch (project_->add_new_file(folder, name)) {
                case AddNewFileResult::Added:
                case AddNewFileResult::AlreadyInProject:
                    return std::nullopt;
                case AddNewFileResult::AlreadyExists:
                    return QString::fromUtf8(kMsgFileExists);
                case AddNewFileResult::CannotCreate:
                    break;
            }
            return QString::fromUtf8(kMsgCannotCreateFile);
        },
        this);
    services_.exec_dialog(dialog);
}

void CMainFrame::cmd_add_files() {
    if (!project_) return;
    const QStringList chosen = services_.open_files(
        this, QStringLiteral("ﾌｧｲﾙ追加"), utf8(project_->last_add_folder()),
        ui::dialog_filter(QStringLiteral("C Files (*.c)|*.c|H Files (*.h)|*.h|All Files (*.*)|*.*||")));
    std::vector<std::string> paths;
    for (const QString& p : chosen) {
        const std::string path = p.toStdString();
        if (auto refusal = refuse_unopenable(path)) {
            message_box(utf8(*refusal), static_cast<int>(ui::BoxIcon::error));
            continue;
        }
        paths.push_back(path);
    }
    if (!paths.empty()) project_->add_files(paths);
}

void CMainFrame::cmd_edit_file() {
    if (auto file = project_pane_->selected_file()) open_file_at(file->path, 0);
}

void CMainFrame::cmd_delete_file() {
    if (!project_) return;
    if (auto file = project_pane_->selected_file()) project_->remove_file(file->list, file->index);
}

void CMainFrame::cmd_project_settings() {
    if (!project_) return;
    ProjectSettingsDialog dialog(project_->record(), this);
    if (services_.exec_dialog(dialog) != QDialog::Accepted || !project_) return;
    if (!project_->apply_settings(dialog.edited()))
        message_box(QString::fromUtf8(kMsgDescriptionNotWritten), static_cast<int>(ui::BoxIcon::warning));
}

// ---------------------------------------------------------------- build and transfer

void CMainFrame::save_project_documents() {
    if (!project_) return;
    for (const auto& doc : app_.documents->documents()) {
        if (!doc->modified() || doc->path().empty() || project_->find_list(doc->path()) == FileList::None)
            continue;
        editor::SaveCallbacks callbacks;
        callbacks.ask_yes_no = [this](const std::string& q) {
            return ui::show_box(this, ui::Box{QString::fromUtf8("Kelvane"), utf8(q), ui::BoxIcon::question,
                                              ui::BoxButtons::yes_no, std::nullopt}) == ui::BoxAnswer::yes;
        };
        callbacks.show_error = [this](const std::string& m) {
            message_box(utf8(m), static_cast<int>(ui::BoxIcon::error));
        };
        doc->save(callbacks);
    }
    for (auto& [window, child] : children_) window->setWindowTitle(child->title());
}

TransferHooks CMainFrame::transfer_hooks() {
    TransferHooks hooks;
    hooks.show_output = [this] { set_output_pane_visible(true); };
    hooks.refresh = [this] { output_pane_->viewport()->update(); };
    hooks.pump = [this] { pump(true); };
    hooks.device = services_.com1_device;
    hooks.adjust_timeouts = services_.adjust_timeouts;
    return hooks;
}

BuildHooks CMainFrame::build_hooks() {
    BuildHooks hooks;
    hooks.save_documents = [this] { save_project_documents(); };
    hooks.ask_full_build = [this](const std::string& question) {
        return ui::show_box(this, ui::Box{QString::fromUtf8("Kelvane"), utf8(question), ui::BoxIcon::question,
                                          ui::BoxButtons::yes_no, std::nullopt}) == ui::BoxAnswer::yes;
    };
    hooks.show_message = [this](const std::string& m) {
        message_box(utf8(m), static_cast<int>(ui::BoxIcon::warning));
    };
    hooks.show_output = [this] { set_output_pane_visible(true); };
    hooks.refresh = [this] { output_pane_->viewport()->update(); };
    hooks.pump = [this] { pump(true); };
    hooks.beep = [this] {
        if (services_.beep) services_.beep();
    };
    hooks.transfer_and_run = [this] {
        return project_ && transfer_then_execute(*project_, transfer_hooks());
    };
    return hooks;
}

void CMainFrame::cmd_build(BuildKind kind) {
    if (!project_ || !try_begin_busy(BusyKind::build)) return;
    Builder builder(*project_, BuildSettings{app_.settings.compiler_folder, app_.settings.platform_folder},
                    build_hooks());
    builder_ = &builder;
    last_build_ = builder.build(kind);
    builder_ = nullptr;
    end_busy();
}

void CMainFrame::cmd_compile() {
    EditChild* child = active_child();
    if (!project_ || !child) return;
    const std::string path = child->document().path();
    if (project_->find_list(path) != FileList::Sources) {
        message_box(QString::fromUtf8(kNotASourceMessage), static_cast<int>(ui::BoxIcon::warning));
        return;
    }
    if (!try_begin_busy(BusyKind::compile)) return;
    Builder builder(*project_, BuildSettings{app_.settings.compiler_folder, app_.settings.platform_folder},
                    build_hooks());
    builder_ = &builder;
    last_build_ = builder.compile_one(path);
    builder_ = nullptr;
    end_busy();
}

void CMainFrame::cmd_transfer(TransferCommand command) {
    if (!project_ || !try_begin_busy(BusyKind::serial)) return;
    run_transfer_command(*project_, command, transfer_hooks());
    end_busy();
}

// ---------------------------------------------------------------- output

void CMainFrame::jump_to_message(size_t index) {
    if (!project_ || index >= project_->messages().size()) return;
    const auto target = resolve_jump_target(project_->messages().at(index), project_->project_folder(),
                                            project_->path_style());
    if (target) open_file_at(target->path, target->line);
}

void CMainFrame::cmd_next_message(bool forward) {
    if (!project_) return;
    set_output_pane_visible(true);
    const auto found = project_->messages().find_error(output_pane_->model().selected(), forward);
    if (!found) return;
    output_pane_->select_line(*found);
    jump_to_message(*found);
}

// ---------------------------------------------------------------- find in project

void CMainFrame::cmd_find_in_project() {
    if (busy_.kind() == BusyKind::find) {
        if (search_) search_->request_stop();
        return;
    }
    if (!project_) return;
    const EditChild* child = active_child();
    if (!ask_find_in_project(this, app_.search, child ? child->initial_find_text() : std::string())) return;
    if (!project_ || !try_begin_busy(BusyKind::find)) return;
    std::vector<std::string> files;
    const ProjectRecord& r = project_->record();
    for (const auto& s : r.sources) files.push_back(s.path);
    for (const auto& h : r.headers) files.push_back(h.path);
    for (const auto& o : r.others) files.push_back(o.path);
    set_output_pane_visible(true);
    editor::ProjectSearchRunner runner;
    search_ = &runner;
    editor::OutputListSink sink(project_->messages());
    runner.run(
        files, app_.search, app_.settings.tab_length, sink, [this] { pump(); }, &app_.keywords);
    search_ = nullptr;
    end_busy();
    if (quit_after_search_) {
        quit_after_search_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

// ---------------------------------------------------------------- settings

void CMainFrame::settings_changed_everywhere() {
    for (auto& [window, child] : children_) child->settings_changed();
    output_pane_->viewport()->update();
}

void CMainFrame::cmd_environment() {
    EnvironmentDialog dialog(app_.settings, folder_browser(), this);
    if (services_.exec_dialog(dialog) == QDialog::Accepted) dialog.store(app_.settings);
}

void CMainFrame::cmd_keywords(int number) {
    bool& flag = number == 0 ? app_.settings.keywords_cpp : app_.settings.keywords_lumora;
    flag = !flag;
    app_.keywords.set_enabled(number, flag);
    app_.documents->retokenize_all();
    settings_changed_everywhere();
}

void CMainFrame::cmd_tab(int length) {
    app_.settings.tab_length = length;
    app_.documents->set_tab_length(length);
    settings_changed_everywhere();
}

void CMainFrame::cmd_colours() {
    if (edit_colour_settings(this, app_.settings)) settings_changed_everywhere();
}

void CMainFrame::cmd_about() {
    ui::show_box(this, ui::Box{QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"),
                               QStringLiteral("Kelvane %1").arg(QCoreApplication::applicationVersion()),
                               ui::BoxIcon::information, ui::BoxButtons::ok, std::nullopt});
}

void CMainFrame::cmd_window_new() {
    if (EditChild* child = active_child()) add_child(child->document());
}

}  // namespace lumora::ide
