#pragma once
// Projects of the launcher: one folder each under the kit's "myprog", named
// after the project, holding NAME.c and the file entry description NAME.cf.

#include <string>
#include <string_view>
#include <vector>

#include "kit_paths.h"

namespace lumora::lml {

constexpr size_t kLongestProjectName = 8;  // characters

enum class NameCheck {
    ok,
    empty,
    too_long,
    not_plain,  // a path separator, a leading "." or a control character
};

// The name as typed (UTF-8). A refused name empties the name box.
NameCheck check_project_name(std::string_view name);

// The projects that exist: sub-folders of "myprog", sorted.
std::vector<std::string> list_projects(const KitPaths& paths);

// The new-project templates, with CR LF.
std::string source_template();
std::string description_template(const std::string& project);

struct OpenedProject {
    bool ok = false;
    bool created = false;  // a new folder was made
    std::string folder;
    std::string error;  // for the message window when !ok
};

// Makes `project` the current project: a project that does not exist yet
// gets its folder and the two template files. Existing files are never
// overwritten.
OpenedProject open_project(const KitPaths& paths, const std::string& project);

// The main window's caption once a project is chosen.
std::string launcher_caption(const std::string& project);

}  // namespace lumora::lml
