#pragma once
// Byte offsets and display columns of a line, including virtual space past
// its end (one column per byte there), and the tab/space padding that fills
// a gap between two columns.

#include <string>
#include <string_view>

namespace lumora::editor {

// Display width of the first `offset` bytes; each byte past the end adds one.
int offset_to_column(std::string_view line, int offset, int tab_length);

// Byte offset of the character whose cells hold `column` (snapped to its
// left edge); columns past the end give offsets past the end.
int column_to_offset(std::string_view line, int column, int tab_length);

// Display width of the whole line.
int line_width(std::string_view line, int tab_length);

// Tabs and spaces that extend a line from column `from` to column `to`.
std::string padding(int from, int to, int tab_length);

}  // namespace lumora::editor
