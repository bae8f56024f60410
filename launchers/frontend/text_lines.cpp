#include "text_lines.h"

#include "common/cp932.h"
#include "common/file_bytes.h"

namespace lumora::launchers {

std::string message_text_to_utf8(std::string_view bytes) {
    if (cp932::is_valid_utf8(bytes)) return std::string(bytes);
    return cp932::to_utf8(bytes);
}

std::vector<std::string> split_lines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

std::optional<std::vector<std::string>> read_message_lines(const std::string& path) {
    auto bytes = read_file_bytes(path);
    if (!bytes) return std::nullopt;
    const std::string_view raw(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    return split_lines(message_text_to_utf8(raw));
}

}  // namespace lumora::launchers
