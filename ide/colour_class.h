#pragma once
// The fifteen colour classes of the IDE: the editor colours its tokens with
// them, the output window uses three, and the settings store a text and a
// background colour for each under these names.

#include <array>

namespace lumora::ide {

enum ColourClass : int {
    kColourDefault = 0,
    kColourCpp = 1,
    kColourLumora = 2,
    kColourNumber = 3,
    kColourKanji = 4,
    kColourAlphabet = 5,
    kColourKatakana = 6,
    kColourMark = 7,
    kColourSpace = 8,
    kColourString = 9,
    kColourRem = 10,
    kColourCompileError = 11,
    kColourWarning = 12,
    kColourLinkError = 13,
    kColourSelect = 14,
};

inline constexpr int kColourClassCount = 15;

// Value names of the classes in the settings, in index order.
inline constexpr std::array<const char*, kColourClassCount> kColourClassNames = {
    "Default", "C/C++",  "Lumora", "Number",       "Kanji",   "Alphabet",  "Katakana", "Mark",
    "Space",   "String", "Rem",    "CompileError", "Warning", "LinkError", "Select",
};

}  // namespace lumora::ide
