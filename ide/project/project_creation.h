#pragma once
// Creating a new project: checking the folder the new-project dialog names,
// then writing the main source, the description file and the project file.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ide/project/project_document.h"
#include "platform/path_style.h"

namespace lumora::ide {

// The folder shown in the dialog's read-only field: the folder, a separator
// if the folder is not empty and lacks one, then the name.
std::string resulting_project_folder(std::string_view folder, std::string_view name,
                                     platform::PathStyle style = platform::host_path_style());

enum class NewProjectCheck {
    Ok,             // an existing folder without {name}.lmp
    FileInTheWay,   // a file has the folder's name
    ProjectExists,  // the folder holds {name}.lmp already
    FolderMissing,  // ask whether to create it
};
// `name` is the file-system form of the project name.
NewProjectCheck check_new_project_folder(const std::string& project_folder, std::string_view name,
                                         platform::PathStyle style = platform::host_path_style());

struct NewProjectPrompts {
    // A message that keeps the dialog open (UTF-8, caption kNewProjectCaption).
    std::function<void(const std::string& message)> warn;
    // The Yes/No question whether to create the missing folder.
    std::function<bool(const std::string& question)> ask_create;
};
// The OK button of the new-project dialog: true when the dialog may close
// (the folder exists, or was created on request, and holds no such project).
bool accept_new_project_folder(const std::string& project_folder, std::string_view name,
                               const NewProjectPrompts& prompts,
                               platform::PathStyle style = platform::host_path_style());

// Creates the folder and any missing parents; true when it exists afterwards.
bool create_folder_tree(const std::string& folder);

// The main source a new project starts with (CR LF line ends).
std::string main_source_template();

struct CreateProjectResult {
    std::unique_ptr<CKelvaneDoc> doc;  // set on success
    std::string error;                 // UTF-8, set on failure
};

// Creates {folder}/{name}.c (asking `keep_or_overwrite` with the file name
// when one exists: true overwrites, false keeps it), {name}.cf and
// {name}.lmp in an existing folder. `sjis_name` is the project name as stored.
CreateProjectResult create_project(const std::string& project_folder, std::string_view sjis_name,
                                   const std::function<bool(const std::string& file_name)>& keep_or_overwrite,
                                   platform::PathStyle style = platform::host_path_style());

// UTF-8 texts of the new-project dialog.
inline constexpr const char* kNewProjectCaption = "ﾌﾟﾛｼﾞｪｸﾄ新規作成";
inline constexpr const char* kMsgFileHasFolderName = "フォルダと同じ名前のファイルがあります。";
inline constexpr const char* kMsgProjectExists = "すでに同じ名前のプロジェクトファイルがあります。";
inline constexpr const char* kMsgCreateFolder = "フォルダが見つかりません。作成しますか？";
// "%s" is replaced by the file name.
inline constexpr const char* kMsgOverwriteSource = "同じ名前のファイル(%s)があります。上書きしますか？";

}  // namespace lumora::ide
