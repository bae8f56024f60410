#pragma once
// What the edit view does with keys and commands, without a window: a caret
// and an anchor in display columns on a document, moved and edited by the
// keys and menu commands of the editor. The view only forwards events to it
// and draws what it says.

#include <cstdint>
#include <string>
#include <utility>

#include "ide/editor/text_doc.h"

namespace lumora::editor {

// Display position: column in cells, line index.
struct CaretPos {
    int column = 0;
    int line = 0;
    bool operator==(const CaretPos&) const = default;
    auto operator<=>(const CaretPos& o) const {
        if (line != o.line) return line <=> o.line;
        return column <=> o.column;
    }
};

// The lead byte of a double-byte character typed as two character messages.
// One per program, shared by every view.
struct PendingLeadByte {
    int value = -1;
};

enum class CaretKey { kLeft, kRight, kUp, kDown, kPageUp, kPageDown, kHome, kEnd };

class EditController : public TextDocObserver {
  public:
    static constexpr int kMaxColumn = 511;

    // `pending` is shared by all controllers of the program; null gives this
    // controller a private one (tests).
    explicit EditController(CTextDoc& doc, PendingLeadByte* pending = nullptr);
    ~EditController() override;
    EditController(const EditController&) = delete;
    EditController& operator=(const EditController&) = delete;

    CTextDoc& document() { return doc_; }
    CaretPos caret() const { return caret_; }
    CaretPos anchor() const { return anchor_; }
    bool overwrite() const { return overwrite_; }
    void toggle_overwrite() { overwrite_ = !overwrite_; }
    // Whole lines that fit in the view (Page Up/Down move half of it).
    void set_visible_rows(int rows) { visible_rows_ = rows; }
    int visible_rows() const { return visible_rows_; }

    // Every movement ends here: clamps to 0..511 and the existing lines; the
    // anchor follows unless `extend`.
    void set_caret(CaretPos pos, bool extend = false);
    void set_selection(CaretPos anchor, CaretPos caret);
    void move(CaretKey key, bool ctrl = false, bool shift = false);
    // Line `n` (1-based; values outside the document are clamped), column 0.
    void go_to_line(int n);

    // Mouse: a cell position in the text grid.
    CaretPos snap_point(CaretPos cell) const;
    void mouse_down(CaretPos cell, bool shift);
    void mouse_drag(CaretPos cell);
    void double_click(CaretPos cell);

    bool has_selection() const { return caret_ != anchor_; }
    // Ordered byte positions of the selection (start, end).
    std::pair<TextPos, TextPos> selection_range() const;
    std::string selected_text() const;
    // What Copy puts on the clipboard: the selection, or the caret line with a break.
    std::string copy_text() const;
    // Default text for find and F12.
    std::string word_at_caret() const;

    // Editing keys and commands.
    void type_byte(uint8_t byte);
    void enter();
    void tab(bool shift);
    void backspace();
    void delete_key();
    void ctrl_delete();
    void paste(std::string_view text);
    // Returns the text for the clipboard; does nothing without a selection.
    std::string cut();
    void convert_case(bool upper);
    void undo();
    void redo();

    TextPos caret_bytes() const { return to_bytes(caret_); }
    TextPos to_bytes(CaretPos p) const;
    CaretPos to_caret(TextPos p) const;

    // Status bar panes "%3d行" and "%3d桁" (UTF-8).
    std::string line_status() const;
    std::string column_status() const;

    void on_document_update(const void* sender, int hint, const CTextInvalidateRange* range) override;

  private:
    int tab() const { return doc_.tab_length(); }
    std::string_view text(int line) const { return doc_.line_text(line); }
    void delete_selection();
    void insert_at_caret(std::string_view s);
    CaretPos left_of(CaretPos p) const;

    CTextDoc& doc_;
    PendingLeadByte own_pending_;
    PendingLeadByte* pending_;
    CaretPos caret_;
    CaretPos anchor_;
    bool overwrite_ = false;
    int visible_rows_ = 0;
};

}  // namespace lumora::editor
