#include "tool_runner.h"

namespace lumora::launchers {

namespace {
std::string quoted_if_blank(const std::string& word) {
    if (!word.empty() && word.find_first_of(" \t") == std::string::npos) return word;
    return "\"" + word + "\"";
}
}  // namespace

std::string describe(const ToolRequest& request) {
    std::string line = quoted_if_blank(request.program);
    for (const auto& argument : request.arguments) line += " " + quoted_if_blank(argument);
    return line;
}

}  // namespace lumora::launchers
