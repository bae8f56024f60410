#pragma once
// The command line of the vconsole program.

#include <string>
#include <vector>

#include "testkit/vconsole/shell.h"

namespace lumora::vconsole {

struct Options {
    enum class Line { None, Pty, Port };
    Line line = Line::None;
    std::string path;  // the link to create (--pty) or the device to open (--port)
    int baud = 38400;
    int line_rate = 0;  // bits per second the line is paced to (0: as fast as it goes)
    ShellOptions shell;
    std::string store_dir;
    std::string capture_file;  // set: act as the capture program instead of the shell
    std::string capture_name;
    int start_timeout_ms = 60000;
    bool verbose = false;
};

struct ParsedOptions {
    bool ok = false;
    bool help = false;
    Options options;
    std::string error;  // why parsing failed
};

ParsedOptions parse_options(const std::vector<std::string>& args);
std::string usage_text(const std::string& program);

}  // namespace lumora::vconsole
