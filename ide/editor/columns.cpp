#include "ide/editor/columns.h"

#include <algorithm>

#include "common/sjis.h"

namespace lumora::editor {

namespace {
inline bool pair_at(std::string_view s, size_t i) {
    return i + 1 < s.size() && sjis::is_lead(static_cast<uint8_t>(s[i])) &&
           sjis::is_trail(static_cast<uint8_t>(s[i + 1]));
}
inline int safe_tab(int t) {
    return t > 0 ? t : 4;
}
}  // namespace

int offset_to_column(std::string_view line, int offset, int tab_length) {
    if (offset <= 0) return 0;
    const int t = safe_tab(tab_length);
    const size_t n = line.size();
    const size_t target = static_cast<size_t>(offset);
    int col = 0;
    size_t i = 0;
    while (i < n && i < target) {
        uint8_t b = static_cast<uint8_t>(line[i]);
        if (b == '\t') {
            col = (col / t + 1) * t;
            ++i;
        } else if (b >= 0x81 && pair_at(line, i)) {
            col += 2;
            i += 2;
        } else {
            ++col;
            ++i;
        }
    }
    if (target > n) col += static_cast<int>(target - n);
    return col;
}

int column_to_offset(std::string_view line, int column, int tab_length) {
    if (column <= 0) return 0;
    const int t = safe_tab(tab_length);
    const size_t n = line.size();
    int col = 0;
    size_t i = 0;
    while (i < n) {
        uint8_t b = static_cast<uint8_t>(line[i]);
        int w;
        size_t len = 1;
        if (b == '\t') {
            w = (col / t + 1) * t - col;
        } else if (b >= 0x81 && pair_at(line, i)) {
            w = 2;
            len = 2;
        } else {
            w = 1;
        }
        if (column < col + w) return static_cast<int>(i);
        col += w;
        i += len;
    }
    return static_cast<int>(n) + (column - col);
}

int line_width(std::string_view line, int tab_length) {
    return offset_to_column(line, static_cast<int>(line.size()), tab_length);
}

std::string padding(int from, int to, int tab_length) {
    const int t = safe_tab(tab_length);
    if (from < 0) from = 0;
    if (to <= from) return {};
    int tabs = to / t - from / t;
    int spaces = to - std::max(from, t * (to / t));
    std::string out(static_cast<size_t>(tabs), '\t');
    out.append(static_cast<size_t>(spaces), ' ');
    return out;
}

}  // namespace lumora::editor
