#pragma once
// simvane's command line: the windows by default, or --render to draw one
// view of a saved area image without a display.

#include <optional>
#include <string>
#include <vector>

#include "views.h"

namespace lumora::simvane {

struct CommandLine {
    bool help = false;
    bool version = false;
    bool render = false;
    std::string area_file;
    ViewKind view = ViewKind::lcd;
    std::string out_file;
    int mode = 4;
};

struct ParsedCommandLine {
    std::optional<CommandLine> options;
    std::string error;
};

ParsedCommandLine parse_command_line(const std::vector<std::string>& args);
std::string usage_text();

// Reads an area image (a file "Save area…" wrote) and writes one view of it
// as PNG. Returns the exit status; messages go to standard error.
int run_render(const CommandLine& options);

}  // namespace lumora::simvane
