#include "ide/editor/edit_controller.h"

#include <algorithm>
#include <cstdio>

#include "common/sjis.h"
#include "ide/editor/columns.h"

namespace lumora::editor {

namespace {

inline bool pair_at(std::string_view s, size_t i) {
    return i + 1 < s.size() && sjis::is_lead(static_cast<uint8_t>(s[i])) &&
           sjis::is_trail(static_cast<uint8_t>(s[i + 1]));
}

inline size_t char_len(std::string_view s, size_t i) {
    return pair_at(s, i) ? 2 : 1;
}

// Start of the character before byte `o`, walking from the line start so a
// trail byte is never mistaken for a lead.
size_t previous_char_start(std::string_view s, size_t o) {
    size_t i = 0, prev = 0;
    while (i < o && i < s.size()) {
        prev = i;
        i += char_len(s, i);
    }
    return prev;
}

const TokenSpan* token_at(const TextLine* l, int offset) {
    if (!l) return nullptr;
    for (const TokenSpan& t : l->tokens())
        if (offset >= t.start && offset < t.start + t.length) return &t;
    return nullptr;
}

int leading_blank_width(std::string_view s, int tab_length, size_t* bytes = nullptr) {
    size_t i = 0;
    while (i < s.size() && (s[i] == '\t' || s[i] == ' ')) ++i;
    if (bytes) *bytes = i;
    return offset_to_column(s, static_cast<int>(i), tab_length);
}

}  // namespace

EditController::EditController(CTextDoc& doc, PendingLeadByte* pending)
    : doc_(doc), pending_(pending ? pending : &own_pending_) {
    doc_.add_observer(this);
}

EditController::~EditController() {
    doc_.remove_observer(this);
}

TextPos EditController::to_bytes(CaretPos p) const {
    return {column_to_offset(text(p.line), p.column, tab()), p.line};
}

CaretPos EditController::to_caret(TextPos p) const {
    return {offset_to_column(text(p.line), p.offset, tab()), p.line};
}

void EditController::set_caret(CaretPos pos, bool extend) {
    pos.column = std::clamp(pos.column, 0, kMaxColumn);
    pos.line = std::clamp(pos.line, 0, std::max(doc_.line_count() - 1, 0));
    caret_ = pos;
    if (!extend) anchor_ = pos;
}

void EditController::set_selection(CaretPos anchor, CaretPos caret) {
    set_caret(anchor);
    set_caret(caret, true);
}

CaretPos EditController::left_of(CaretPos p) const {
    std::string_view s = text(p.line);
    int o = column_to_offset(s, p.column, tab());
    if (o > static_cast<int>(s.size())) return {p.column - 1, p.line};
    if (o == 0) return p;
    return to_caret({static_cast<int>(previous_char_start(s, static_cast<size_t>(o))), p.line});
}

void EditController::move(CaretKey key, bool ctrl, bool shift) {
    CaretPos p = caret_;
    std::string_view s = text(p.line);
    const int len = static_cast<int>(s.size());
    const int o = column_to_offset(s, p.column, tab());
    const TextLine* line = doc_.line(p.line);
    const int last_line = std::max(doc_.line_count() - 1, 0);
    auto snapped = [&](int target_line) {
        std::string_view t = text(target_line);
        return CaretPos{offset_to_column(t, column_to_offset(t, p.column, tab()), tab()), target_line};
    };
    switch (key) {
        case CaretKey::kLeft:
            if (!ctrl) {
                if (p.column > 0) p = left_of(p);
            } else if (o >= len && len > 0) {
                p = to_caret({line->tokens().back().start, p.line});
            } else if (o > 0) {
                const TokenSpan* t =
                    token_at(line, static_cast<int>(previous_char_start(s, static_cast<size_t>(o))));
                p = to_caret({t ? t->start : 0, p.line});
            } else if (p.column > 0) {
                p.column = 0;  // virtual space on an empty line
            } else if (p.line > 0) {
                const TextLine* prev = doc_.line(p.line - 1);
                p = to_caret({prev && !prev->tokens().empty() ? prev->tokens().back().start : 0, p.line - 1});
            }
            break;
        case CaretKey::kRight:
            if (!ctrl) {
                if (o < len)
                    p = to_caret({o + static_cast<int>(char_len(s, static_cast<size_t>(o))), p.line});
                else
                    p.column += 1;
            } else if (o < len) {
                const TokenSpan* t = token_at(line, o);
                p = to_caret({t ? t->start + t->length : len, p.line});
            } else if (p.line < last_line) {
                const TextLine* next = doc_.line(p.line + 1);
                int to = 0;
                if (next && !next->tokens().empty() && next->tokens()[0].colour == 8)
                    to = next->tokens()[0].length;
                p = to_caret({to, p.line + 1});
            } else {
                p = to_caret({len, p.line});
            }
            break;
        case CaretKey::kUp:
            p = snapped(std::max(p.line - 1, 0));
            break;
        case CaretKey::kDown:
            p = snapped(std::min(p.line + 1, last_line));
            break;
        case CaretKey::kPageUp:
        case CaretKey::kPageDown: {
            int h = visible_rows_ / 2;
            if (h <= 0) h = 1;
            int target = key == CaretKey::kPageUp ? p.line - h : p.line + h;
            p = snapped(std::clamp(target, 0, last_line));
            break;
        }
        case CaretKey::kHome:
            if (ctrl) {
                p = {0, 0};
            } else {
                int run = leading_blank_width(s, tab());
                p.column = (!s.empty() && s[0] == '\t' && p.column != run) ? run : 0;
            }
            break;
        case CaretKey::kEnd:
            if (ctrl) p.line = last_line;
            p.column = line_width(text(p.line), tab());
            break;
    }
    set_caret(p, shift);
}

void EditController::go_to_line(int n) {
    set_caret({0, std::max(n, 1) - 1});
}

CaretPos EditController::snap_point(CaretPos cell) const {
    if (cell.line >= 0 && cell.line < doc_.line_count()) {
        std::string_view s = text(cell.line);
        return {offset_to_column(s, column_to_offset(s, cell.column, tab()), tab()), cell.line};
    }
    return {cell.column, std::max(doc_.line_count() - 1, 0)};
}

void EditController::mouse_down(CaretPos cell, bool shift) {
    set_caret(snap_point(cell), shift);
}

void EditController::mouse_drag(CaretPos cell) {
    set_caret(snap_point(cell), true);
}

void EditController::double_click(CaretPos cell) {
    const TextLine* l = doc_.line(cell.line);
    if (!l) return;
    int o = column_to_offset(l->text, cell.column, tab());
    const TokenSpan* t = token_at(l, o);
    if (!t) return;  // past the end of the line
    set_selection(to_caret({t->start + t->length, cell.line}), to_caret({t->start, cell.line}));
}

std::pair<TextPos, TextPos> EditController::selection_range() const {
    CaretPos a = std::min(caret_, anchor_), b = std::max(caret_, anchor_);
    return {to_bytes(a), to_bytes(b)};
}

std::string EditController::selected_text() const {
    if (!has_selection()) return {};
    auto [a, b] = selection_range();
    auto clip = [](std::string_view s, int o) {
        return std::min(static_cast<size_t>(std::max(o, 0)), s.size());
    };
    if (a.line == b.line) {
        std::string_view s = text(a.line);
        size_t x = clip(s, a.offset), y = clip(s, b.offset);
        return y > x ? std::string(s.substr(x, y - x)) : std::string();
    }
    std::string out(text(a.line).substr(clip(text(a.line), a.offset)));
    for (int l = a.line + 1; l < b.line; ++l) {
        out += "\r\n";
        out += text(l);
    }
    out += "\r\n";
    out += text(b.line).substr(0, clip(text(b.line), b.offset));
    return out;
}

std::string EditController::copy_text() const {
    if (has_selection()) return selected_text();
    return std::string(text(caret_.line)) + "\r\n";
}

std::string EditController::word_at_caret() const {
    if (has_selection()) return selected_text();
    const TextLine* l = doc_.line(caret_.line);
    if (!l || l->text.empty()) return {};
    int o = column_to_offset(l->text, caret_.column, tab());
    const TokenSpan* t = o >= static_cast<int>(l->text.size()) ? &l->tokens().back() : token_at(l, o);
    if (!t) return {};
    return l->text.substr(static_cast<size_t>(t->start), static_cast<size_t>(t->length));
}

void EditController::delete_selection() {
    if (!has_selection()) return;
    auto [a, b] = selection_range();
    CaretPos start = std::min(caret_, anchor_);
    doc_.delete_range(this, a, b);
    set_caret(start);
}

void EditController::insert_at_caret(std::string_view s) {
    TextPos p = to_bytes(caret_);
    doc_.insert(this, s, p);
    set_caret(to_caret(p));
}

void EditController::type_byte(uint8_t b) {
    std::string ch;
    if (pending_->value >= 0) {
        int lead = pending_->value;
        pending_->value = -1;
        if (sjis::is_trail(b)) {
            ch.push_back(static_cast<char>(lead));
            ch.push_back(static_cast<char>(b));
        }
    }
    if (ch.empty()) {
        if (sjis::is_lead(b)) {  // no lead byte is printable
            pending_->value = b;
            return;
        }
        if (!((b >= 0x20 && b <= 0x7E) || sjis::is_half_kana(b))) return;  // left to the default handling
        ch.push_back(static_cast<char>(b));
    }
    if (has_selection()) {
        delete_selection();
    } else if (overwrite_) {
        TextPos p = to_bytes(caret_);
        std::string_view s = text(p.line);
        if (p.offset < static_cast<int>(s.size()))
            doc_.delete_range(
                this, p, {p.offset + static_cast<int>(char_len(s, static_cast<size_t>(p.offset))), p.line});
    }
    insert_at_caret(ch);
}

void EditController::enter() {
    delete_selection();
    TextPos p = to_bytes(caret_);
    doc_.insert(this, "\r\n", p);
    int width = 0;
    for (int l = p.line - 1; l >= 0; --l) {
        std::string_view s = text(l);
        if (s.empty()) continue;
        if (s[0] == '\t' || s[0] == ' ') width = leading_blank_width(s, tab());
        break;
    }
    if (!text(p.line).empty()) {
        if (width > 0) {
            TextPos at{0, p.line};
            doc_.insert(this, padding(0, width, tab()), at);
            p = at;
        }
        set_caret(to_caret(p));
    } else {
        set_caret({width, p.line});
    }
}

void EditController::tab(bool shift) {
    if (has_selection() && caret_.line != anchor_.line) {
        CaretPos a = std::min(caret_, anchor_), b = std::max(caret_, anchor_);
        const int first = a.line;
        const int last = b.column == 0 ? b.line - 1 : b.line;
        doc_.indent_lines(this, first, last + 1, shift);
        const bool caret_at_end = caret_ == b;
        CaretPos top{0, first};
        // Without a line after the block the selection ends at the end of its last line.
        CaretPos bottom = last + 1 < doc_.line_count() ? CaretPos{0, last + 1}
                                                       : CaretPos{line_width(text(last), tab()), last};
        if (caret_at_end)
            set_selection(top, bottom);
        else
            set_selection(bottom, top);
        return;
    }
    delete_selection();
    insert_at_caret("\t");
}

void EditController::backspace() {
    if (has_selection()) {
        delete_selection();
        return;
    }
    if (caret_.line == 0 && caret_.column == 0) return;
    const int old_column = caret_.column;
    CaretPos p = caret_.column > 0 ? left_of(caret_)
                                   : CaretPos{line_width(text(caret_.line - 1), tab()), caret_.line - 1};
    set_caret(p);
    if (old_column > line_width(text(p.line), tab())) return;  // virtual space only moves
    TextPos b = to_bytes(p);
    std::string_view s = text(p.line);
    if (b.offset < static_cast<int>(s.size()))
        doc_.delete_range(this, b,
                          {b.offset + static_cast<int>(char_len(s, static_cast<size_t>(b.offset))), b.line});
    else if (b.line + 1 < doc_.line_count())
        doc_.delete_range(this, b, {0, b.line + 1});
    set_caret(p);
}

void EditController::delete_key() {
    if (has_selection()) {
        delete_selection();
        return;
    }
    TextPos b = to_bytes(caret_);
    std::string_view s = text(b.line);
    if (b.offset < static_cast<int>(s.size())) {
        doc_.delete_range(this, b,
                          {b.offset + static_cast<int>(char_len(s, static_cast<size_t>(b.offset))), b.line});
    } else if (b.line + 1 < doc_.line_count()) {
        doc_.delete_range(this, b, {0, b.line + 1});
    }
    set_caret(caret_);
}

void EditController::ctrl_delete() {
    delete_selection();
    doc_.delete_to_word_end(this, to_bytes(caret_));
    set_caret(caret_);
}

void EditController::paste(std::string_view s) {
    delete_selection();
    insert_at_caret(s);
}

std::string EditController::cut() {
    if (!has_selection()) return {};
    std::string t = copy_text();
    delete_selection();
    return t;
}

void EditController::convert_case(bool upper) {
    if (!has_selection()) return;
    auto [a, b] = selection_range();
    CaretPos c = caret_, an = anchor_;
    doc_.convert_case(this, a, b, upper);
    caret_ = c;
    anchor_ = an;
}

void EditController::undo() {
    doc_.undo(this);
}

void EditController::redo() {
    doc_.redo(this);
}

void EditController::on_document_update(const void*, int hint, const CTextInvalidateRange* range) {
    if (hint == kHintEdit && range) set_caret(to_caret({range->caret_offset, range->caret_line}));
}

std::string EditController::line_status() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%3d行", caret_.line + 1);
    return buf;
}

std::string EditController::column_status() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%3d桁", caret_.column + 1);
    return buf;
}

}  // namespace lumora::editor
