#include "converters/orvconv/orv_numbers.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace lumora::orv {

namespace {

locale_t c_locale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

double parse_decimal(std::string_view text) {
    const std::string copy(text);  // strtod needs a terminated string
    return strtod_l(copy.c_str(), nullptr, c_locale());
}

long long parse_leading_int(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    constexpr long long limit = std::numeric_limits<int>::max();
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) value = limit + 1;  // saturate, stays outside int
    }
    return negative ? -value : value;
}

std::string format_fixed(double value, int precision, int width) {
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, precision);
    std::string out = res.ec == std::errc() ? std::string(buf, res.ptr) : std::string("0");
    if (static_cast<int>(out.size()) < width) out.append(static_cast<size_t>(width) - out.size(), ' ');
    return out;
}

std::optional<int64_t> checked_trunc(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double t = std::trunc(value);
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (t >= 9223372036854775808.0 || t < -9223372036854775808.0) return std::nullopt;
    return static_cast<int64_t>(t);
}

namespace {
std::optional<int32_t> fit32(std::optional<int64_t> v) {
    if (!v || *v < std::numeric_limits<int32_t>::min() || *v > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(*v);
}
}  // namespace

std::optional<int32_t> degrees_to_units(double degrees) {
    const auto first = checked_trunc(degrees * 4294967294.0 / 360.0);
    if (!first) return std::nullopt;
    return fit32(*first / 256);  // integer division truncates toward zero
}

std::optional<int32_t> truncate_units(double value) {
    return fit32(checked_trunc(value));
}

}  // namespace lumora::orv
