#pragma once
// The open text documents of the application and the "open a file in an
// editor window" operation, minus the window: finding an open document by
// path, recognising and loading a new one, and placing a view's caret at a
// line or at a text.

#include <memory>
#include <string>
#include <vector>

#include "ide/editor/edit_controller.h"
#include "ide/editor/search.h"
#include "ide/editor/text_doc.h"

namespace lumora::editor {

class KeywordDatabase;

struct OpenOutcome {
    CTextDoc* document = nullptr;  // null when nothing was opened
    bool already_open = false;     // an open document was found (the window brings it to the front)
    bool not_text = false;         // recognised as not text: nothing opened, nothing shown
    std::string error;             // the system's text when the file could not be read
};

class DocumentSet {
  public:
    DocumentSet(const KeywordDatabase* keywords, int tab_length)
        : keywords_(keywords), tab_length_(tab_length) {}

    // The open document for `path`, compared without regard to letter case;
    // two existing files that differ only in case are still told apart.
    CTextDoc* find(const std::string& path) const;

    // Finds or loads the document for `path` (the caller then positions a
    // view with `place_caret_after_open`).
    OpenOutcome open(const std::string& path);

    // A new, empty document (File > New).
    CTextDoc& create();
    // Closing the last window of a document deletes it.
    void close(CTextDoc* doc);

    const std::vector<std::unique_ptr<CTextDoc>>& documents() const { return docs_; }
    void set_tab_length(int tab_length);
    // After a keyword set was switched: recolour every document.
    void retokenize_all();

  private:
    const KeywordDatabase* keywords_;
    int tab_length_;
    std::vector<std::unique_ptr<CTextDoc>> docs_;
};

// Going to line `n` (1-based) so it ends up near the middle of the window:
// first to row n + h - 1 (0-based, h = half the visible lines, clamped to
// the last row), then to row n - 1, column 0. `scroll_into_view` runs after
// each move.
void go_to_line_centred(EditController& view, int n, const std::function<void()>& scroll_into_view = {});

// Places the caret after an open: `line` (1-based, or -1 for none) or the
// text (whole word, match case, from line 0). `already_open` selects the rule
// for line 0 (an open document goes to line 1; a new one searches the text).
void place_caret_after_open(EditController& view, int line, const std::string& text, bool already_open,
                            const std::function<void()>& scroll_into_view = {});

// The text a find dialog starts with: the selection, the word at the caret,
// or the stored find text.
std::string initial_find_text(const EditController& view, const SearchSettings& settings);

}  // namespace lumora::editor
