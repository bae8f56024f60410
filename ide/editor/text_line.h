#pragma once
// One line of a text document: Shift-JIS bytes without the line break, the
// tokens the tokenizer cut it into, and the bookmark flag.
//
// Tokens are cut when first asked for and kept until the text changes: a big
// file opens without cutting (and storing the tokens of) lines nobody looks
// at. Lines belong to one document and are read on its thread only.

#include <cstdint>
#include <string>
#include <vector>

namespace lumora::editor {

class CTextDoc;

struct TokenSpan {
    int start = 0;   // byte offset in the line
    int length = 0;  // bytes
    int colour = 0;  // colour class 0-8
    bool operator==(const TokenSpan&) const = default;
};

class TextLine;

// Deletes a line made on its own; a line made in a block of lines (see
// line_block.h) is only destroyed, its room going with the block.
struct TextLineDeleter {
    void operator()(TextLine* line) const;
};

class TextLine {
  public:
    // `doc` gives the keyword database the tokens are coloured with.
    explicit TextLine(const CTextDoc& doc, std::string text = {}) : text(std::move(text)), doc_(&doc) {}
    // Lines stay where their document made them (see TextLineDeleter).
    TextLine(const TextLine&) = delete;
    TextLine& operator=(const TextLine&) = delete;

    // Only the owning document changes `text`, and calls text_changed() after.
    std::string text;
    bool bookmark = false;

    // The tokens of `text`, covering it without gaps; cut on first use.
    const std::vector<TokenSpan>& tokens() const;
    // The same tokens for a single pass over many lines (a scan of comment
    // states, a search): the kept ones if cut already, otherwise cut into
    // `scratch` and not kept, so the pass leaves no memory behind.
    const std::vector<TokenSpan>& tokens(std::vector<TokenSpan>& scratch) const;

    // Forgets the kept tokens (the text or the keyword database changed).
    void text_changed() {
        std::vector<TokenSpan>().swap(tokens_);
        tokens_ready_ = false;
    }
    bool tokens_kept() const { return tokens_ready_; }

  private:
    friend class CTextDoc;
    friend struct TextLineDeleter;
    const CTextDoc* doc_;
    mutable std::vector<TokenSpan> tokens_;
    mutable bool tokens_ready_ = false;
    bool in_block_ = false;
};

inline void TextLineDeleter::operator()(TextLine* line) const {
    if (line->in_block_)
        line->~TextLine();
    else
        delete line;
}

}  // namespace lumora::editor
