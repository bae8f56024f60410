#pragma once
// orvconv without a window, for build scripts:
//   orvconv [--absolute] FILE.fr
// reads mapinfo.dat beside FILE.fr and writes the map files into the
// current folder.

#include <ostream>
#include <string>
#include <vector>

namespace lumora::orv {

enum class CommandKind { Window, Convert, Help, Version, Misuse };

struct Command {
    CommandKind kind = CommandKind::Window;
    bool absolute = false;
    std::string fr_path;
    std::string error;  // for Misuse
};

// args without the program name.
Command parse_command_line(const std::vector<std::string>& args);

void print_usage(std::ostream& out);

// Runs a Convert command; messages go to `err`. Returns the exit status:
// 0 on success, 255 on failure.
int run_headless(const Command& command, const std::string& out_dir, std::ostream& err);

}  // namespace lumora::orv
