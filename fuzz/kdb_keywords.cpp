// The keyword database (Lumo.kdb): parsing, then the look-ups the editor
// makes with tokens taken from the same text.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ide/editor/keyword_db.h"

using lumora::editor::KeywordDatabase;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    KeywordDatabase db = KeywordDatabase::parse(text);

    // Every keyword the file defines, and a few near misses, must look up
    // without trouble with the sets on and off.
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& set : db.sets()) {
            for (const auto& entry : set.entries) {
                const std::string& word = entry.keyword;
                const int colour = db.colour_of(word);
                const auto* found = db.find(word);
                // A keyword of an enabled set is always found, as itself.
                if (!word.empty() && db.enabled(set.number) &&
                    (!found || found->keyword != word || (colour != 1 && colour != 2)))
                    std::abort();
                if (!word.empty()) db.colour_of(std::string_view(word).substr(1));
                lumora::editor::keyword_jump(db, word, "C:\\lumo\\include");
                lumora::editor::keyword_jump(db, word, "/home/u/lumo/include");
            }
        }
        db.set_enabled(pass, false);
    }
    // Tokens cut from the raw text at blanks and line ends.
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ' ' || text[i] == '\n' || text[i] == '\t') {
            db.colour_of(text.substr(start, i - start));
            start = i + 1;
        }
    }
    KeywordDatabase copy = db;  // copies build their own index
    copy.colour_of(text.substr(0, 16));
    return 0;
}
