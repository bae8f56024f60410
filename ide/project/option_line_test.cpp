#include "ide/project/option_line.h"

#include <gtest/gtest.h>

namespace lumora::ide {
namespace {

using Tokens = std::vector<std::string>;

TEST(OptionLine, Tokenizing) {
    EXPECT_EQ(tokenize_options("-msw -NL"), (Tokens{"-msw", "-NL"}));
    // Extra blanks give empty tokens; an empty last token is dropped.
    EXPECT_EQ(tokenize_options("-a  -b "), (Tokens{"-a", "", "-b"}));
    EXPECT_EQ(tokenize_options(" -a"), (Tokens{"", "-a"}));
    // Quotes keep blanks and stay in the token.
    EXPECT_EQ(tokenize_options("-I\"C:\\my dir\" -o"), (Tokens{"-I\"C:\\my dir\"", "-o"}));
    // LF and CR LF end tokens; a lone CR disappears.
    EXPECT_EQ(tokenize_options("-a\r\n-b\n-c\rd"), (Tokens{"-a", "-b", "-cd"}));
    // A double-byte character stays whole.
    EXPECT_EQ(tokenize_options("-D\x82\xA0 x"), (Tokens{"-D\x82\xA0", "x"}));
    EXPECT_TRUE(tokenize_options("").empty());
    EXPECT_EQ(join_options({"-a", "", "-b"}), "-a  -b ");
}

TEST(OptionLine, TickingAndClearingBoxes) {
    EXPECT_EQ(apply_option_box("-msw -NL", OptionBox::Optimise, true), "-msw -NL -o ");
    // Already there: not added twice.
    EXPECT_EQ(apply_option_box("-o -msw", OptionBox::Optimise, true), "-o -msw ");
    // Cleared: every copy goes; other tokens (and empty ones) stay.
    EXPECT_EQ(apply_option_box("-w -a  -w -wx", OptionBox::Warnings, false), "-a  -wx ");
    EXPECT_EQ(apply_option_box("", OptionBox::WarningsAsErrors, true), "-wx ");
}

TEST(OptionLine, DerivingFieldsFromTheLine) {
    OptionFields f = derive_option_fields("-msw -o -r -wx -DDEBUG -DVER=2 -Iinc -I\"my inc\" -x - -D");
    EXPECT_TRUE(f.boxes[static_cast<size_t>(OptionBox::Optimise)]);
    EXPECT_TRUE(f.boxes[static_cast<size_t>(OptionBox::StrictPrototypes)]);
    EXPECT_FALSE(f.boxes[static_cast<size_t>(OptionBox::StackCheck)]);
    EXPECT_FALSE(f.boxes[static_cast<size_t>(OptionBox::Warnings)]);
    EXPECT_TRUE(f.boxes[static_cast<size_t>(OptionBox::WarningsAsErrors)]);
    EXPECT_EQ(f.macros, "DEBUG VER=2");
    EXPECT_EQ(f.includes, "inc \"my inc\"");
    // "-oo" or "o" without a dash tick nothing.
    OptionFields g = derive_option_fields("-oo o -s");
    EXPECT_FALSE(g.boxes[0]);
    EXPECT_TRUE(g.boxes[2]);
}

TEST(OptionLine, MacroAndIncludeFieldsRewriteTheirTokens) {
    EXPECT_EQ(apply_macro_field("-msw -DOLD -o -DX", "A B A"), "-msw -o -DA -DB ");
    EXPECT_EQ(apply_macro_field("-msw -DOLD", ""), "-msw ");
    EXPECT_EQ(apply_include_field("-Iold -o", "inc  \"a b\""), "-o -Iinc -I\"a b\" ");
    // The macro field leaves -I tokens alone and the other way round.
    EXPECT_EQ(apply_include_field("-DX -Iy", "z"), "-DX -Iz ");
    // Deriving again gives back what was typed.
    EXPECT_EQ(derive_option_fields(apply_macro_field("-o", "P Q=1")).macros, "P Q=1");
}

}  // namespace
}  // namespace lumora::ide
