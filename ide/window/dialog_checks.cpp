#include "ide/window/dialog_checks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace lumora::ide {

NameProblem check_plain_name(std::string_view name) {
    if (name.empty()) return NameProblem::empty;
    if (name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos)
        return NameProblem::separator;
    if (name == "." || name == "..") return NameProblem::dot_name;
    return NameProblem::none;
}

std::string name_problem_message(NameProblem problem) {
    switch (problem) {
        case NameProblem::none:
            return {};
        case NameProblem::empty:
            return kMsgNameEmpty;
        case NameProblem::separator:
            return kMsgNameSeparator;
        case NameProblem::dot_name:
            return kMsgNameDots;
    }
    return {};
}

namespace {

std::optional<std::string> check_fields(std::string_view name, std::string_view folder) {
    const NameProblem problem = check_plain_name(name);
    if (problem != NameProblem::none) return name_problem_message(problem);
    if (folder.find_first_not_of(' ') == std::string_view::npos) return std::string(kMsgFolderEmpty);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> check_new_project_fields(std::string_view name, std::string_view folder) {
    return check_fields(name, folder);
}

std::optional<std::string> check_new_file_fields(std::string_view name, std::string_view folder) {
    return check_fields(name, folder);
}

PathKind path_kind(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return PathKind::missing;
    if (S_ISREG(st.st_mode)) return PathKind::regular;
    if (S_ISDIR(st.st_mode)) return PathKind::folder;
    return PathKind::special;
}

std::optional<std::string> refuse_unopenable(const std::string& path) {
    const PathKind kind = path_kind(path);
    if (kind == PathKind::missing || kind == PathKind::regular) return std::nullopt;
    std::string message = kMsgNotRegularFile;
    message.replace(message.find("%1"), 2, path);
    return message;
}

CreateFileResult create_empty_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EEXIST ? CreateFileResult::exists : CreateFileResult::failed;
    ::close(fd);
    return CreateFileResult::created;
}

std::string join_folder(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!out.empty() && out.back() != '/') out += '/';
    out += name;
    return out;
}

}  // namespace lumora::ide
