#pragma once
// Character classes, cutting a line into tokens and the colour class of a
// token. Keyword colouring needs the keyword database; without one, tokens
// get their colour from their first character only.

#include <cstdint>
#include <string_view>
#include <vector>

#include "ide/colour_class.h"
#include "ide/editor/text_line.h"

namespace lumora::editor {

class KeywordDatabase;

// Colour classes are the IDE's own, shared with the settings and the output window.
using enum ide::ColourClass;
using ide::ColourClass;
using ide::kColourClassCount;
using ide::kColourClassNames;

struct CharClass {
    int cls = 0;     // 0-14, see classify_char
    int length = 0;  // 1 or 2 bytes (0 at the end of the text)
};

// Class of the character at `pos`; a valid lead/trail pair is one character.
CharClass classify_char(std::string_view text, size_t pos);

// Colour class of a token's text: its first character decides, and keywords of
// the enabled sets 0 and 1 win over letters. `keywords` may be null.
int token_colour(std::string_view token, const KeywordDatabase* keywords);

// Cuts `line` into tokens that cover it without gaps (replacing `out`).
void tokenize(std::string_view line, const KeywordDatabase* keywords, std::vector<TokenSpan>& out);

}  // namespace lumora::editor
