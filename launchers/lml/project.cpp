#include "project.h"

#include <stdio.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "launchers/frontend/folder_listing.h"
#include "platform/path_style.h"

namespace lumora::lml {

namespace fs = std::filesystem;

namespace {

size_t character_count(std::string_view utf8) {
    size_t count = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

// Creates `path` with `bytes` only when no file of that name exists yet.
bool write_new_file(const std::string& path, const std::string& bytes, std::string& error) {
    FILE* file = std::fopen(path.c_str(), "wbx");
    if (!file) {
        if (errno == EEXIST) return true;
        error = path + ": " + std::strerror(errno);
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !ok) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

NameCheck check_project_name(std::string_view name) {
    if (name.empty()) return NameCheck::empty;
    if (character_count(name) > kLongestProjectName) return NameCheck::too_long;
    if (name.front() == '.') return NameCheck::not_plain;
    for (char c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return NameCheck::not_plain;
    return NameCheck::ok;
}

std::vector<std::string> list_projects(const KitPaths& paths) {
    return launchers::sub_folders(paths.myprog());
}

std::string source_template() {
    return "#include <stdlib.h>\r\n#include <sys/bios.h>\r\n\r\nvoid main(void)\r\n{\r\n\r\n}\r\n";
}

std::string description_template(const std::string& project) {
    // name and info go into the file entry header, which holds Shift-JIS; the
    // file names must stay the host's own so the packer finds them.
    const std::string title = platform::name_to_sjis(project, platform::PathStyle::Posix);
    return "name:" + title + "\r\ninfo:" + title + "\r\nmode:7\r\nsource:" + project +
           ".bin\r\noutput:" + project + ".fx\r\n";
}

OpenedProject open_project(const KitPaths& paths, const std::string& project) {
    OpenedProject opened;
    opened.folder = paths.project_folder(project);
    std::error_code error;
    if (!fs::is_directory(opened.folder, error)) {
        if (!fs::create_directories(opened.folder, error)) {
            opened.error = opened.folder + ": " + error.message();
            return opened;
        }
        opened.created = true;
        if (!write_new_file(opened.folder + "/" + project + ".c", source_template(), opened.error) ||
            !write_new_file(opened.folder + "/" + project + ".cf", description_template(project),
                            opened.error))
            return opened;
    }
    opened.ok = true;
    return opened;
}

std::string launcher_caption(const std::string& project) {
    return "Lumora Launcher ( " + project + " )";
}

}  // namespace lumora::lml
