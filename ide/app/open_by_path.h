#pragma once
// One rule decides how a path given from outside (command line, drop,
// recent file list) is opened: a project file or a text file.

#include <functional>
#include <string_view>

namespace lumora::ide {

enum class OpenAs { Project, Text };

// A project when the text after the last "." of the path, upper-cased, is
// "LMP"; a text file otherwise.
OpenAs open_kind_for_path(std::string_view path);

struct OpenHandlers {
    std::function<bool(std::string_view path)> open_project;
    std::function<bool(std::string_view path)> open_text;  // opened with no line to go to
};
// Opens by the rule; the result of the chosen handler (false when missing).
bool open_by_path(std::string_view path, const OpenHandlers& handlers);

}  // namespace lumora::ide
