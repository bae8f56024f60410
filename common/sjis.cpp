#include "common/sjis.h"

namespace lumora::sjis {

size_t char_length(std::string_view text, size_t pos) {
    if (pos >= text.size()) return 0;
    if (is_lead(byte_at(text, pos)) && pos + 1 < text.size() && is_trail(byte_at(text, pos + 1))) return 2;
    return 1;
}

size_t char_start(std::string_view text, size_t pos) {
    if (pos >= text.size()) return text.size();
    size_t i = 0;
    for (;;) {
        size_t len = char_length(text, i);
        if (i + len > pos) return i;
        i += len;
    }
}

bool is_trail_position(std::string_view text, size_t pos) {
    return pos < text.size() && char_start(text, pos) != pos;
}

size_t previous_char(std::string_view text, size_t pos) {
    if (pos == 0) return 0;
    if (pos > text.size()) pos = text.size();
    return char_start(text, pos - 1);
}

size_t next_tab_stop(size_t column, size_t tab_length) {
    if (tab_length == 0) return column + 1;
    return (column / tab_length + 1) * tab_length;
}

size_t column_of(std::string_view line, size_t byte_pos, size_t tab_length) {
    size_t column = 0;
    size_t i = 0;
    while (i < byte_pos && i < line.size()) {
        if (line[i] == '\t') {
            column = next_tab_stop(column, tab_length);
            ++i;
            continue;
        }
        size_t len = char_length(line, i);
        column += len;  // a double-byte character is two cells, anything else one
        i += len;
    }
    return column;
}

size_t display_width(std::string_view line, size_t tab_length) {
    return column_of(line, line.size(), tab_length);
}

size_t byte_at_column(std::string_view line, size_t column, size_t tab_length) {
    size_t col = 0;
    size_t i = 0;
    while (i < line.size()) {
        size_t len = char_length(line, i);
        size_t next = line[i] == '\t' ? next_tab_stop(col, tab_length) : col + len;
        if (column < next) return i;
        col = next;
        i += len;
    }
    return line.size();
}

DoubleByte jis_to_sjis(uint8_t j1, uint8_t j2) {
    uint8_t s1 = static_cast<uint8_t>(((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0));
    uint8_t s2;
    if (j1 & 1) {
        s2 = static_cast<uint8_t>(j2 + (j2 <= 0x5F ? 0x1F : 0x20));
    } else {
        s2 = static_cast<uint8_t>(j2 + 0x7E);
    }
    return {s1, s2};
}

DoubleByte sjis_to_jis(uint8_t s1, uint8_t s2) {
    int row = s1 <= 0x9F ? (s1 - 0x70) * 2 : (s1 - 0xB0) * 2;
    int cell;
    if (s2 >= 0x9F) {
        cell = s2 - 0x7E;
    } else {
        row -= 1;
        cell = s2 - (s2 >= 0x80 ? 0x20 : 0x1F);
    }
    return {static_cast<uint8_t>(row), static_cast<uint8_t>(cell)};
}

}  // namespace lumora::sjis
