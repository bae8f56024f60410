#include "ide/editor/search.h"

#include <algorithm>
#include <cstring>

#include "common/cp932.h"
#include "common/sjis.h"
#include "ide/editor/columns.h"

namespace lumora::editor {

namespace {

inline size_t char_len(std::string_view s, size_t i) {
    return i + 1 < s.size() && sjis::is_lead(static_cast<uint8_t>(s[i])) &&
                   sjis::is_trail(static_cast<uint8_t>(s[i + 1]))
               ? 2
               : 1;
}

void move_to_top(std::vector<std::string>& history, const std::string& text, bool ignore_case) {
    const std::string key = ignore_case ? cp932::to_upper(text) : text;
    history.erase(
        std::remove_if(history.begin(), history.end(),
                       [&](const std::string& h) { return (ignore_case ? cp932::to_upper(h) : h) == key; }),
        history.end());
    history.insert(history.begin(), text);
}

}  // namespace

namespace {

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHigh = 0x8080808080808080ull;

// Upper-cases 8 ASCII bytes at once (none may have the high bit set).
inline uint64_t upper_ascii_word(uint64_t w) {
    const uint64_t ge_a = w + kOnes * (0x80 - 'a');
    const uint64_t gt_z = w + kOnes * (0x80 - 'z' - 1);
    const uint64_t lower = ge_a & ~gt_z & kHigh;
    return w ^ (lower >> 2);  // clear 0x20 in lower-case letters
}

// Double-byte lower-case letters: full-width Latin, Greek, Cyrillic.
inline bool double_byte_lower(uint8_t lead, uint8_t trail) {
    const unsigned code = (unsigned(lead) << 8) | trail;
    return (code >= 0x8281 && code <= 0x829A) || (code >= 0x83BF && code <= 0x83D6) ||
           (code >= 0x8470 && code <= 0x8491);
}

}  // namespace

void fold_upper(std::string& s) {
    const size_t n = s.size();
    char* d = s.data();
    size_t i = 0;
    while (i < n) {
        if (i + 8 <= n) {
            uint64_t w;
            std::memcpy(&w, d + i, 8);
            if (!(w & kHigh)) {
                w = upper_ascii_word(w);
                std::memcpy(d + i, &w, 8);
                i += 8;
                continue;
            }
        }
        const uint8_t b = static_cast<uint8_t>(d[i]);
        if (b < 0x80) {
            if (b >= 'a' && b <= 'z') d[i] = static_cast<char>(b - 'a' + 'A');
            ++i;
            continue;
        }
        if (i + 1 < n && sjis::is_lead(b) && sjis::is_trail(static_cast<uint8_t>(d[i + 1]))) {
            if (double_byte_lower(b, static_cast<uint8_t>(d[i + 1]))) {
                std::string pair(d + i, 2);
                cp932::to_upper_in_place(pair);
                d[i] = pair[0];
                d[i + 1] = pair[1];
            }
            i += 2;
            continue;
        }
        ++i;
    }
}

void SearchSettings::take_over(const std::string& find, const std::string& replace) {
    if (!find.empty()) {
        find_text = find;
        move_to_top(find_history, find, true);
    }
    if (!replace.empty()) {
        replace_text = replace;
        move_to_top(replace_history, replace, false);
    }
}

LineMatcher::LineMatcher(const SearchSettings& s)
    : pattern_(s.match_case ? s.find_text : cp932::to_upper(s.find_text)),
      match_case_(s.match_case),
      whole_word_(s.whole_word) {
    if (!pattern_.empty()) {
        first_ = first_other_ = pattern_[0];
        // Case mapping changes ASCII letters and the trail bytes of double-byte
        // letters only; a match starts with a lead byte or a byte that keeps
        // its value, except for ASCII letters.
        if (!match_case_ && first_ >= 'A' && first_ <= 'Z')
            first_other_ = static_cast<char>(first_ - 'A' + 'a');
    }
}

bool LineMatcher::may_match(std::string_view line) const {
    if (pattern_.empty() || line.size() < pattern_.size()) return false;
    const char* p = line.data();
    const size_t n = line.size() - pattern_.size() + 1;  // the last possible start
    if (std::memchr(p, first_, n)) return true;
    return first_other_ != first_ && std::memchr(p, first_other_, n);
}

std::string_view LineMatcher::prepare(std::string_view line) {
    if (match_case_) return line;
    buffer_.assign(line);
    fold_upper(buffer_);
    return buffer_;
}

size_t LineMatcher::find(std::string_view p, size_t from) const {
    if (pattern_.empty() || p.size() < pattern_.size()) return std::string_view::npos;
    size_t boundary = 0;
    size_t pos = from;
    for (;;) {
        pos = p.find(pattern_, pos);
        if (pos == std::string_view::npos) return pos;
        while (boundary < pos) boundary += char_len(p, boundary);
        if (boundary == pos) return pos;
        pos = boundary;  // `pos` was the second byte of a character
    }
}

bool LineMatcher::token_equals(std::string_view p, int start, int len) const {
    return static_cast<size_t>(len) == pattern_.size() &&
           p.compare(static_cast<size_t>(start), pattern_.size(), pattern_) == 0;
}

bool LineMatcher::line_matches(std::string_view line, const std::vector<TokenSpan>& tokens) {
    if (!may_match(line)) return false;
    std::string_view p = prepare(line);
    if (!whole_word_) return find(p, 0) != std::string_view::npos;
    if (!contains(p)) return false;
    for (const TokenSpan& t : tokens)
        if (token_equals(p, t.start, t.length)) return true;
    return false;
}

namespace {

enum class Part { kAtOrAfter, kBefore, kWhole };

// The match in one line for the given part, or npos. Tokens are cut (into
// `scratch` unless the line keeps its own) only for whole words in lines that
// hold the text at all.
size_t search_line(LineMatcher& m, const TextLine& l, std::vector<TokenSpan>& scratch, bool forward,
                   Part part, size_t s) {
    const std::string_view line = l.text;
    if (!m.may_match(line)) return std::string_view::npos;
    std::string_view p = m.prepare(line);
    if (m.whole_word()) {
        if (!m.contains(p)) return std::string_view::npos;  // the text must occur at all
        const std::vector<TokenSpan>& tokens = l.tokens(scratch);
        if (forward) {
            for (const TokenSpan& t : tokens) {
                if (part == Part::kAtOrAfter && static_cast<size_t>(t.start) < s) continue;
                if (m.token_equals(p, t.start, t.length)) return static_cast<size_t>(t.start);
            }
        } else {
            for (auto it = tokens.rbegin(); it != tokens.rend(); ++it) {
                if (part == Part::kBefore && static_cast<size_t>(it->start + it->length) > s) continue;
                if (m.token_equals(p, it->start, it->length)) return static_cast<size_t>(it->start);
            }
        }
        return std::string_view::npos;
    }
    if (forward) return m.find(p, part == Part::kAtOrAfter ? s : 0);
    // Backward: the last of the non-overlapping matches counted from the left.
    size_t last = std::string_view::npos;
    for (size_t pos = m.find(p, 0); pos != std::string_view::npos; pos = m.find(p, pos + m.length())) {
        if (part == Part::kBefore && pos >= s) break;
        last = pos;
    }
    return last;
}

}  // namespace

std::optional<SearchMatch> search_document(const CTextDoc& doc, const SearchSettings& settings,
                                           CaretPos start, bool forward,
                                           const std::pair<CaretPos, CaretPos>* limit,
                                           const std::function<void()>& pump) {
    LineMatcher m(settings);
    const int count = doc.line_count();
    if (m.empty() || count == 0) return std::nullopt;
    const int tab = doc.tab_length();
    const int first_line = std::clamp(start.line, 0, count - 1);
    const size_t s =
        static_cast<size_t>(std::max(column_to_offset(doc.line_text(first_line), start.column, tab), 0));
    TextPos lim_a{}, lim_b{};
    if (limit) {
        CaretPos a = std::min(limit->first, limit->second), b = std::max(limit->first, limit->second);
        lim_a = {column_to_offset(doc.line_text(a.line), a.column, tab), a.line};
        lim_b = {column_to_offset(doc.line_text(b.line), b.column, tab), b.line};
    }
    int line = first_line;
    bool first_visit = true;
    std::vector<TokenSpan> scratch;
    for (long visits = 0;; ++visits) {
        const bool second_visit = !first_visit && line == first_line;
        Part part = Part::kWhole;
        if (first_visit) part = forward ? Part::kAtOrAfter : Part::kBefore;
        const TextLine* l = doc.line(line);
        size_t at = search_line(m, *l, scratch, forward, part, s);
        if (at != std::string_view::npos) {
            SearchMatch r{{static_cast<int>(at), line}, {static_cast<int>(at + m.length()), line}};
            if (limit && forward && lim_b < r.end) return std::nullopt;
            if (limit && !forward && r.start < lim_a) return std::nullopt;
            return r;
        }
        if (second_visit) return std::nullopt;
        first_visit = false;
        int next = forward ? line + 1 : line - 1;
        if (next >= count) next = 0;
        if (next < 0) next = count - 1;
        if (limit && (next < lim_a.line || next > lim_b.line)) return std::nullopt;
        line = next;
        if (pump && (visits & 4095) == 4095) pump();
    }
}

bool find_and_show(EditController& view, const SearchSettings& settings, bool forward) {
    auto m = search_document(view.document(), settings, view.caret(), forward);
    if (!m) return false;
    CaretPos a = view.to_caret(m->start), b = view.to_caret(m->end);
    if (forward)
        view.set_selection(a, b);
    else
        view.set_selection(b, a);
    return true;
}

int mark_all(CTextDoc& doc, const SearchSettings& settings) {
    LineMatcher m(settings);
    std::vector<TokenSpan> scratch;
    const std::vector<TokenSpan> no_tokens;
    int lines = 0;
    for (int i = 0; i < doc.line_count(); ++i) {
        const TextLine* l = doc.line(i);
        // Without the text in it, a line matches no whole word either.
        const bool cut = m.whole_word() && m.may_match(l->text) && m.contains(m.prepare(l->text));
        if (m.line_matches(l->text, cut ? l->tokens(scratch) : no_tokens)) {
            doc.set_bookmark(i, true);
            ++lines;
        }
    }
    return lines;
}

std::optional<int> next_bookmark(const CTextDoc& doc, int line, bool forward) {
    if (forward) {
        for (int i = std::max(line + 1, 0); i < doc.line_count(); ++i)
            if (doc.line(i)->bookmark) return i;
    } else {
        for (int i = std::min(line - 1, doc.line_count() - 1); i >= 0; --i)
            if (doc.line(i)->bookmark) return i;
    }
    return std::nullopt;
}

int clamp_jump_line(const CTextDoc& doc, int number) {
    return std::clamp(number, 1, std::max(doc.line_count(), 1));
}

namespace {

// Character starts of a line up to its first "//".
std::vector<size_t> char_starts_before_comment(std::string_view s) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < s.size(); i += char_len(s, i)) {
        if (s[i] == '/' && i + 1 < s.size() && s[i + 1] == '/') break;
        starts.push_back(i);
    }
    return starts;
}

}  // namespace

std::optional<TextPos> match_bracket(const CTextDoc& doc, TextPos caret, bool forward) {
    if (caret.line < 0 || caret.line >= doc.line_count()) return std::nullopt;
    std::string_view s = doc.line_text(caret.line);
    std::vector<size_t> starts = char_starts_before_comment(s);
    const size_t off = static_cast<size_t>(std::max(caret.offset, 0));
    const bool has_char = std::binary_search(starts.begin(), starts.end(), off);
    const char own = has_char && char_len(s, off) == 1 ? s[off] : '\0';
    char target;
    bool counting = true;
    if (forward) {
        target = own == '(' ? ')' : own == '[' ? ']' : own == '{' ? '}' : '\0';
        if (!target) counting = false, target = '}';
    } else {
        target = own == ')' ? '(' : own == ']' ? '[' : own == '}' ? '{' : '\0';
        if (!target) counting = false, target = '{';
    }
    int depth = 0;
    auto check = [&](char c) {
        if (counting && c == own) {
            ++depth;
            return false;
        }
        if (c != target) return false;
        if (depth == 0) return true;
        --depth;
        return false;
    };
    if (forward) {
        for (int l = caret.line; l < doc.line_count(); ++l) {
            std::string_view t = doc.line_text(l);
            const std::vector<size_t> cs = l == caret.line ? starts : char_starts_before_comment(t);
            for (size_t i : cs) {
                if (l == caret.line && (i < off || (has_char && i == off))) continue;
                if (char_len(t, i) == 1 && check(t[i])) return TextPos{static_cast<int>(i), l};
            }
        }
    } else {
        for (int l = caret.line; l >= 0; --l) {
            std::string_view t = doc.line_text(l);
            const std::vector<size_t> cs = l == caret.line ? starts : char_starts_before_comment(t);
            for (auto it = cs.rbegin(); it != cs.rend(); ++it) {
                if (l == caret.line && *it >= off) continue;
                if (char_len(t, *it) == 1 && check(t[*it])) return TextPos{static_cast<int>(*it), l};
            }
        }
    }
    return std::nullopt;
}

bool ReplaceSession::find_next() {
    CaretPos a = std::min(view_.caret(), view_.anchor()), b = std::max(view_.caret(), view_.anchor());
    auto m = search_document(view_.document(), settings_, match_selected_ ? b : a, true);
    if (!m) return false;
    view_.set_selection(view_.to_caret(m->start), view_.to_caret(m->end));
    match_selected_ = true;
    return true;
}

bool ReplaceSession::replace() {
    if (match_selected_ && view_.has_selection()) view_.paste(settings_.replace_text);
    return find_next();
}

int ReplaceSession::replace_all(bool selection_only) {
    CTextDoc& doc = view_.document();
    const CaretPos old_anchor = view_.anchor(), old_caret = view_.caret();
    CaretPos a = std::min(old_caret, old_anchor), b = std::max(old_caret, old_anchor);
    // Positions are kept in bytes and moved along with each replacement, so
    // the range end and the first start keep pointing at the same text.
    TextPos first_start = view_.to_bytes(a);
    TextPos range_a = first_start, range_b = view_.to_bytes(b);
    TextPos pos = first_start;
    bool wrapped = false;
    int replaced = 0;
    const std::string& text = settings_.replace_text;
    size_t budget = 16;
    for (int i = 0; i < doc.line_count(); ++i) budget += doc.line_text(i).size() + 2;
    budget *= 4;
    while (budget-- > 0) {
        std::pair<CaretPos, CaretPos> lim{view_.to_caret(range_a), view_.to_caret(range_b)};
        auto m = search_document(doc, settings_, view_.to_caret(pos), true, selection_only ? &lim : nullptr);
        if (!m) break;
        if (m->start < pos) {
            if (wrapped) break;  // around twice
            wrapped = true;
        }
        if (!(m->start < first_start) && (wrapped || m->start < pos)) break;
        doc.delete_range(&view_, m->start, m->end);
        TextPos p = m->start;
        if (!text.empty()) doc.insert(&view_, text, p);
        auto shift = [&](TextPos& q) {
            if (q < m->end) return;
            if (q.line == m->end.line)
                q = {p.offset + (q.offset - m->end.offset), p.line};
            else
                q.line += p.line - m->end.line;
        };
        shift(first_start);
        shift(range_b);
        pos = p;
        ++replaced;
    }
    view_.set_selection(old_anchor, old_caret);
    match_selected_ = false;
    return replaced;
}

}  // namespace lumora::editor
