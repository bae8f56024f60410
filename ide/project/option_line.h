#pragma once
// The compile option line and the fields derived from it on the compile
// options page: five check boxes, the macro field and the include field.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::ide {

// The check boxes, in page order, and the option each stands for.
enum class OptionBox { Optimise = 0, StrictPrototypes, StackCheck, Warnings, WarningsAsErrors };
inline constexpr std::array<const char*, 5> kOptionBoxTokens = {"-o", "-r", "-s", "-w", "-wx"};

// Splits a Shift-JIS option line. Blanks outside double quotes, LF and CR LF
// end a token; quotes stay in the token; a lone CR is dropped. Consecutive
// separators give empty tokens (kept); an empty last token is not kept.
std::vector<std::string> tokenize_options(std::string_view line);
// Each token followed by one blank.
std::string join_options(const std::vector<std::string>& tokens);

struct OptionFields {
    std::array<bool, 5> boxes{};  // indexed by OptionBox
    std::string macros;           // "-D" tokens without the "-D", blank-separated
    std::string includes;         // "-I" tokens without the "-I", blank-separated
};

// The fields after the option line was edited.
OptionFields derive_option_fields(std::string_view line);

// The line after a check box changed: its token removed (every copy) when the
// box is cleared, appended when ticked and not yet present.
std::string apply_option_box(std::string_view line, OptionBox box, bool ticked);

// The line after the macro (or include) field changed: every "-D" ("-I")
// token is removed and one "-D"+entry appended per entry of the field.
std::string apply_macro_field(std::string_view line, std::string_view macros);
std::string apply_include_field(std::string_view line, std::string_view includes);

}  // namespace lumora::ide
