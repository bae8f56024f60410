#include "ide/window/startup.h"

#include <QApplication>

#include "ide/window/dialog_checks.h"
#include "ide/window/environment_dialog.h"
#include "ide/window/folder_chooser_dialog.h"
#include "ui/message_box.h"

namespace lumora::ide {

std::unique_ptr<CMainFrame> start_ide(AppState& app, FrameServices services,
                                      const std::vector<std::string>& files) {
    app.recent_projects.read(app.store);
    app.recent_files.read(app.store);
    load_settings(app.settings, app.store);
    // Documents point at the one database object, filled in further down.
    app.documents = std::make_unique<editor::DocumentSet>(&app.keywords, app.settings.tab_length);

    auto exec_dialog = services.exec_dialog;
    auto frame = std::make_unique<CMainFrame>(app, std::move(services));
    frame->apply_stored_placement();
    for (const std::string& file : files) frame->open_by_path(file);
    if (app.settings.maximised)
        frame->showMaximized();
    else
        frame->show();

    if (app.settings.first_run) {
        BrowseFolder browse = [exec_dialog](QWidget* parent, const QString&) -> std::optional<QString> {
            HostFolderSource source;
            FolderChooserDialog chooser(source, parent);
            if (exec_dialog(chooser) != QDialog::Accepted) return std::nullopt;
            return QString::fromStdString(browse_field_text(chooser.chosen_path()));
        };
        EnvironmentDialog dialog(app.settings, browse, frame.get());
        if (exec_dialog(dialog) == QDialog::Accepted) dialog.store(app.settings);
    }

    const std::string kdb = keyword_database_path(
        app.program_folder, [](const std::string& p) { return path_kind(p) == PathKind::regular; });
    QWidget* parent = frame.get();
    auto loaded = editor::KeywordDatabase::load(kdb, [parent](const std::string& message) {
        return ui::show_box(parent, ui::Box{QStringLiteral("Kelvane"), QString::fromStdString(message),
                                            ui::BoxIcon::warning, ui::BoxButtons::ok_cancel, std::nullopt}) ==
               ui::BoxAnswer::ok;
    });
    if (!loaded) return nullptr;
    app.keywords = std::move(*loaded);
    app.keywords.set_enabled(0, app.settings.keywords_cpp);
    app.keywords.set_enabled(1, app.settings.keywords_lumora);
    app.documents->retokenize_all();
    frame->restore_unsaved_documents();
    return frame;
}

bool exit_ide(AppState& app) {
    const bool ok = save_at_exit(app.settings, app.recent_projects, app.recent_files, app.store);
    return app.store.flush() && ok;
}

}  // namespace lumora::ide
