#include "ide/editor/text_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/sjis.h"
#include "ide/editor/huge_pages.h"

namespace lumora::editor {

namespace {

// Bytes a text file may hold on their own. Form feeds are accepted too: the
// line cutter drops them, so files with page breaks must open.
struct ByteTables {
    bool single_ok[256];
    bool special[256];  // bytes the line cutter must look at
    bool plain[256];    // ASCII bytes every pass accepts on their own
    ByteTables() {
        for (int b = 0; b < 256; ++b) {
            plain[b] =
                (b >= 0x20 && b <= 0x7E) || b == 0x09 || b == 0x0A || b == 0x0D || b == 0x0C || b == 0x1A;
            single_ok[b] = (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF) || b == 0x09 || b == 0x0A ||
                           b == 0x0D || b == 0x1A || b == 0x0C;
            special[b] = b == '\n' || b == '\r' || b == 0x0C || b == 0x1A;
        }
    }
};
const ByteTables kTables;

inline uint8_t at(std::string_view s, size_t i) {
    return static_cast<uint8_t>(s[i]);
}

// Index of the first byte at or after `i` that is not plain ASCII text; many
// bytes at a time where it can.
size_t skip_plain(std::string_view s, size_t i) {
    const size_t n = s.size();
#if defined(__SSE2__)
    const __m128i space = _mm_set1_epi8(0x20), del = _mm_set1_epi8(0x7F);
    const __m128i tab = _mm_set1_epi8(0x09), lf = _mm_set1_epi8(0x0A), ff = _mm_set1_epi8(0x0C);
    const __m128i cr = _mm_set1_epi8(0x0D), eof = _mm_set1_epi8(0x1A);
    while (i + 16 <= n) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
        // Signed compare: bytes of 0x80 and above count as "below 0x20" too.
        const __m128i low = _mm_cmplt_epi8(v, space);
        const __m128i allowed = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, lf)),
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, ff)), _mm_cmpeq_epi8(v, eof)));
        const __m128i bad = _mm_or_si128(_mm_andnot_si128(allowed, low), _mm_cmpeq_epi8(v, del));
        const int mask = _mm_movemask_epi8(bad);
        if (mask) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        i += 16;
    }
#else
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
    while (i + 8 <= n) {
        uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        // No high bit, no control byte (< 0x20), no DEL (0x7F): eight plain bytes.
        const uint64_t control = (w - kOnes * 0x20) & ~w;
        const uint64_t del = ((w ^ (kOnes * 0x7F)) - kOnes) & ~(w ^ (kOnes * 0x7F));
        if ((w | control | del) & kHigh) {
            // Tabs and line breaks are plain too; look at the bytes one by one.
            size_t k = 0;
            while (k < 8 && kTables.plain[at(s, i + k)]) ++k;
            i += k;
            if (k < 8) return i;
            continue;
        }
        i += 8;
    }
#endif
    while (i < n && kTables.plain[at(s, i)]) ++i;
    return i;
}

inline bool sjis_pair(uint8_t a, uint8_t b) {
    return sjis::is_lead(a) && sjis::is_trail(b);
}

inline bool jis_byte(uint8_t b) {
    return b >= 0x21 && b <= 0x7E;
}

bool jis_pair_ok(uint8_t a, uint8_t b) {
    if (!jis_byte(a) || !jis_byte(b)) return false;
    sjis::DoubleByte d = sjis::jis_to_sjis(a, b);
    return sjis_pair(d.first, d.second);
}

bool euc_pair_ok(uint8_t a, uint8_t b) {
    if (a == 0x8E) return sjis::is_half_kana(b);
    if (a < 0xA1 || a > 0xFE || b < 0xA1 || b > 0xFE) return false;
    sjis::DoubleByte j = sjis::euc_to_jis(a, b);
    return jis_pair_ok(j.first, j.second);
}

// First pass: Shift-JIS / ISO-2022-JP. Returns false for "not text".
bool first_pass(std::string_view s, int& encoding) {
    enum { kUnknown, kSjis, kJis } state = kUnknown;
    bool two_byte = false;
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        uint8_t b = at(s, i);
        if (kTables.plain[b]) {
            // Plain ASCII passes in every state: in two-byte mode a pair of
            // such bytes is accepted whether taken as a pair or one by one.
            ++i;
            i = skip_plain(s, i);
            continue;
        }
        if (state == kUnknown && b == 0x1B) {
            state = kJis;
            encoding = kEncodingIso2022Jp;
            continue;  // examined again in the new state
        }
        if (state == kJis) {
            if (b == 0x1B) {
                if (i + 2 >= n) return false;
                uint8_t c = at(s, i + 1), d = at(s, i + 2);
                if (c == 0x24 && d == 0x42)
                    two_byte = true;
                else if (c == 0x28 && (d == 0x42 || d == 0x4A))
                    two_byte = false;
                else
                    return false;
                i += 3;
                continue;
            }
            if (two_byte && i + 1 < n && jis_pair_ok(b, at(s, i + 1))) {
                i += 2;
                continue;
            }
        } else if (i + 1 < n && sjis_pair(b, at(s, i + 1))) {
            state = kSjis;
            encoding = kEncodingShiftJis;
            i += 2;
            continue;
        }
        if (!kTables.single_ok[b]) return false;
        ++i;
    }
    return true;
}

bool euc_pass(std::string_view s) {
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        uint8_t b = at(s, i);
        if (kTables.plain[b]) {
            i = skip_plain(s, i + 1);
            continue;
        }
        if (b >= 0x80 && i + 1 < n && euc_pair_ok(b, at(s, i + 1))) {
            i += 2;
            continue;
        }
        if (!kTables.single_ok[b]) return false;
        ++i;
    }
    return true;
}

std::string upper_ascii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace

int kind_from_extension(std::string_view path) {
    // Only the file-name part counts, so a dot in a folder name is no extension.
    size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return kKindText;
    std::string ext = upper_ascii(name.substr(dot + 1));
    if (ext == "C" || ext == "CPP" || ext == "H") return kKindC;
    if (ext == "MML" || ext == "SE") return kKindMml;
    return kKindText;
}

int text_type_for_kind(int kind) {
    if (kind == kKindC) return 0;
    if (kind == kKindMml) return 2;
    return 1;
}

void TextFileReader::recognise() {
    encoding = kEncodingNone;
    bool text = first_pass(contents, encoding);
    if (euc_pass(contents)) {
        encoding = kEncodingEucJp;
        text = true;
    }
    if (!text) {
        kind = kKindNotText;
        return;
    }
    kind = kind_from_extension(path);
}

bool TextFileReader::read(const std::string& file_path, std::string* error) {
    path = file_path;
    contents.clear();
    int fd = ::open(file_path.c_str(), O_RDONLY | O_CLOEXEC);
    auto fail = [&](int err) {
        if (error) *error = std::strerror(err);
        if (fd >= 0) ::close(fd);
        return false;
    };
    if (fd < 0) return fail(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return fail(errno);
    if (S_ISDIR(st.st_mode)) return fail(EISDIR);
    // Read straight into the buffer; a file that grows meanwhile is read on.
    size_t have = 0;
    const size_t size = st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
    contents.reserve(size);
    advise_huge_pages(contents.data(), contents.capacity());  // a big file: fewer page faults
    contents.resize(size);
    for (;;) {
        if (have == contents.size()) contents.resize(have + (1 << 16));
        ssize_t got = ::read(fd, contents.data() + have, contents.size() - have);
        if (got < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        if (got == 0) break;
        have += static_cast<size_t>(got);
    }
    contents.resize(have);
    ::close(fd);
    recognise();
    return true;
}

int LineCounts::ending_mode() const {
    if (crlf >= lf && crlf >= cr) return kEndingCrLf;
    if (lf > crlf && lf >= cr) return kEndingLf;
    return kEndingCr;
}

LineCounts cut_lines(std::string_view s, int encoding, const std::function<void(std::string_view)>& emit) {
    LineCounts counts;
    const size_t n = s.size();
    std::string line;
    bool ended = false;  // the last byte processed ended a line
    bool two_byte = false;
    size_t i = 0;
    auto finish = [&]() {
        emit(line);
        line.clear();
        ended = true;
    };
    while (i < n) {
        uint8_t b = at(s, i);
        if (b == '\n') {
            ++counts.lf;
            ++i;
            finish();
            continue;
        }
        if (b == '\r') {
            if (i + 1 < n && at(s, i + 1) == '\n') {
                ++counts.crlf;
                i += 2;
            } else {
                ++counts.cr;
                ++i;
            }
            finish();
            continue;
        }
        ended = false;
        if (b == 0x0C || b == 0x1A) {
            ++i;
            continue;
        }
        switch (encoding) {
            case kEncodingIso2022Jp:
                if (b == 0x1B && i + 2 < n) {
                    two_byte = at(s, i + 1) == 0x24 && at(s, i + 2) == 0x42;
                    i += 3;
                    continue;
                }
                if (two_byte && i + 1 < n && jis_byte(b) && jis_byte(at(s, i + 1))) {
                    sjis::DoubleByte d = sjis::jis_to_sjis(b, at(s, i + 1));
                    line.push_back(static_cast<char>(d.first));
                    line.push_back(static_cast<char>(d.second));
                    i += 2;
                    continue;
                }
                break;
            case kEncodingEucJp:
                if (b >= 0x80 && i + 1 < n && euc_pair_ok(b, at(s, i + 1))) {
                    if (b == 0x8E) {
                        line.push_back(s[i + 1]);
                    } else {
                        sjis::DoubleByte j = sjis::euc_to_jis(b, at(s, i + 1));
                        sjis::DoubleByte d = sjis::jis_to_sjis(j.first, j.second);
                        line.push_back(static_cast<char>(d.first));
                        line.push_back(static_cast<char>(d.second));
                    }
                    i += 2;
                    continue;
                }
                break;
            default: {
                // Shift-JIS and plain text are copied as they are; trail bytes are
                // never line-break bytes, so a run up to the next special byte is
                // copied in one go.
                size_t j = i + 1;
                while (j < n && !kTables.special[at(s, j)]) ++j;
                line.append(s.data() + i, j - i);
                i = j;
                continue;
            }
        }
        line.push_back(static_cast<char>(b));
        ++i;
    }
    if (ended) {
        emit(std::string_view{});
    } else if (!line.empty() || n > 0) {
        // A last line without a break; a file of nothing but dropped bytes
        // still gives its one (empty) line.
        emit(line);
    }
    return counts;
}

std::vector<std::string> cut_lines(std::string_view contents, int encoding, LineCounts* counts) {
    std::vector<std::string> out;
    LineCounts c = cut_lines(contents, encoding, [&](std::string_view l) { out.emplace_back(l); });
    if (counts) *counts = c;
    return out;
}

}  // namespace lumora::editor
