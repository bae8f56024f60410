#pragma once
// Command line of VantaGatewayServer.

#include <optional>
#include <string>
#include <vector>

namespace lumora::gateway {

struct CommandLine {
    bool headless = false;
    bool help = false;
    bool version = false;
    std::string port = "COM1:";
    int speed = 9600;
    std::string log_path;
};

struct ParseResult {
    std::optional<CommandLine> options;  // empty on error
    std::string error;                   // why, for the user
};

ParseResult parse_command_line(const std::vector<std::string>& args);

std::string usage_text(const std::string& program);

}  // namespace lumora::gateway
