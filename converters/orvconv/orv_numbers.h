#pragma once
// Number reading and writing for orvconv's fields, independent of the
// process locale (a German desktop must not turn "35.5" into 35).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumora::orv {

// Like strtod in the C locale: the leading number of the text, 0 if none.
double parse_decimal(std::string_view text);

// Like atoi: optional blanks and sign, then decimal digits; 0 if none.
// Saturates instead of overflowing.
long long parse_leading_int(std::string_view text);

// printf("%-<width>.<precision>f") in the C locale.
std::string format_fixed(double value, int precision, int width = 3);

// Degrees to map units: trunc(trunc(d * 4294967294 / 360) / 256), both
// steps toward zero (a full turn is just under 2^24 units). nullopt when the
// value is not finite or the result does not fit 32 bits.
std::optional<int32_t> degrees_to_units(double degrees);

// A value that is already in map units, truncated toward zero; nullopt when
// it is not finite or does not fit 32 bits.
std::optional<int32_t> truncate_units(double value);

// trunc(value) as a 64-bit integer; nullopt when not finite or out of range.
std::optional<int64_t> checked_trunc(double value);

}  // namespace lumora::orv
