#pragma once
// The open project: its record, its file and the state the IDE keeps beside
// it (modified, settings changed, building, the output messages).

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ide/output/output_list.h"
#include "ide/project/project_file.h"
#include "ide/project/project_record.h"
#include "platform/path_style.h"

namespace lumora::ide {

enum class AddNewFileResult { Added, AlreadyExists, CannotCreate, AlreadyInProject };

enum class SaveAnswer { Yes, No, Cancel };

struct CloseCallbacks {
    // Shown while a build runs ("ビルド中は終了できません"); closing is refused.
    std::function<void(const std::string& message_utf8)> building_refusal;
    // The save question; the text is ready to show (UTF-8).
    std::function<SaveAnswer(const std::string& question_utf8)> ask_save;
};

class CKelvaneDoc {
  public:
    explicit CKelvaneDoc(platform::PathStyle style = platform::host_path_style());

    // Reads a project file. On failure nothing is returned and `error` says why.
    static std::unique_ptr<CKelvaneDoc> open(const std::string& path, ProjectFileError* error,
                                             platform::PathStyle style = platform::host_path_style());

    platform::PathStyle path_style() const { return style_; }

    ProjectRecord& record() { return record_; }
    const ProjectRecord& record() const { return record_; }

    // Full path of the project file ("" before the first save of a new one).
    const std::string& path() const { return path_; }
    // A relative path is taken against the current folder.
    void set_path(const std::string& path);
    // Folder of the project file: the working folder of every tool.
    std::string project_folder() const;
    // File name without folder and extension (the window title).
    std::string title() const;

    bool modified() const { return modified_; }
    void set_modified(bool m = true) { modified_ = m; }
    bool settings_changed() const { return settings_changed_; }
    void set_settings_changed(bool c) { settings_changed_ = c; }
    bool building() const { return building_; }
    void set_building(bool b) { building_ = b; }

    OutputList& messages() { return messages_; }
    const OutputList& messages() const { return messages_; }

    // Folder the add-file dialogs start in; the project folder until a file
    // was added.
    std::string last_add_folder() const;
    void set_last_add_folder(std::string folder) { last_add_folder_ = std::move(folder); }

    // File lists. Every change marks the project modified and calls the
    // files-changed handler (the window rebuilds its tree).
    FileList add_file(std::string_view path);
    // Several files chosen in the add-file dialog; the folder of the last one
    // is remembered. Returns how many were new.
    int add_files(const std::vector<std::string>& paths);
    bool remove_file(FileList list, size_t index);
    FileList find_list(std::string_view path) const;
    void set_files_changed_handler(std::function<void()> handler) { files_changed_ = std::move(handler); }

    // "新規ﾌｧｲﾙ追加": creates an empty file folder/name unless it exists, then
    // adds it by the extension rule.
    AddNewFileResult add_new_file(std::string_view folder, std::string_view name);

    // Settings dialog confirmed: copies the edited settings back (the file
    // lists stay), rewrites the description file, marks the project modified
    // and sets the settings-changed flag. False when the description file
    // could not be written (the settings are applied all the same).
    bool apply_settings(const ProjectRecord& edited);

    // Writes the project file; clears the modified flag on success.
    ProjectFileError save();

    // The save question before the project closes. True when it may close.
    bool query_close(const CloseCallbacks& callbacks);

  private:
    void files_changed();

    platform::PathStyle style_;
    ProjectRecord record_;
    std::string path_;
    bool modified_ = false;
    bool settings_changed_ = false;
    bool building_ = false;
    OutputList messages_;
    std::string last_add_folder_;
    std::function<void()> files_changed_;
};

// UTF-8 texts of the project's messages.
inline constexpr const char* kMsgFileExists = "そのファイルはすでに存在しています。";
inline constexpr const char* kMsgCannotQuitWhileBuilding = "ビルド中は終了できません";
inline constexpr const char* kMsgUntitled = "無題";

}  // namespace lumora::ide
