#pragma once
// The C source text written for a conversion.

#include <cstdint>
#include <string>

#include "converters/pictosrc/pictosrc_convert.h"

namespace lumora::pictosrc {

// A tile line of eight colour numbers as the display wants it in a 32-bit
// little-endian word: bytes p0p1, p2p3, p4p5, p6p7, left pixel high.
uint32_t line_value(const uint8_t p[8]);

// The whole text: palettes, palette mask, size and packed pixels; every line
// ends with a single line feed.
std::string render(const Conversion& c);

}  // namespace lumora::pictosrc
