#pragma once
// One step of the edit history. Texts that span lines hold "\r\n" for every
// line break, whatever the document's line-ending mode.

#include <string>

namespace lumora::editor {

enum UndoKind : int { kUndoInsert = 0, kUndoDelete = 1, kUndoReplace = 2 };

struct UndoRecord {
    int kind = kUndoInsert;
    int offset = 0;
    int line = 0;
    std::string text;      // inserted, deleted, or (replacement) old text
    std::string new_text;  // replacement only
    bool operator==(const UndoRecord&) const = default;
};

// Redraw band and caret after undo and redo (columns are always 0).
struct CTextInvalidateRange {
    int start_column = 0;
    int start_line = 0;
    int end_column = 0;
    int end_line = 0;
    int caret_offset = 0;
    int caret_line = 0;
};

// Byte position in a document.
struct TextPos {
    int offset = 0;
    int line = 0;
    bool operator==(const TextPos&) const = default;
    auto operator<=>(const TextPos& o) const {
        if (line != o.line) return line <=> o.line;
        return offset <=> o.offset;
    }
};

}  // namespace lumora::editor
