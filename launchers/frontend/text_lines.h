#pragma once
// Reading the message files the launchers' tools leave behind.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::launchers {

// Bytes of a tool's message as UTF-8: kept when they already are UTF-8 (the
// host's tools), else read as Shift-JIS (tools written for the console's kit).
std::string message_text_to_utf8(std::string_view bytes);

// The lines of a text, as a line-by-line read gives them: CR LF, LF or a lone
// CR ends a line, and a final line without an ending still counts.
std::vector<std::string> split_lines(std::string_view text);

// The file's lines in UTF-8; nullopt when it cannot be read.
std::optional<std::vector<std::string>> read_message_lines(const std::string& path);

}  // namespace lumora::launchers
