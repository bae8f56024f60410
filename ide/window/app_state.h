#pragma once
// The application object of the IDE: the settings, the two recent lists,
// the keyword database, the open text documents and the search settings.
// The main frame works on it; start-up fills it and exit saves it.

#include <memory>
#include <optional>
#include <string>

#include "ide/app/recent_list.h"
#include "ide/app/settings.h"
#include "ide/editor/document_set.h"
#include "ide/editor/keyword_db.h"
#include "ide/editor/search.h"
#include "platform/settings_store.h"

namespace lumora::ide {

struct AppState {
    explicit AppState(platform::SettingsStore& settings_store)
        : store(settings_store),
          recent_projects(make_recent_project_list()),
          recent_files(make_recent_file_list()),
          documents(std::make_unique<editor::DocumentSet>(&keywords, 4)) {}

    platform::SettingsStore& store;
    Settings settings = default_settings();
    RecentList recent_projects;
    RecentList recent_files;
    editor::KeywordDatabase keywords;  // empty until start-up loads Lumo.kdb
    std::unique_ptr<editor::DocumentSet> documents;
    editor::SearchSettings search;
    // Folder of the program (Lumo.kdb is looked for there).
    std::string program_folder;
};

}  // namespace lumora::ide
