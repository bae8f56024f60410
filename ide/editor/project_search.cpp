#include "ide/editor/project_search.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/cp932.h"
#include "common/sjis.h"
#include "ide/editor/text_file_reader.h"
#include "ide/editor/tokenizer.h"

namespace lumora::editor {

namespace {

// Host paths are UTF-8; the output window holds Shift-JIS.
std::string path_for_display(const std::string& path) {
    if (cp932::has_non_ascii(path) && cp932::is_valid_utf8(path)) return cp932::from_utf8(path);
    return path;
}

std::string sjis(const char* utf8) {
    return cp932::from_utf8(utf8);
}

bool has_high_byte(std::string_view s) {
    unsigned char any = 0;
    for (char c : s) any |= static_cast<unsigned char>(c);
    return any & 0x80;
}

bool has_dropped_byte(std::string_view s) {
    return std::memchr(s.data(), 0x0C, s.size()) || std::memchr(s.data(), 0x1A, s.size());
}

// Searching the file as one buffer gives the same lines as cutting it first
// when cutting changes no byte inside a line: no conversion, nothing dropped,
// and a text without line breaks (it cannot span lines).
bool whole_buffer_search_ok(const TextFileReader& r, const SearchSettings& s, const LineMatcher& m) {
    if (m.whole_word() || s.find_text.find_first_of("\r\n") != std::string::npos) return false;
    if (has_dropped_byte(r.contents)) return false;
    if (r.encoding == kEncodingNone || r.encoding == kEncodingShiftJis) return true;
    return r.encoding == kEncodingEucJp && !has_high_byte(r.contents);
}

// Line breaks in [from, to): CR LF, LF and lone CR each end one line. The
// byte at `to` must exist (a match starts there), so h[k + 1] is readable.
size_t count_line_breaks(const char* h, size_t from, size_t to) {
    size_t breaks = 0;
    size_t k = from;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    for (; k + 16 <= to; k += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + k));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + k + 1));
        const unsigned lfs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
        const unsigned crs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
        const unsigned before_lf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(next, lf)));
        breaks += static_cast<size_t>(__builtin_popcount(lfs) + __builtin_popcount(crs & ~before_lf));
    }
#endif
    for (; k < to; ++k) breaks += (h[k] == '\n') | ((h[k] == '\r') & (h[k + 1] != '\n'));
    return breaks;
}

// Finds candidate match starts in a file's raw bytes, quickly: exact text
// with memmem; an ASCII-only text without match case by its least common byte
// (both cases when it is a letter) and a folded compare, which matches what
// upper-casing the whole file would give, since an ASCII match starting on a
// character boundary holds single-byte characters only; anything else on an
// upper-cased copy of the file.
class BufferFinder {
  public:
    BufferFinder(const std::string& contents, const SearchSettings& s) : raw_(contents) {
        pattern_ = s.match_case ? s.find_text : cp932::to_upper(s.find_text);
        if (s.match_case) {
            mode_ = kExact;
        } else if (!has_high_byte(pattern_)) {
            mode_ = kAsciiFold;
            size_t best = 0;
            int best_score = 99;
            for (size_t i = 0; i < pattern_.size(); ++i) {
                const char c = pattern_[i];
                int score = (c >= 'A' && c <= 'Z') ? 3 : c == ' ' ? 4 : 1;
                if (score < best_score) best_score = score, best = i;
            }
            anchor_ = best;
            upper_ = pattern_[best];
            lower_ = (upper_ >= 'A' && upper_ <= 'Z') ? static_cast<char>(upper_ - 'A' + 'a') : upper_;
        } else {
            mode_ = kFolded;
            folded_ = contents;
            fold_upper(folded_);
        }
    }

    // First candidate start at or after `from`, npos when none.
    size_t next(size_t from) {
        const size_t n = raw_.size(), m = pattern_.size();
        if (m == 0 || n < m || from > n - m) return std::string::npos;
        switch (mode_) {
            case kExact: {
                const void* hit = ::memmem(raw_.data() + from, n - from, pattern_.data(), m);
                return hit ? static_cast<size_t>(static_cast<const char*>(hit) - raw_.data())
                           : std::string::npos;
            }
            case kFolded:
                return folded_.find(pattern_, from);
            case kAsciiFold:
                break;
        }
        for (size_t at = from + anchor_; at + (m - anchor_) <= n;) {
            const size_t a = find_byte(upper_, at, next_upper_);
            const size_t b = lower_ == upper_ ? a : find_byte(lower_, at, next_lower_);
            const size_t hit = std::min(a, b);
            if (hit == std::string::npos || hit + (m - anchor_) > n) return std::string::npos;
            const size_t start = hit - anchor_;
            if (folded_equal(start)) return start;
            at = hit + 1;
        }
        return std::string::npos;
    }

  private:
    enum Mode { kExact, kAsciiFold, kFolded };

    // memchr with the last answer kept: scans only move forward.
    size_t find_byte(char c, size_t at, size_t& cache) const {
        if (cache == kNone) return std::string::npos;  // none left past an earlier point
        if (cache != std::string::npos && cache >= at) return cache;
        const void* p = std::memchr(raw_.data() + at, c, raw_.size() - at);
        if (!p) {
            cache = kNone;
            return std::string::npos;
        }
        cache = static_cast<size_t>(static_cast<const char*>(p) - raw_.data());
        return cache;
    }

    bool folded_equal(size_t start) const {
        for (size_t i = 0; i < pattern_.size(); ++i) {
            char c = raw_[start + i];
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            if (c != pattern_[i]) return false;
        }
        return true;
    }

    static constexpr size_t kNone = std::string::npos - 1;
    const std::string& raw_;
    std::string pattern_;
    std::string folded_;
    Mode mode_ = kExact;
    size_t anchor_ = 0;
    char upper_ = 0, lower_ = 0;
    size_t next_upper_ = std::string::npos, next_lower_ = std::string::npos;
};

// Reports every line of `contents` holding a match, once, in order.
int search_buffer(const std::string& contents, const SearchSettings& s, LineMatcher& m,
                  const std::string& file, const std::string& shown_path, int tab_length,
                  ProjectSearchSink& sink) {
    if (!m.may_match(contents)) return 0;
    BufferFinder finder(contents, s);
    std::string_view hay = contents;
    const size_t n = hay.size();
    int found = 0;
    int line_no = 1;
    size_t line_start = 0, scan = 0, pos = 0;
    while ((pos = finder.next(pos)) != std::string_view::npos) {
        if (scan < pos) {
            const char* h = hay.data();
            const size_t breaks = count_line_breaks(h, scan, pos);
            if (breaks) {
                line_no += static_cast<int>(breaks);
                size_t k = pos;
                while (k > scan && h[k - 1] != '\n' && h[k - 1] != '\r') --k;
                line_start = k;
            }
            scan = pos;
        }
        // A match never starts on the second byte of a character.
        size_t i = line_start;
        while (i < pos) {
            const uint8_t b = static_cast<uint8_t>(hay[i]);
            i += (b >= 0x81 && i + 1 < n && sjis::is_lead(b) &&
                  sjis::is_trail(static_cast<uint8_t>(hay[i + 1])))
                     ? 2
                     : 1;
        }
        if (i != pos) {
            pos = i;
            continue;
        }
        size_t line_end = hay.find_first_of("\r\n", pos);
        if (line_end == std::string_view::npos) line_end = n;
        std::string_view text(contents.data() + line_start, line_end - line_start);
        sink.add_result(project_result_line(shown_path, line_no, text, tab_length), file, line_no);
        ++found;
        pos = line_end;
    }
    return found;
}

}  // namespace

std::string project_result_line(const std::string& sjis_path, int line_number, std::string_view text,
                                int tab_length) {
    if (tab_length <= 0) tab_length = 4;
    std::string out = sjis_path;
    char num[32];
    std::snprintf(num, sizeof num, "(%d):", line_number);
    out += num;
    // Tab stops count from the start of the output line, as it is shown.
    size_t column = out.size();
    for (size_t i = 0; i < text.size();) {
        const uint8_t b = static_cast<uint8_t>(text[i]);
        if (b == '\t') {
            size_t next = (column / static_cast<size_t>(tab_length) + 1) * static_cast<size_t>(tab_length);
            out.append(next - column, ' ');
            column = next;
            ++i;
        } else if (sjis::is_lead(b) && i + 1 < text.size() &&
                   sjis::is_trail(static_cast<uint8_t>(text[i + 1]))) {
            out.append(text.substr(i, 2));
            column += 2;
            i += 2;
        } else {
            out.push_back(static_cast<char>(b));
            ++column;
            ++i;
        }
    }
    return out;
}

ProjectSearchOutcome find_in_project(const std::vector<std::string>& files, const SearchSettings& settings,
                                     int tab_length, ProjectSearchSink& sink,
                                     const std::function<bool()>& keep_running,
                                     const KeywordDatabase* keywords) {
    ProjectSearchOutcome outcome;
    sink.clear();
    sink.add_line("'" + settings.find_text + sjis("' を検索中..."));
    LineMatcher matcher(settings);
    std::vector<TokenSpan> tokens;
    auto running = [&] { return !keep_running || keep_running(); };
    for (const std::string& file : files) {
        if (!running()) {
            outcome.cancelled = true;
            break;
        }
        TextFileReader reader;
        if (!reader.read(file)) continue;  // unreadable files are skipped
        if (matcher.empty()) continue;
        const std::string shown_path = path_for_display(file);
        if (whole_buffer_search_ok(reader, settings, matcher)) {
            outcome.count +=
                search_buffer(reader.contents, settings, matcher, file, shown_path, tab_length, sink);
            continue;
        }
        int line_number = 0;
        // Files that are not text are cut into lines all the same.
        cut_lines(reader.contents, reader.encoding, [&](std::string_view line) {
            ++line_number;
            if (line.size() < matcher.length()) return;
            if (matcher.whole_word()) {
                std::string_view p = matcher.prepare(line);
                if (!matcher.contains(p)) return;
                tokenize(line, keywords, tokens);
            }
            if (!matcher.line_matches(line, tokens)) return;
            sink.add_result(project_result_line(shown_path, line_number, line, tab_length), file,
                            line_number);
            ++outcome.count;
        });
    }
    if (outcome.cancelled) {
        sink.add_line(sjis("取り消されました。"));
    } else {
        char num[32];
        std::snprintf(num, sizeof num, "%d", outcome.count);
        sink.add_line(num + sjis(" 個、検索されました。"));
    }
    return outcome;
}

ProjectSearchOutcome ProjectSearchRunner::run(const std::vector<std::string>& files,
                                              const SearchSettings& settings, int tab_length,
                                              ProjectSearchSink& sink, const std::function<void()>& pump,
                                              const KeywordDatabase* keywords) {
    if (running_) {
        request_stop();
        return {};
    }
    running_ = true;
    stop_ = false;
    ProjectSearchOutcome r = find_in_project(
        files, settings, tab_length, sink,
        [&] {
            if (pump) pump();
            return !stop_;
        },
        keywords);
    running_ = false;
    stop_ = false;
    return r;
}

}  // namespace lumora::editor
