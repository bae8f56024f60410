#include "converters/gridex/gridex_settings.h"

#include <climits>
#include <cstdint>

namespace lumora::gridex {

namespace {

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ','; }
bool is_c_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

class ValueScanner {
public:
    explicit ValueScanner(std::string_view text) : text_(text) {}

    std::optional<int> next() {
        while (pos_ < text_.size() && is_separator(text_[pos_])) ++pos_;
        if (pos_ >= text_.size()) return std::nullopt;
        const size_t start = pos_;
        while (pos_ < text_.size() && !is_separator(text_[pos_])) ++pos_;
        return parse_int_prefix(text_.substr(start, pos_ - start));
    }

    void skip_line() {
        while (pos_ < text_.size() && text_[pos_] != '\r' && text_[pos_] != '\n') ++pos_;
        while (pos_ < text_.size() && (text_[pos_] == '\r' || text_[pos_] == '\n')) ++pos_;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

}  // namespace

int parse_int_prefix(std::string_view token) {
    size_t i = 0;
    while (i < token.size() && is_c_space(token[i])) ++i;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
    int64_t value = 0;
    for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
        value = value * 10 + (token[i] - '0');
        if (value > int64_t{INT_MAX} + 1) value = int64_t{INT_MAX} + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    return static_cast<int>(value);
}

std::optional<Settings> parse_settings(std::string_view text) {
    ValueScanner scan(text);
    // Values per line: 4, 2, 4 and 1.
    constexpr int kValues = 11;
    static constexpr int kLineEnds[] = {3, 5, 9};
    int v[kValues];
    int line = 0;
    for (int i = 0; i < kValues; ++i) {
        auto value = scan.next();
        if (!value) return std::nullopt;
        v[i] = *value;
        if (line < 3 && i == kLineEnds[line]) {
            scan.skip_line();
            ++line;
        }
    }
    Settings s;
    s.map = {v[0], v[1], v[2], v[3]};
    s.attr_x = v[4];
    s.attr_y = v[5];
    s.parts = {v[6], v[7], v[8], v[9]};
    s.base = v[10];
    return s;
}

}  // namespace lumora::gridex
