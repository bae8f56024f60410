#pragma once
// The C-like text the editor benchmarks work on: a keyword database of the
// usual C words and two library functions, and lines with Shift-JIS
// comments and strings, tabs and numbers, repeating every eight lines.

#include <cstddef>
#include <string>
#include <vector>

#include "ide/editor/keyword_db.h"

namespace lumora::bench {

inline const editor::KeywordDatabase& source_keywords() {
    static const editor::KeywordDatabase db = editor::KeywordDatabase::parse(
        "C/C++ ;0\n{\n#include\nint\nchar\nvoid\nreturn\nif\nelse\nfor\nwhile\nstatic\nconst\nunsigned\n}\n"
        "Lumora ;1\n{\nlm_print,lumora.h,10\nlm_wait,lumora.h,20\n}\n");
    return db;
}

inline std::string source_line(std::size_t i) {
    switch (i % 8) {
        case 0:
            return "/* \x83\x81\x83\x43\x83\x93\x8F\x88\x97\x9D (main loop) */";
        case 1:
            return "static int counter_" + std::to_string(i) + " = 0x1F;";
        case 2:
            return "\tfor (i = 0; i < 100; i++) {";
        case 3:
            return "\t\tlm_print(\"\x95\xB6\x8E\x9A\x97\xF1 value %d\\n\", i); // "
                   "\x83\x52\x83\x81\x83\x93\x83\x67";
        case 4:
            return "\t\tif (buf[i] != 'x') return -1;";
        case 5:
            return "\t}";
        case 6:
            return "#include <stdio.h>";
        default:
            return "unsigned char table_" + std::to_string(i) + "[16];";
    }
}

// Lines ending in CR LF until the text holds at least `bytes` bytes.
inline std::string source_text(std::size_t bytes) {
    std::string s;
    s.reserve(bytes + 128);
    for (std::size_t i = 0; s.size() < bytes; ++i) {
        s += source_line(i);
        s += "\r\n";
    }
    return s;
}

inline std::vector<std::string> source_lines(std::size_t count) {
    std::vector<std::string> v;
    v.reserve(count);
    for (std::size_t i = 0; i < count; ++i) v.push_back(source_line(i));
    return v;
}

}  // namespace lumora::bench
