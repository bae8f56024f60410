#pragma once
// Checks the IDE's dialogs make before they accept, and the guards for
// paths that arrive from outside (command line, drops, file dialogs).

#include <optional>
#include <string>
#include <string_view>

namespace lumora::ide {

enum class NameProblem { none, empty, separator, dot_name };

// A project or file name typed into a dialog: it becomes a file (and for a
// project a folder) name, so it must not be empty, hold a path separator of
// either style, or be "." or "..".
NameProblem check_plain_name(std::string_view name);
// The message for a problem (UTF-8); empty for none.
std::string name_problem_message(NameProblem problem);

// Everything the new-project dialog checks before its folder rules; the
// message to show (dialog stays open) or nothing.
std::optional<std::string> check_new_project_fields(std::string_view name, std::string_view folder);
// The same for "ﾌｧｲﾙ新規作成" (a file name and the folder it goes in).
std::optional<std::string> check_new_file_fields(std::string_view name, std::string_view folder);

inline constexpr const char* kMsgNameEmpty = "名前を入力してください。";
inline constexpr const char* kMsgNameSeparator = "名前に \\ や / は使えません。";
inline constexpr const char* kMsgNameDots = "名前に . や .. は使えません。";
inline constexpr const char* kMsgFolderEmpty = "ﾌｫﾙﾀﾞを入力してください。";

enum class PathKind { missing, regular, folder, special };
// What a path names (following links). FIFOs, devices and sockets are
// "special": reading one could block the IDE or consume someone's data.
PathKind path_kind(const std::string& path);
// The refusal message for a path that must not be opened as a file (a
// folder or a special file), or nothing. Missing files are left to the
// opener's own error.
std::optional<std::string> refuse_unopenable(const std::string& path);
// "%1 は通常のファイルではないので開けません。" with the path.
inline constexpr const char* kMsgNotRegularFile = "%1 は通常のファイルではないので開けません。";

enum class CreateFileResult { created, exists, failed };
// Creates an empty file; an existing one is never touched (no truncation).
CreateFileResult create_empty_file(const std::string& path);

// Joins a dialog's folder and file name with one separator.
std::string join_folder(std::string_view folder, std::string_view name);

}  // namespace lumora::ide
