#pragma once
// The small text file that tells gridex where the map, attribute and parts
// areas lie in the picture.

#include <optional>
#include <string_view>

namespace lumora::gridex {

struct Area {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct Settings {
    Area map;        // line 1: x, y, width, height
    int attr_x = 0;  // line 2: the attribute area has the map area's size
    int attr_y = 0;
    Area parts;      // line 3: x, y, width, height
    int base = 0;    // line 4: tile number of the first part
};

// Parses the eleven values (4 + 2 + 4 + 1). A value runs from the first character that is not a
// blank, tab or comma up to the next blank, tab, comma or end of text; a line
// end does not end it, so "64\r\n128" reads as 64. After the last value of
// lines 1-3 the rest of the line and its line end are skipped. Returns nothing
// when the text ends before the last value.
std::optional<Settings> parse_settings(std::string_view text);

// atoi() as the C library has it, but saturating instead of overflowing:
// leading white space, an optional sign, then digits up to the first other
// character; 0 when there are none.
int parse_int_prefix(std::string_view token);

}  // namespace lumora::gridex
