#pragma once
// Runs one kelvane command without a window: the same project, build and
// transfer code as the IDE, with the output window's lines going to a sink
// as they arrive.

#include <functional>
#include <string>

#include "ide/cli/command_line.h"

namespace lumora::ide {

struct HeadlessIo {
    // One line of the output window, already converted to UTF-8.
    std::function<void(const std::string& utf8_line)> out;
    // A message the IDE would show in a box (UTF-8).
    std::function<void(const std::string& utf8_message)> err;
    // True once the user asked to stop (Ctrl+C). A running tool is then
    // cancelled as "ﾋﾞﾙﾄﾞの中止" would.
    std::function<bool()> interrupted;
    // Called when the user stops a serial exchange, which has no cancel of
    // its own; the program ends there.
    std::function<void()> abandon;
    // Device for COM1; empty to resolve COM1 as every tool does.
    std::string device;
};

struct HeadlessFolders {
    std::string platform_folder;
    std::string compiler_folder;
};

// The exit status: 0 success, 1 build errors / failed step / interrupted,
// 2 unreadable project or wrong arguments.
int run_headless(const CliOptions& options, const HeadlessFolders& folders, HeadlessIo& io);

}  // namespace lumora::ide
