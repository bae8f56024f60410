#pragma once
// The command line of kelvane: the window with files to open, or one of
// the commands it runs without a window.

#include <optional>
#include <string>
#include <vector>

namespace lumora::ide {

enum class CliCommand {
    None,
    Window,  // no command: the IDE's window, opening the files given
    Help,
    Version,
    NewProject,
    Build,
    Rebuild,
    Compile,
    Transfer,
    Run,
    TransferRun
};

struct CliOptions {
    CliCommand command = CliCommand::None;
    std::string target;  // FOLDER/NAME for --new-project, else the project file
    std::string source;  // --compile
    std::optional<std::string> platform_folder;
    std::optional<std::string> compiler_folder;
    std::vector<std::string> files;  // Window: opened by path in this order
};

struct ParsedCli {
    CliOptions options;
    std::string error;  // set when the command line is wrong
    bool ok() const { return error.empty(); }
};

ParsedCli parse_command_line(const std::vector<std::string>& args);

std::string usage_text(const std::string& program);

}  // namespace lumora::ide
