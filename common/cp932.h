#pragma once
// Code page 932 conversions and case mapping.

#include <string>
#include <string_view>

namespace lumora::cp932 {

// Shift-JIS (CP932) bytes to UTF-8. Bytes that do not form a CP932 character
// become U+FFFD; `exact` (when given) tells whether that never happened.
std::string to_utf8(std::string_view sjis, bool* exact = nullptr);

// UTF-8 to Shift-JIS (CP932). Characters CP932 cannot hold, and invalid UTF-8
// bytes, become '?'; `exact` tells whether that never happened.
std::string from_utf8(std::string_view utf8, bool* exact = nullptr);

// True when the bytes are well-formed UTF-8.
bool is_valid_utf8(std::string_view text);

// True when the text has a byte of 0x80 or above.
bool has_non_ascii(std::string_view text);

// Case mapping as the system's code page 932 does it: ASCII letters and the
// double-byte Latin, Greek and Cyrillic letters. The byte length never
// changes; double-byte characters are never split.
std::string to_upper(std::string_view sjis);
std::string to_lower(std::string_view sjis);
void to_upper_in_place(std::string& sjis);
void to_lower_in_place(std::string& sjis);

}  // namespace lumora::cp932
