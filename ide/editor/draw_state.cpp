#include "ide/editor/draw_state.h"

#include <algorithm>
#include <string_view>

#include "ide/editor/text_doc.h"
#include "ide/editor/tokenizer.h"

namespace lumora::editor {

namespace {

int state_colour(int state, int own) {
    if (state == kStateDoubleQuote || state == kStateInclude || state == kStateSingleQuote)
        return kColourString;
    if (state == kStateLineComment || state == kStateBlockComment) return kColourRem;
    return own;
}

int final_colour(int cls, int text_type) {
    if (text_type == kTypeText) return kColourDefault;
    if (text_type == kTypeMml && cls != kColourRem) return kColourDefault;
    return cls;
}

// Emits (start, length, colour) pieces; merges pieces of one token that share
// a colour.
struct Sink {
    std::vector<ColourRun>* out;
    int token_start = -1;
    void piece(int start, int length, int colour) {
        if (!out || length <= 0) return;
        if (!out->empty() && token_start >= 0 && out->back().start >= token_start &&
            out->back().colour == colour && out->back().start + out->back().length == start) {
            out->back().length += length;
            return;
        }
        out->push_back({start, length, colour});
    }
};

void run_machine(const TextLine& line, int text_type, int& state, std::vector<ColourRun>* out) {
    if (out) out->clear();
    Sink sink{out};
    const std::string& text = line.text;
    bool include_seen = false;
    // Drawing keeps the line's tokens; a scan of states only passes through.
    static thread_local std::vector<TokenSpan> scratch;
    for (const TokenSpan& t : out ? line.tokens() : line.tokens(scratch)) {
        sink.token_start = t.start;
        if (t.colour != kColourMark || text_type == kTypeText) {
            sink.piece(t.start, t.length, final_colour(state_colour(state, t.colour), text_type));
            if (t.colour == kColourCpp && std::string_view(text).substr(t.start, t.length) == "#include")
                include_seen = true;
            continue;
        }
        const int end = t.start + t.length;
        int i = t.start;
        while (i < end) {
            const char c = text[static_cast<size_t>(i)];
            const char next = i + 1 < end ? text[static_cast<size_t>(i) + 1] : '\0';
            int width = 1;
            int colour;
            switch (state) {
                case kStateNormal:
                    if (text_type == kTypeC) {
                        if (c == '"') {
                            state = kStateDoubleQuote;
                        } else if (c == '<' && include_seen) {
                            state = kStateInclude;
                        } else if (c == '\'') {
                            state = kStateSingleQuote;
                        } else if (c == '/' && next == '/') {
                            state = kStateLineComment;
                            width = 2;
                        } else if (c == '/' && next == '*') {
                            state = kStateBlockComment;
                            width = 2;
                        }
                    } else if (text_type == kTypeMml && c == ';') {
                        state = kStateLineComment;
                    }
                    colour = state_colour(state, t.colour);  // an opening takes the new colour
                    break;
                case kStateBlockComment:
                    colour = kColourRem;
                    if (c == '*' && next == '/') {
                        width = 2;
                        state = kStateNormal;  // "*/" itself is still comment
                    }
                    break;
                case kStateDoubleQuote:
                case kStateInclude:
                case kStateSingleQuote: {
                    colour = kColourString;
                    const char close = state == kStateDoubleQuote ? '"' : state == kStateInclude ? '>' : '\'';
                    if (c == close) state = kStateNormal;
                    break;
                }
                default:
                    colour = state_colour(state, t.colour);
                    break;
            }
            sink.piece(i, width, final_colour(colour, text_type));
            i += width;
        }
    }
    if (state != kStateBlockComment) state = kStateNormal;
}

}  // namespace

void colour_line(const TextLine& line, int text_type, int& state, std::vector<ColourRun>& out) {
    run_machine(line, text_type, state, &out);
}

void overlay_selection(std::vector<ColourRun>& runs, int from, int to) {
    if (from >= to) return;
    std::vector<ColourRun> out;
    out.reserve(runs.size() + 2);
    for (const ColourRun& r : runs) {
        const int end = r.start + r.length;
        const int a = std::max(r.start, from), b = std::min(end, to);
        if (a >= b) {
            out.push_back(r);
            continue;
        }
        if (a > r.start) out.push_back({r.start, a - r.start, r.colour});
        out.push_back({a, b - a, kColourSelect});
        if (end > b) out.push_back({b, end - b, r.colour});
    }
    runs.swap(out);
}

int line_exit_state(const TextLine& line, int text_type, int entry_state) {
    // Only a block comment outlives its line, and only "/*" opens one and
    // "*/" closes it (neither byte can be the second of a double-byte
    // character): a line without the pair leaves the state as it was, with
    // no need to cut it into tokens. Most lines of a long scan are such.
    if (entry_state == kStateNormal && line.text.find("/*") == std::string::npos) return kStateNormal;
    if (entry_state == kStateBlockComment && line.text.find("*/") == std::string::npos)
        return kStateBlockComment;
    int state = entry_state;
    run_machine(line, text_type, state, nullptr);
    return state;
}

int drawing_entry_state(CTextDoc& doc, int text_type, int line, int first_visible) {
    if (text_type == kTypeC) return doc.c_entry_state(line);
    int state = kStateNormal;
    for (int i = first_visible < 0 ? 0 : first_visible; i < line; ++i)
        if (const TextLine* l = doc.line(i)) state = line_exit_state(*l, text_type, state);
    return state;
}

}  // namespace lumora::editor
