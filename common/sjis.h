#pragma once
// Shift-JIS (code page 932) character rules used across the kit.
//
// Text is kept as raw bytes in std::string / std::string_view. A lead byte
// (0x81-0x9F, 0xE0-0xFC) followed by a trail byte (0x40-0x7E, 0x80-0xFC) is
// one double-byte character; a lead byte without a valid trail is taken as a
// single byte. 0xA1-0xDF are half-width katakana (one byte, one column).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumora::sjis {

constexpr bool is_lead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool is_trail(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
constexpr bool is_half_kana(uint8_t b) { return b >= 0xA1 && b <= 0xDF; }

inline uint8_t byte_at(std::string_view text, size_t pos) { return static_cast<uint8_t>(text[pos]); }

// Length in bytes of the character that starts at `pos`: 2 for a lead byte
// followed by a trail byte, 1 otherwise, 0 at or past the end.
size_t char_length(std::string_view text, size_t pos);

// True when `pos` is the second byte of a double-byte character, judged by
// walking the text from its start (the only reliable way in Shift-JIS).
bool is_trail_position(std::string_view text, size_t pos);

// Start of the character that contains byte `pos` (walks from the start).
size_t char_start(std::string_view text, size_t pos);

// Start of the character before the one at `pos` (0 when at the start).
size_t previous_char(std::string_view text, size_t pos);

// Display columns. A tab advances to the next multiple of `tab_length`, a
// double-byte character takes two cells, any other byte one.
size_t next_tab_stop(size_t column, size_t tab_length);
size_t column_of(std::string_view line, size_t byte_pos, size_t tab_length);
size_t display_width(std::string_view line, size_t tab_length);

// Byte offset of the character that covers display column `column`: the start
// of the character (or tab) whose cells include it, or the line's length when
// the column lies beyond the end.
size_t byte_at_column(std::string_view line, size_t column, size_t tab_length);

// JIS X 0208 row/cell bytes (0x21-0x7E each) to and from Shift-JIS and EUC-JP.
struct DoubleByte {
    uint8_t first = 0;
    uint8_t second = 0;
};
DoubleByte jis_to_sjis(uint8_t j1, uint8_t j2);
DoubleByte sjis_to_jis(uint8_t s1, uint8_t s2);
inline DoubleByte jis_to_euc(uint8_t j1, uint8_t j2) {
    return {static_cast<uint8_t>(j1 | 0x80), static_cast<uint8_t>(j2 | 0x80)};
}
inline DoubleByte euc_to_jis(uint8_t e1, uint8_t e2) {
    return {static_cast<uint8_t>(e1 & 0x7F), static_cast<uint8_t>(e2 & 0x7F)};
}

}  // namespace lumora::sjis
