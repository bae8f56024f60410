#include "ide/build/line_splitter.h"

#include <cstdint>

#include "common/sjis.h"

namespace lumora::ide {
namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kTab = '\t';

bool is_continuation(uint8_t b) {
    return b >= 0x80 && b <= 0xBF;
}

// Length of a UTF-8 multi-byte sequence announced by `lead`, 0 when the byte
// cannot start one.
size_t utf8_length(uint8_t lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

enum class Utf8 { None, Complete, Cut };

// Tools on this host often print UTF-8. Its continuation bytes overlap the
// Shift-JIS lead range, so pairing byte by byte would swallow the line end
// after a character such as U+3042 (E3 81 82). A well-formed sequence is
// therefore copied whole; it never contains CR, LF or TAB, so Shift-JIS text
// splits exactly as before.
Utf8 utf8_at(std::string_view text, size_t pos, size_t& length) {
    length = utf8_length(static_cast<uint8_t>(text[pos]));
    if (length == 0) return Utf8::None;
    size_t have = 1;
    while (have < length && pos + have < text.size()) {
        if (!is_continuation(static_cast<uint8_t>(text[pos + have]))) return Utf8::None;
        ++have;
    }
    return have == length ? Utf8::Complete : Utf8::Cut;
}

// Walks `text`, extending `line` and emitting finished lines. Returns how
// many bytes were used: with `final` false a trailing CR, a lone lead byte or
// a cut UTF-8 sequence is left unused, to be read again with more bytes.
size_t walk(std::string& line, std::string_view text, bool final, const LineSink& sink) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const char c = text[i];
        const auto b = static_cast<uint8_t>(c);
        if (c == kCr) {
            // The LF of a CR LF may come with the next read; wait for it so
            // the pair is not taken for two line ends.
            if (i + 1 == n && !final) return i;
            sink(std::move(line));
            line.clear();
            ++i;
            if (i < n && text[i] == kLf) ++i;
            continue;
        }
        if (c == kLf) {
            sink(std::move(line));
            line.clear();
            ++i;
            continue;
        }
        if (c == kTab) {
            ++i;
            continue;
        }
        size_t length = 0;
        switch (utf8_at(text, i, length)) {
            case Utf8::Complete:
                line.append(text.substr(i, length));
                i += length;
                continue;
            case Utf8::Cut:
                if (!final) return i;
                break;
            case Utf8::None:
                break;
        }
        // A lead byte takes the next byte along, except a LF: no character of
        // either encoding holds one, so a cut character never merges lines.
        if (sjis::is_lead(b)) {
            if (i + 1 < n && text[i + 1] != kLf) {
                line.append(text.substr(i, 2));
                i += 2;
                continue;
            }
            if (i + 1 == n && !final) return i;
        }
        line.push_back(c);
        ++i;
    }
    return n;
}

}  // namespace

std::string split_lines(std::string_view text, bool final, const LineSink& sink) {
    std::string line;
    const size_t used = walk(line, text, final, sink);
    if (final) {
        if (!line.empty()) sink(std::move(line));
        return {};
    }
    line.append(text.substr(used));
    return line;
}

void LineSplitter::feed(std::string_view bytes) {
    if (bytes.empty()) return;
    std::string text = std::move(pending_);
    text.append(bytes);
    const size_t used = walk(line_, text, false, sink_);
    pending_ = text.substr(used);
}

void LineSplitter::finish() {
    const std::string text = std::move(pending_);
    pending_.clear();
    walk(line_, text, true, sink_);
    if (!line_.empty()) sink_(std::move(line_));
    line_.clear();
}

void LineSplitter::finish_with(std::string_view text) {
    finish();
    split_lines(text, true, sink_);
}

}  // namespace lumora::ide
