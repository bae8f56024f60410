#include "frame_log.h"

#include <cstdio>

namespace lumora::gateway {

std::string format_log_line(char direction, std::span<const uint8_t> bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string line;
    line.reserve(3 + bytes.size() * 3 + 2);
    line += direction;
    line += "> ";
    for (uint8_t b : bytes) {
        line += kHex[b >> 4];
        line += kHex[b & 0xF];
        line += ' ';
    }
    line += "\r\n";
    return line;
}

bool append_log_line(const std::string& path, char direction, std::span<const uint8_t> bytes) {
    if (path.empty()) return false;
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return false;
    const std::string line = format_log_line(direction, bytes);
    const bool ok = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace lumora::gateway
