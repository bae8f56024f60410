#pragma once
// The gateway's traffic log: one line per frame received ("R> ") or reply
// sent ("S> "), each byte as two upper-case hex digits and a space, CR LF.
// The file is opened and closed for every line so it can be read, moved or
// deleted while the gateway runs.

#include <cstdint>
#include <span>
#include <string>

namespace lumora::gateway {

std::string format_log_line(char direction, std::span<const uint8_t> bytes);

// Appends one line to the file (created when missing); false when it cannot be written.
bool append_log_line(const std::string& path, char direction, std::span<const uint8_t> bytes);

}  // namespace lumora::gateway
