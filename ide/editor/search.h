#pragma once
// Finding text in a document: the search shared by find, F3/Shift+F3,
// replace, mark all and the open-at-text of the open operation; bookmarks,
// bracket matching and replace all.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ide/editor/edit_controller.h"
#include "ide/editor/text_doc.h"

namespace lumora::editor {

// One per application; dialogs work on a copy and write it back.
struct SearchSettings {
    std::string find_text;
    std::string replace_text;
    bool whole_word = false;
    bool match_case = false;
    std::vector<std::string> find_history;     // most recent first, unique without regard to case
    std::vector<std::string> replace_history;  // most recent first, unique exactly

    // Takes over a dialog's texts: a non-empty text is stored and moved to
    // the top of its history; an empty one leaves the stored text alone.
    void take_over(const std::string& find, const std::string& replace);
    void take_over_find(const std::string& find) { take_over(find, {}); }
};

struct SearchMatch {
    TextPos start;
    TextPos end;
};

// Upper case as cp932::to_upper gives it, in place, but quick on text that
// is mostly ASCII and kanji (only the double-byte rows with letters are
// handed to the full mapping).
void fold_upper(std::string& text);

// Matches the find text against lines: case folding (CP932 upper case unless
// match case), double-byte aware, whole word by tokens.
class LineMatcher {
  public:
    explicit LineMatcher(const SearchSettings& settings);
    bool empty() const { return pattern_.empty(); }
    size_t length() const { return pattern_.size(); }
    // The line as compared (upper-cased unless match case); valid until the next call.
    std::string_view prepare(std::string_view line);
    // First match starting at or after `from` in a prepared line, never on a
    // trail byte; npos when none.
    size_t find(std::string_view prepared, size_t from) const;
    // Whether the token [start, start+len) of a prepared line equals the text.
    bool token_equals(std::string_view prepared, int start, int len) const;
    bool whole_word() const { return whole_word_; }
    // Plain substring test on a prepared line (whole word looks at tokens after it).
    bool contains(std::string_view prepared) const {
        return prepared.find(pattern_) != std::string_view::npos;
    }
    // Quick test on an unprepared line: false when no match can start in it
    // (neither case of the text's first byte occurs).
    bool may_match(std::string_view line) const;
    // True when the line holds at least one match (`tokens` used for whole word).
    bool line_matches(std::string_view line, const std::vector<TokenSpan>& tokens);

  private:
    std::string pattern_;
    char first_ = 0;        // first byte of the text as compared
    char first_other_ = 0;  // the same letter in the other case (or first_)
    bool match_case_;
    bool whole_word_;
    std::string buffer_;
};

// The search. `start` is a display position; `limit` (display positions)
// confines it to a range; `pump` is called now and then between lines so the
// user interface stays alive.
std::optional<SearchMatch> search_document(const CTextDoc& doc, const SearchSettings& settings,
                                           CaretPos start, bool forward,
                                           const std::pair<CaretPos, CaretPos>* limit = nullptr,
                                           const std::function<void()>& pump = {});

// Finds from the caret and selects the match (forward: caret at its end,
// backward: caret at its start). False, and nothing changed, without a match.
bool find_and_show(EditController& view, const SearchSettings& settings, bool forward);

// Sets the bookmark of every line holding a match; returns how many lines matched.
int mark_all(CTextDoc& doc, const SearchSettings& settings);

// Nearest bookmarked line below (forward) or above the given line; no wrap.
std::optional<int> next_bookmark(const CTextDoc& doc, int line, bool forward);

// Bracket matching from the caret (Ctrl+] forward, Ctrl+[ backward).
std::optional<TextPos> match_bracket(const CTextDoc& doc, TextPos caret, bool forward);

// Jump dialog: line number (1-based) clamped to the document.
int clamp_jump_line(const CTextDoc& doc, int number);

// State of the replace dialog between button presses.
class ReplaceSession {
  public:
    ReplaceSession(EditController& view, SearchSettings& settings) : view_(view), settings_(settings) {}
    // "次を検索(&F)": forward from the selection's end after a match, else its start.
    bool find_next();
    // "置換(&R)": replace the selected match, then find the next.
    bool replace();
    // "全て置換(&A)"; returns the number of replacements.
    int replace_all(bool selection_only);
    // Choosing a scope forgets the current match.
    void forget_match() { match_selected_ = false; }
    bool match_selected() const { return match_selected_; }

  private:
    EditController& view_;
    SearchSettings& settings_;
    bool match_selected_ = false;
};

}  // namespace lumora::editor
