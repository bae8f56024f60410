#include "ide/editor/tokenizer.h"

#include "common/sjis.h"
#include "ide/editor/keyword_db.h"

namespace lumora::editor {

namespace {

int double_byte_class(unsigned code) {
    if (code == 0x8141 || code == 0x8142 || code == 0x814A || code == 0x814B || code == 0x815B) return 14;
    if ((code >= 0x8141 && code <= 0x817E) || (code >= 0x8180 && code <= 0x81AC)) return 8;
    if (code >= 0x829F && code <= 0x82F1) return 9;
    if ((code >= 0x8340 && code <= 0x837E) || (code >= 0x8380 && code <= 0x8396)) return 10;
    if (code >= 0x889F) return 11;
    if (code == 0x8140) return 13;
    if (code >= 0x824F && code <= 0x8258) return 7;
    if ((code >= 0x8260 && code <= 0x8279) || (code >= 0x8281 && code <= 0x829A)) return 6;
    return 12;
}

// Single-byte classes, built once.
struct SingleTable {
    uint8_t cls[256];
    SingleTable() {
        for (int b = 0; b < 256; ++b) {
            int c = 0;
            if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_' || b == '#')
                c = 1;
            else if (b >= '0' && b <= '9')
                c = 2;
            else if (b == '\t' || b == ' ')
                c = 5;
            else if (b > 0x20 && b <= 0x7E)
                c = 3;
            else if (b >= 0xA1 && b <= 0xDF)
                c = 4;
            cls[b] = static_cast<uint8_t>(c);
        }
    }
};
const SingleTable kSingle;

bool continues(int current, int next, uint8_t next_byte) {
    switch (current) {
        case 0:
            return false;
        case 1:
            return next == 1 || next == 2;
        case 2:
            return next == 1 || next == 2 || (next == 3 && next_byte == '.');
        case 6:
        case 7:
            return next == 6 || next == 7;
        case 9:
        case 10:
            return next == current || next == 14;
        case 14:
            return next == 9 || next == 10 || next == 14;
        default:
            return next == current;
    }
}

}  // namespace

CharClass classify_char(std::string_view text, size_t pos) {
    if (pos >= text.size()) return {0, 0};
    uint8_t b = static_cast<uint8_t>(text[pos]);
    if (sjis::is_lead(b) && pos + 1 < text.size() && sjis::is_trail(static_cast<uint8_t>(text[pos + 1]))) {
        unsigned code = (unsigned(b) << 8) | static_cast<uint8_t>(text[pos + 1]);
        return {double_byte_class(code), 2};
    }
    return {kSingle.cls[b], 1};
}

int token_colour(std::string_view token, const KeywordDatabase* keywords) {
    if (token.empty()) return kColourDefault;
    uint8_t b = static_cast<uint8_t>(token[0]);
    if (sjis::is_lead(b) && token.size() > 1 && sjis::is_trail(static_cast<uint8_t>(token[1])))
        return kColourKanji;
    if (b == '\t' || b == ' ') return kColourSpace;
    if (b >= '0' && b <= '9') return kColourNumber;
    if (keywords) {
        int kw = keywords->colour_of(token);
        if (kw >= 0) return kw;
    }
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_') return kColourAlphabet;
    if (sjis::is_half_kana(b)) return kColourKatakana;
    if (b >= 0x20 && b <= 0x7E) return kColourMark;
    return kColourDefault;
}

void tokenize(std::string_view line, const KeywordDatabase* keywords, std::vector<TokenSpan>& out) {
    out.clear();
    size_t pos = 0;
    size_t start = 0;
    int current = 0;
    const size_t n = line.size();
    auto close = [&](size_t end) {
        if (end > start) {
            out.push_back({static_cast<int>(start), static_cast<int>(end - start),
                           token_colour(line.substr(start, end - start), keywords)});
        }
    };
    while (pos < n) {
        uint8_t b = static_cast<uint8_t>(line[pos]);
        int cls;
        size_t len;
        if (b < 0x80) {
            cls = kSingle.cls[b];
            len = 1;
        } else {
            CharClass c = classify_char(line, pos);
            cls = c.cls;
            len = static_cast<size_t>(c.length);
        }
        if (pos > start && continues(current, cls, b)) {
            if (current == 14 && (cls == 9 || cls == 10)) current = cls;
        } else {
            close(pos);
            start = pos;
            current = cls;
        }
        pos += len;
    }
    close(n);
}

}  // namespace lumora::editor
