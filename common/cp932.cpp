#include "common/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

#include "common/sjis.h"

namespace lumora::cp932 {
namespace {

// Runs iconv over the whole input; an unconvertible or broken sequence is
// replaced by `replacement` and skipped by one byte (or one UTF-8 sequence).
std::string convert(const char* to, const char* from, std::string_view in, std::string_view replacement,
                    bool from_utf8_input, bool* exact) {
    if (exact) *exact = true;
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        if (exact) *exact = false;
        return out;
    }
    out.reserve(in.size() * 3 / 2 + 16);
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char buffer[4096];
    while (src_left > 0) {
        char* dst = buffer;
        size_t dst_left = sizeof buffer;
        size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (r != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (a sequence cut short at the end): substitute and move on.
        if (exact) *exact = false;
        out.append(replacement);
        size_t skip = 1;
        if (from_utf8_input) {
            // Skip the continuation bytes of the offending sequence as well.
            while (skip < src_left && (static_cast<uint8_t>(src[skip]) & 0xC0) == 0x80 && skip < 4) ++skip;
        } else if (sjis::is_lead(static_cast<uint8_t>(src[0])) && src_left > 1 &&
                   sjis::is_trail(static_cast<uint8_t>(src[1]))) {
            skip = 2;  // an unmapped double-byte code is still one character
        }
        src += skip;
        src_left -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

struct Range {
    uint16_t upper_first;
    uint16_t upper_last;
    uint16_t lower_first;
};

// Double-byte letters with case in code page 932: full-width Latin, Greek.
constexpr Range kRanges[] = {
    {0x8260, 0x8279, 0x8281},  // Ａ-Ｚ / ａ-ｚ
    {0x839F, 0x83B6, 0x83BF},  // Α-Ω / α-ω
};

// Cyrillic lower case skips 0x847F (not a valid trail byte).
constexpr uint16_t kCyrUpperFirst = 0x8440, kCyrUpperLast = 0x8460, kCyrLowerFirst = 0x8470;

uint16_t cyr_lower_code(int index) {
    return static_cast<uint16_t>(kCyrLowerFirst + index + (index >= 15 ? 1 : 0));
}

uint16_t map_double(uint16_t code, bool upper) {
    for (const Range& r : kRanges) {
        uint16_t count = r.upper_last - r.upper_first;
        if (upper && code >= r.lower_first && code <= r.lower_first + count)
            return static_cast<uint16_t>(code - r.lower_first + r.upper_first);
        if (!upper && code >= r.upper_first && code <= r.upper_last)
            return static_cast<uint16_t>(code - r.upper_first + r.lower_first);
    }
    if (!upper && code >= kCyrUpperFirst && code <= kCyrUpperLast) return cyr_lower_code(code - kCyrUpperFirst);
    if (upper) {
        for (int i = 0; i <= kCyrUpperLast - kCyrUpperFirst; ++i)
            if (cyr_lower_code(i) == code) return static_cast<uint16_t>(kCyrUpperFirst + i);
    }
    return code;
}

void map_case(std::string& s, bool upper) {
    size_t i = 0;
    while (i < s.size()) {
        size_t len = sjis::char_length(s, i);
        auto b = static_cast<uint8_t>(s[i]);
        if (len == 2) {
            uint16_t code = static_cast<uint16_t>((b << 8) | static_cast<uint8_t>(s[i + 1]));
            uint16_t mapped = map_double(code, upper);
            s[i] = static_cast<char>(mapped >> 8);
            s[i + 1] = static_cast<char>(mapped & 0xFF);
        } else if (upper && b >= 'a' && b <= 'z') {
            s[i] = static_cast<char>(b - 0x20);
        } else if (!upper && b >= 'A' && b <= 'Z') {
            s[i] = static_cast<char>(b + 0x20);
        }
        i += len;
    }
}

}  // namespace

std::string to_utf8(std::string_view sjis, bool* exact) {
    return convert("UTF-8", "CP932", sjis, "\xEF\xBF\xBD", false, exact);
}

std::string from_utf8(std::string_view utf8, bool* exact) {
    return convert("CP932", "UTF-8", utf8, "?", true, exact);
}

bool is_valid_utf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        auto b = static_cast<uint8_t>(text[i]);
        size_t len;
        uint32_t cp;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + len > text.size()) return false;
        for (size_t k = 1; k < len; ++k) {
            auto c = static_cast<uint8_t>(text[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

bool has_non_ascii(std::string_view text) {
    for (char c : text)
        if (static_cast<uint8_t>(c) >= 0x80) return true;
    return false;
}

void to_upper_in_place(std::string& sjis) { map_case(sjis, true); }
void to_lower_in_place(std::string& sjis) { map_case(sjis, false); }

std::string to_upper(std::string_view sjis) {
    std::string s(sjis);
    map_case(s, true);
    return s;
}

std::string to_lower(std::string_view sjis) {
    std::string s(sjis);
    map_case(s, false);
    return s;
}

}  // namespace lumora::cp932
