#include "ide/output/output_message.h"

#include <climits>
#include <cstring>

#include "common/cp932.h"

namespace lumora::ide {

namespace {

constexpr char kBel = '\x07';
// "警告" (warning) in Shift-JIS.
constexpr char kKeikoku[] = "\x8C\x78\x8D\x90";

bool starts_with_at(std::string_view text, size_t pos, std::string_view what) {
    return pos <= text.size() && text.substr(pos).starts_with(what);
}

bool ends_walk(char c) {
    switch (c) {
        case '"':
        case '*':
        case ',':
        case ';':
        case '<':
        case '>':
        case '?':
        case '|':
            return true;
        default:
            return false;
    }
}

// The kind of a line whose file name ended at a blank or ":": decided by the
// words "Error" and "Warning" in the rest of the line.
int link_kind(std::string_view rest) {
    size_t error = rest.find("Error");
    size_t warning = rest.find("Warning");
    if (error == std::string_view::npos && warning == std::string_view::npos) return kPlain;
    if (warning == std::string_view::npos) return kLinkError;
    if (error == std::string_view::npos) return kLinkWarning;
    return error < warning ? kLinkError : kLinkWarning;
}

// After "file(": digits, ")", a blank and the message. `open` is the index of
// the "(".
void compile_kind(std::string_view text, size_t open, OutputMessage& m) {
    size_t i = open + 1;
    long long value = 0;
    bool digits = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        // Absurdly long numbers saturate instead of overflowing.
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) value = INT_MAX;
        digits = true;
        ++i;
    }
    if (i >= text.size() || text[i] != ')' || !digits) return;
    size_t blank = i + 1;
    if (blank >= text.size() || text[blank] != ' ' || blank + 1 >= text.size()) return;
    m.line = static_cast<int>(value);
    size_t words = blank + 3;  // normally after " : "
    if (starts_with_at(text, words, "warning") || starts_with_at(text, words, kKeikoku))
        m.kind = kCompileWarning;
    else
        m.kind = kCompileError;
}

}  // namespace

OutputMessage classify_line(std::string_view text) {
    OutputMessage m;
    m.text = std::string(text);
    if (text.empty()) return m;
    if (text.starts_with("Fatal error")) {
        m.kind = kCompileError;
        return m;
    }
    std::string file;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (ends_walk(c)) return m;
        if (c == ' ' || c == '(' || c == ':') {
            if (file.starts_with(".\\")) file.erase(0, 2);
            m.file = std::move(file);
            if (c == '(')
                compile_kind(text, i, m);
            else
                m.kind = link_kind(text.substr(i));
            return m;
        }
        file += (c == '/') ? '\\' : c;
    }
    return m;  // the end of the text: no file
}

BuiltMessage build_message(std::string_view text, bool classify) {
    BuiltMessage built;
    if (!text.empty() && text[0] == kBel) {
        built.beep = true;
        text.remove_prefix(1);
    }
    if (classify) {
        built.message = classify_line(text);
    } else {
        built.message.text = std::string(text);
    }
    return built;
}

std::string tool_text_to_sjis(std::string_view raw) {
    // Short Shift-JIS lines are often valid UTF-8 by chance ("ﾃｽ" is C3 BD);
    // a line is taken as UTF-8 only when every character has a place in
    // code page 932.
    if (cp932::has_non_ascii(raw) && cp932::is_valid_utf8(raw)) {
        bool exact = false;
        std::string sjis = cp932::from_utf8(raw, &exact);
        if (exact) return sjis;
    }
    return std::string(raw);
}

int colour_class_for_kind(int kind) {
    switch (kind) {
        case kCompileError:
            return 11;  // "CompileError"
        case kCompileWarning:
        case kLinkWarning:
            return 12;  // "Warning"
        case kLinkError:
            return 13;  // "LinkError"
        default:
            return 0;  // "Default"
    }
}

}  // namespace lumora::ide
