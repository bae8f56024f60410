#pragma once
// The snapget command line.

#include <optional>
#include <string>
#include <vector>

namespace lumora::snapget {

struct Options {
    std::optional<int> port;  // 0 for "-com" without digits
    std::optional<int> baud;  // 9600 or 38400
    bool force = false;
    bool verbose = false;
    std::optional<std::string> output;  // BMP file name
};

struct ParseResult {
    enum class Action { Run, Usage, Fail };
    Action action = Action::Run;
    int exit_status = 0;  // for Usage and Fail
    std::string error;    // text to print for Fail (the usage text is printed for Usage)
    Options options;
};

// `args` are the arguments after the program name.
ParseResult parse_options(const std::vector<std::string>& args);

// The two blocks of the usage text for the program name as invoked.
std::string usage_text(const std::string& program);

}  // namespace lumora::snapget
