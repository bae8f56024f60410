#pragma once
// One line of a text document: Shift-JIS bytes without the line break, the
// tokens the tokenizer cut it into, and the bookmark flag.

#include <cstdint>
#include <string>
#include <vector>

namespace lumora::editor {

struct TokenSpan {
    int start = 0;   // byte offset in the line
    int length = 0;  // bytes
    int colour = 0;  // colour class 0-8
    bool operator==(const TokenSpan&) const = default;
};

struct TextLine {
    std::string text;
    std::vector<TokenSpan> tokens;
    bool bookmark = false;
};

}  // namespace lumora::editor
