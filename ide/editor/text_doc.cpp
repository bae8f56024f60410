#include "ide/editor/text_doc.h"

#include <algorithm>
#include <new>

#include "common/cp932.h"
#include "common/sjis.h"
#include "ide/editor/columns.h"
#include "ide/editor/keyword_db.h"
#include "ide/editor/text_file_reader.h"
#include "ide/editor/tokenizer.h"

namespace lumora::editor {

namespace {
inline bool pair_at(std::string_view s, size_t i) {
    return i + 1 < s.size() && sjis::is_lead(static_cast<uint8_t>(s[i])) &&
           sjis::is_trail(static_cast<uint8_t>(s[i + 1]));
}
}  // namespace

const std::vector<TokenSpan>& TextLine::tokens() const {
    if (!tokens_ready_) {
        // Cut through one reused list and keep an exact-size copy.
        static thread_local std::vector<TokenSpan> scratch;
        tokenize(text, doc_->keywords(), scratch);
        tokens_.assign(scratch.begin(), scratch.end());
        tokens_ready_ = true;
    }
    return tokens_;
}

const std::vector<TokenSpan>& TextLine::tokens(std::vector<TokenSpan>& scratch) const {
    if (tokens_ready_) return tokens_;
    tokenize(text, doc_->keywords(), scratch);
    return scratch;
}

CTextDoc::CTextDoc(const KeywordDatabase* keywords, int tab_length)
    : tab_length_(tab_length > 0 ? tab_length : 4), keywords_(keywords) {}

CTextDoc::~CTextDoc() = default;

const TextLine* CTextDoc::line(int index) const {
    if (index < 0 || index >= line_count()) return nullptr;
    return lines_[static_cast<size_t>(index)].get();
}

std::string_view CTextDoc::line_text(int index) const {
    const TextLine* l = line(index);
    return l ? std::string_view(l->text) : std::string_view{};
}

std::string CTextDoc::joined_text(std::string_view separator) const {
    std::string out;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (i) out += separator;
        out += lines_[i]->text;
    }
    return out;
}

void CTextDoc::set_line_ending_mode(int mode, const void* sender) {
    if (mode < 0 || mode > 2 || mode == line_ending_mode_) return;
    line_ending_mode_ = mode;
    modified_ = true;
    notify(sender, kHintFullRedraw);
}

void CTextDoc::set_tab_length(int tab_length) {
    if (tab_length <= 0 || tab_length == tab_length_) return;
    tab_length_ = tab_length;
    notify(nullptr, kHintRetokenized);
}

void CTextDoc::set_keywords(const KeywordDatabase* keywords) {
    keywords_ = keywords;
    retokenize_all();
}

void CTextDoc::retokenize_all() {
    // Colours come from the keywords: kept tokens are cut again when next used.
    for (auto& l : lines_)
        if (l->tokens_kept()) l->text_changed();
    c_entry_.clear();
    cache_dirty_ = false;  // "#include" colouring decides where strings start
    notify(nullptr, kHintRetokenized);
}

void CTextDoc::add_observer(TextDocObserver* observer) {
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void CTextDoc::remove_observer(TextDocObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void CTextDoc::notify(const void* sender, int hint, const CTextInvalidateRange* range) {
    // Copy: an observer may detach itself while being told.
    std::vector<TextDocObserver*> copy = observers_;
    for (TextDocObserver* o : copy) o->on_document_update(sender, hint, range);
}

void CTextDoc::clear_lines() {
    lines_.clear();
    block_.reset();
}

void CTextDoc::load(const TextFileReader& reader) {
    clear_lines();
    text_type_ = text_type_for_kind(reader.kind);
    path_ = reader.path;
    // The lines are made in one block (and the list of them sized once): a
    // big file otherwise pays a heap allocation and page faults per line.
    // Lines beyond the count (mixed endings) are made on their own.
    const std::string_view contents = reader.contents;
    size_t breaks = static_cast<size_t>(std::count(contents.begin(), contents.end(), '\n'));
    if (breaks == 0) breaks = static_cast<size_t>(std::count(contents.begin(), contents.end(), '\r'));
    const size_t expected = contents.empty() ? 0 : breaks + 1;
    lines_.reserve(expected);
    if (expected > 1) block_ = std::make_unique<LineBlock>(expected);
    // Tokens are cut when a line is first drawn or searched, not here.
    LineCounts counts = cut_lines(contents, reader.encoding, [&](std::string_view l) {
        const size_t i = lines_.size();
        if (block_ && i < block_->capacity()) {
            lines_.emplace_back(new (block_->slot(i)) TextLine(*this, std::string(l)));
            lines_.back()->in_block_ = true;
        } else {
            lines_.push_back(new_line(std::string(l)));
        }
    });
    line_ending_mode_ = counts.ending_mode();
    undo_.clear();
    undo_position_ = saved_position_ = 0;
    modified_ = false;
    c_entry_.clear();
    cache_dirty_ = false;
    notify(nullptr, kHintEdit);
}

void CTextDoc::set_lines(const std::vector<std::string>& lines) {
    clear_lines();
    for (const std::string& s : lines) insert_line(line_count(), s);
    undo_.clear();
    undo_position_ = saved_position_ = 0;
    modified_ = false;
    c_entry_.clear();
    cache_dirty_ = false;
}

// --- line primitives: every text change goes through these so tokens and the
// drawing cache stay right ---

void CTextDoc::cache_mark(int lo, int hi) {
    if (cache_dirty_) {
        lo = std::min(lo, cache_lo_);
        hi = std::max(hi, cache_hi_);
    }
    cache_lo_ = std::max(lo, 0);
    cache_hi_ = hi;
    // Nothing cached after `lo`: nothing to doubt.
    cache_dirty_ = cache_lo_ + 1 < static_cast<int>(c_entry_.size());
}

void CTextDoc::cache_lines_inserted(int index, int count) {
    if (count <= 0) return;
    if (cache_dirty_) {
        if (cache_lo_ > index) cache_lo_ += count;
        if (cache_hi_ > index) cache_hi_ += count;
    }
    // The new lines' entries are placeholders; the old lines keep theirs, shifted.
    if (index < static_cast<int>(c_entry_.size()))
        c_entry_.insert(c_entry_.begin() + index + 1, static_cast<size_t>(count),
                        c_entry_[static_cast<size_t>(index)]);
    cache_mark(index, index + count);
}

void CTextDoc::cache_lines_erased(int first, int count) {
    if (count <= 0) return;
    if (cache_dirty_) {
        if (cache_lo_ > first) cache_lo_ = std::max(first, cache_lo_ - count);
        if (cache_hi_ > first) cache_hi_ = std::max(first + 1, cache_hi_ - count);
    }
    // Line `first` now holds what followed the erased lines; its own entry
    // (after line first-1) is kept, the erased lines' entries go.
    const int size = static_cast<int>(c_entry_.size());
    if (first + 1 < size)
        c_entry_.erase(c_entry_.begin() + first + 1, c_entry_.begin() + std::min(size, first + count + 1));
    cache_mark(first, first + 1);
}

void CTextDoc::set_text(int index, std::string text) {
    TextLine& l = *lines_[static_cast<size_t>(index)];
    l.text = std::move(text);
    l.text_changed();
    cache_mark(index, index + 1);
}

void CTextDoc::insert_line(int index, std::string text) {
    LinePtr l = new_line(std::move(text));
    lines_.insert(lines_.begin() + index, std::move(l));
    cache_lines_inserted(index, 1);
}

void CTextDoc::erase_lines(int first, int count) {
    if (count <= 0) return;
    lines_.erase(lines_.begin() + first, lines_.begin() + first + count);
    cache_lines_erased(first, count);
}

void CTextDoc::push(UndoRecord record) {
    // A saved state inside a discarded redo tail can never come back.
    if (saved_position_ > undo_position_) saved_position_ = -1;
    undo_.resize(static_cast<size_t>(undo_position_));
    undo_.push_back(std::move(record));
    ++undo_position_;
}

void CTextDoc::after_edit(const void* sender) {
    modified_ = true;
    notify(sender, kHintEdit);
}

namespace {
// Recorded texts hold "\r\n" for every line break, so that removing them by
// length (each break counting two bytes) takes exactly what was inserted.
std::string with_crlf_breaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}
}  // namespace

std::string CTextDoc::raw_insert(std::string_view text, TextPos& pos) {
    if (pos.line < 0) pos.line = 0;
    if (pos.offset < 0) pos.offset = 0;
    if (pos.line >= line_count()) {
        pos.line = line_count();
        insert_line(pos.line, {});
    }
    const std::string& cur = lines_[static_cast<size_t>(pos.line)]->text;
    const int len = static_cast<int>(cur.size());
    std::string pad;
    std::string left;
    std::string right;
    if (pos.offset > len) {
        left = cur;
        if (!(text.size() >= 2 && text[0] == '\r' && text[1] == '\n')) {
            int w = line_width(cur, tab_length_);
            pad = padding(w, w + (pos.offset - len), tab_length_);
        }
    } else {
        left = cur.substr(0, static_cast<size_t>(pos.offset));
        right = cur.substr(static_cast<size_t>(pos.offset));
    }
    left += pad;

    // Split the text into segments at CR LF, lone CR and lone LF.
    std::vector<std::string_view> segments;
    size_t seg_start = 0;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            segments.push_back(text.substr(seg_start, i - seg_start));
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            seg_start = i;
        } else {
            i += pair_at(text, i) ? 2 : 1;
        }
    }
    segments.push_back(text.substr(seg_start));

    int line_index = pos.line;
    if (segments.size() == 1) {
        left.append(segments[0]);
        int end_offset = static_cast<int>(left.size());
        set_text(line_index, left + right);
        pos.offset = end_offset;
        return pad;
    }
    left.append(segments[0]);
    set_text(line_index, std::move(left));
    // Insert the new lines in one go so a paste of many lines does not shift
    // the line array once per line.
    std::vector<LinePtr> fresh;
    fresh.reserve(segments.size() - 1);
    for (size_t s = 1; s < segments.size(); ++s) {
        LinePtr l = new_line(std::string(segments[s]));
        if (s + 1 == segments.size()) {
            pos.offset = static_cast<int>(l->text.size());
            l->text += right;
        }
        fresh.push_back(std::move(l));
    }
    lines_.insert(lines_.begin() + line_index + 1, std::make_move_iterator(fresh.begin()),
                  std::make_move_iterator(fresh.end()));
    cache_lines_inserted(line_index + 1, static_cast<int>(fresh.size()));
    pos.line = line_index + static_cast<int>(segments.size()) - 1;
    return pad;
}

void CTextDoc::raw_remove(TextPos pos, size_t count) {
    if (pos.line < 0 || pos.line >= line_count()) return;
    std::string text = lines_[static_cast<size_t>(pos.line)]->text;
    size_t o = std::min(static_cast<size_t>(std::max(pos.offset, 0)), text.size());
    std::string tail;
    size_t removed_lines = 0;
    size_t next = static_cast<size_t>(pos.line) + 1;
    // Walk forward over the removed bytes, joining lines where breaks go.
    size_t avail = text.size() - o;
    if (count <= avail) {
        tail = text.substr(o + count);
    } else {
        count -= avail;
        for (;;) {
            if (next >= lines_.size()) {
                tail.clear();
                break;
            }
            count = count >= 2 ? count - 2 : 0;  // the line break
            const std::string& nt = lines_[next]->text;
            ++removed_lines;
            ++next;
            if (count <= nt.size()) {
                tail = nt.substr(count);
                break;
            }
            count -= nt.size();
        }
    }
    text.resize(o);
    text += tail;
    set_text(pos.line, std::move(text));
    erase_lines(pos.line + 1, static_cast<int>(removed_lines));
}

void CTextDoc::insert(const void* sender, std::string_view text, TextPos& pos, bool record) {
    if (pos.line > line_count()) pos.line = line_count();
    if (pos.line < 0) pos.line = 0;
    if (pos.offset < 0) pos.offset = 0;
    int old_len = static_cast<int>(line_text(pos.line).size());
    TextPos at = pos;
    std::string pad = raw_insert(text, pos);
    if (record) {
        UndoRecord r;
        r.kind = kUndoInsert;
        r.offset = std::min(at.offset, old_len);
        r.line = at.line;
        r.text = pad;
        r.text +=
            text.find_first_of("\r\n") == std::string_view::npos ? std::string(text) : with_crlf_breaks(text);
        push(std::move(r));
    }
    after_edit(sender);
}

bool CTextDoc::delete_range(const void* sender, TextPos start, TextPos end) {
    if (end < start) std::swap(start, end);
    if (start.line < 0 || start.line >= line_count()) return false;
    if (start.offset < 0) start.offset = 0;
    if (end.line >= line_count()) {
        end.line = line_count() - 1;
        end.offset = static_cast<int>(line_text(end.line).size());
    }
    const std::string& first = lines_[static_cast<size_t>(start.line)]->text;
    const int len1 = static_cast<int>(first.size());
    if (start.line == end.line) {
        if (start.offset >= len1) return true;
        int stop = std::min(end.offset, len1);
        if (stop <= start.offset) return true;
        UndoRecord r{
            kUndoDelete,
            start.offset,
            start.line,
            first.substr(static_cast<size_t>(start.offset), static_cast<size_t>(stop - start.offset)),
            {}};
        std::string t = first;
        t.erase(static_cast<size_t>(start.offset), static_cast<size_t>(stop - start.offset));
        set_text(start.line, std::move(t));
        push(std::move(r));
        after_edit(sender);
        return true;
    }
    if (start.offset > len1) {
        // The gap up to the start becomes real blanks first, recorded on its own.
        TextPos p{len1, start.line};
        std::string pad = padding(line_width(first, tab_length_),
                                  line_width(first, tab_length_) + (start.offset - len1), tab_length_);
        raw_insert(pad, p);
        push(UndoRecord{kUndoInsert, len1, start.line, pad, {}});
        start.offset = p.offset;
    }
    const std::string& head = lines_[static_cast<size_t>(start.line)]->text;
    std::string deleted = head.substr(static_cast<size_t>(start.offset));
    for (int l = start.line + 1; l <= end.line; ++l) {
        deleted += "\r\n";
        std::string_view t = line_text(l);
        if (l < end.line)
            deleted.append(t);
        else
            deleted.append(t.substr(0, std::min(t.size(), static_cast<size_t>(std::max(end.offset, 0)))));
    }
    std::string_view last = line_text(end.line);
    std::string joined = head.substr(0, static_cast<size_t>(start.offset));
    if (static_cast<size_t>(std::max(end.offset, 0)) < last.size())
        joined.append(last.substr(static_cast<size_t>(end.offset)));
    set_text(start.line, std::move(joined));
    erase_lines(start.line + 1, end.line - start.line);
    push(UndoRecord{kUndoDelete, start.offset, start.line, std::move(deleted), {}});
    after_edit(sender);
    return true;
}

void CTextDoc::delete_to_word_end(const void* sender, TextPos pos) {
    const TextLine* l = line(pos.line);
    if (!l || pos.offset < 0 || pos.offset >= static_cast<int>(l->text.size())) return;
    int stop = static_cast<int>(l->text.size());
    for (const TokenSpan& t : l->tokens())
        if (pos.offset >= t.start && pos.offset < t.start + t.length) {
            stop = t.start + t.length;
            break;
        }
    delete_range(sender, pos, TextPos{stop, pos.line});
}

void CTextDoc::indent_lines(const void* sender, int first, int end, bool unindent) {
    first = std::max(first, 0);
    end = std::min(end, line_count());
    if (first >= end) return;
    if (unindent) {
        for (int i = first; i < end; ++i) {
            std::string_view t = line_text(i);
            if (!t.empty() && t[0] != '\t' && t[0] != ' ') return;
        }
    }
    std::string old_text, new_text;
    // The last line of the document has no line break after it; recording one
    // would make undo add an empty line at the end.
    const bool to_end = end == line_count();
    for (int i = first; i < end; ++i) {
        std::string t(line_text(i));
        std::string n = t;
        if (!t.empty()) {
            if (!unindent) {
                n.insert(n.begin(), '\t');
            } else if (t[0] == '\t') {
                n.erase(0, 1);
            } else {
                size_t k = 0;
                while (k < 4 && k < n.size() && n[k] == ' ') ++k;
                n.erase(0, k);
            }
        }
        old_text += t;
        new_text += n;
        if (!(to_end && i + 1 == end)) {
            old_text += "\r\n";
            new_text += "\r\n";
        }
        if (n != t) set_text(i, std::move(n));
    }
    push(UndoRecord{kUndoReplace, 0, first, std::move(old_text), std::move(new_text)});
    after_edit(sender);
}

void CTextDoc::convert_case(const void* sender, TextPos start, TextPos end, bool upper) {
    if (end < start) std::swap(start, end);
    if (start.line < 0 || start.line >= line_count()) return;
    if (end.line >= line_count()) {
        end.line = line_count() - 1;
        end.offset = static_cast<int>(line_text(end.line).size());
    }
    std::string old_text, new_text;
    for (int i = start.line; i <= end.line; ++i) {
        std::string t(line_text(i));
        size_t a = i == start.line ? std::min(static_cast<size_t>(std::max(start.offset, 0)), t.size()) : 0;
        size_t b =
            i == end.line ? std::min(static_cast<size_t>(std::max(end.offset, 0)), t.size()) : t.size();
        if (b < a) b = a;
        std::string part = t.substr(a, b - a);
        std::string conv = upper ? cp932::to_upper(part) : cp932::to_lower(part);
        if (i > start.line) {
            old_text += "\r\n";
            new_text += "\r\n";
        }
        old_text += part;
        new_text += conv;
        if (conv != part) {
            t.replace(a, b - a, conv);
            set_text(i, std::move(t));
        }
    }
    int offset = std::min(std::max(start.offset, 0), static_cast<int>(line_text(start.line).size()));
    push(UndoRecord{kUndoReplace, offset, start.line, std::move(old_text), std::move(new_text)});
    after_edit(sender);
}

bool CTextDoc::apply(const UndoRecord& r, bool forward, CTextInvalidateRange& range) {
    const int before = line_count();
    TextPos at{r.offset, r.line};
    TextPos caret = at;
    auto remove = [&](const std::string& t) { raw_remove(at, t.size()); };
    auto put = [&](const std::string& t) {
        TextPos p = at;
        raw_insert(t, p);
        caret = p;
    };
    switch (r.kind) {
        case kUndoInsert:
            if (forward)
                put(r.text);
            else
                remove(r.text);
            break;
        case kUndoDelete:
            if (forward)
                remove(r.text);
            else
                put(r.text);
            break;
        case kUndoReplace:
            if (forward) {
                remove(r.text);
                put(r.new_text);
            } else {
                remove(r.new_text);
                put(r.text);
            }
            break;
        default:
            return false;
    }
    range = {};
    range.start_line = r.line;
    range.end_line = line_count() != before ? line_count() : r.line + 1;
    range.caret_offset = caret.offset;
    range.caret_line = caret.line;
    return true;
}

bool CTextDoc::undo(const void* sender, CTextInvalidateRange* out) {
    if (!can_undo()) return false;
    CTextInvalidateRange range;
    --undo_position_;
    apply(undo_[static_cast<size_t>(undo_position_)], false, range);
    modified_ = undo_position_ != saved_position_;
    notify(sender, kHintEdit, &range);
    if (out) *out = range;
    return true;
}

bool CTextDoc::redo(const void* sender, CTextInvalidateRange* out) {
    if (!can_redo()) return false;
    CTextInvalidateRange range;
    apply(undo_[static_cast<size_t>(undo_position_)], true, range);
    ++undo_position_;
    modified_ = undo_position_ != saved_position_;
    notify(sender, kHintEdit, &range);
    if (out) *out = range;
    return true;
}

bool CTextDoc::toggle_bookmark(int index) {
    if (index < 0 || index >= line_count()) return false;
    TextLine& l = *lines_[static_cast<size_t>(index)];
    l.bookmark = !l.bookmark;
    return l.bookmark;
}

void CTextDoc::set_bookmark(int index, bool on) {
    if (index >= 0 && index < line_count()) lines_[static_cast<size_t>(index)]->bookmark = on;
}

std::string CTextDoc::serialized() const {
    static const char* const kSeparators[] = {"\r\n", "\n", "\r"};
    const std::string_view sep =
        kSeparators[line_ending_mode_ >= 0 && line_ending_mode_ <= 2 ? line_ending_mode_ : 0];
    size_t total = 0;
    for (const auto& l : lines_) total += l->text.size() + sep.size();
    std::string out;
    out.reserve(total);
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (i) out += sep;
        out += lines_[i]->text;
    }
    return out;
}

std::string CTextDoc::title() const {
    size_t slash = path_.find_last_of("/\\");
    std::string folder = slash == std::string::npos ? std::string() : path_.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    std::string t;
    // The separator follows the path's own style ("\\" for Windows paths).
    if (folder.size() > 16)
        t = folder.substr(0, 3) + "..." + folder.back() + name;
    else
        t = path_;
    if (modified_) t += " *";
    return t;
}

}  // namespace lumora::editor

#include "ide/editor/draw_state.h"

namespace lumora::editor {

int CTextDoc::c_entry_state(int index) {
    if (index <= 0 || lines_.empty()) return kStateNormal;
    if (index > line_count()) index = line_count();
    if (c_entry_.size() > lines_.size() + 1) {  // cannot happen; start afresh rather than read past the lines
        c_entry_.clear();
        cache_dirty_ = false;
    }
    if (c_entry_.empty()) c_entry_.push_back(kStateNormal);
    if (cache_dirty_) {
        const int size = static_cast<int>(c_entry_.size());
        int j = cache_lo_ + 1;
        for (; j < size; ++j) {
            const uint8_t fresh = static_cast<uint8_t>(line_exit_state(
                *lines_[static_cast<size_t>(j - 1)], kTypeC, c_entry_[static_cast<size_t>(j - 1)]));
            if (j > cache_hi_ && fresh == c_entry_[static_cast<size_t>(j)]) break;  // in step again
            c_entry_[static_cast<size_t>(j)] = fresh;
            cache_lo_ = j;
            if (j >= index && j >= cache_hi_) {
                ++j;
                if (j < size) return c_entry_[static_cast<size_t>(index)];  // the rest waits
                break;
            }
        }
        cache_dirty_ = false;
    }
    while (static_cast<int>(c_entry_.size()) <= index) {
        size_t i = c_entry_.size() - 1;
        c_entry_.push_back(static_cast<uint8_t>(line_exit_state(*lines_[i], kTypeC, c_entry_[i])));
    }
    return c_entry_[static_cast<size_t>(index)];
}

}  // namespace lumora::editor
