#include "ide/output/output_message.h"

#include <gtest/gtest.h>

#include <random>

namespace lumora::ide {
namespace {

struct Row {
    const char* line;
    int kind;
    const char* file;  // nullptr: not checked
    int line_no;       // -1: not checked
};

TEST(ClassifyLine, CompilerAndLinkerForms) {
    const Row rows[] = {
        {"main.c(12) : Error: some text", kCompileError, "main.c", 12},
        {"main.c(12) : warning 5: some text", kCompileWarning, "main.c", 12},
        {"main.c(12) : Warning 5: some text", kCompileError, "main.c", 12},
        {"src/io.c(3) : Error: x", kCompileError, "src\\io.c", 3},
        {".\\io.c(3) : Error: x", kCompileError, "io.c", 3},
        {"main.c(12): Error", kPlain, nullptr, 0},
        {"Fatal error: some text", kCompileError, "", 0},
        {"LINKER : Error 8: some text", kLinkError, "LINKER", 0},
        {"LINKER : Warning 13: some text", kLinkWarning, "LINKER", 0},
        {"x : Warning: a Error: b", kLinkWarning, "x", 0},
        {"x : Error: a Warning: b", kLinkError, "x", 0},
        {"bin\\main.Obj(main) Error 42: some text", kPlain, nullptr, 0},
        {"Linking...", kPlain, "", 0},
        {"", kPlain, "", 0},
        // A separator character ends the walk before any file.
        {"a,b(1) : Error", kPlain, "", 0},
        {"\"q.c\"(1) : Error", kPlain, "", 0},
        // Parenthesis without digits, or digits without ")".
        {"f.c() : Error", kPlain, nullptr, 0},
        {"f.c(12", kPlain, nullptr, 0},
        // A blank after ")" but nothing after it.
        {"f.c(7) ", kPlain, nullptr, 0},
        // Just one character after the blank: an error, the words lie beyond the end.
        {"f.c(7) x", kCompileError, "f.c", 7},
        // "warning" must start three characters after the blank.
        {"f.c(7) :warning", kCompileError, "f.c", 7},
        {"f.c(7) - warning x", kCompileWarning, "f.c", 7},
        // A colon ends the file too, so a drive letter reads as a linker line.
        {"C:\\x\\y.c(3) : Error", kLinkError, "C", 0},
        {"note: nothing here", kPlain, "note", 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.line);
        OutputMessage m = classify_line(r.line);
        EXPECT_EQ(m.kind, r.kind);
        EXPECT_EQ(m.text, r.line);
        if (r.file) {
            EXPECT_EQ(m.file, r.file);
        }
        if (r.line_no >= 0 && r.kind != kPlain) {
            EXPECT_EQ(m.line, r.line_no);
        }
        if (r.kind == kPlain || r.kind >= kLinkError) {
            EXPECT_EQ(m.line, 0);
        }
    }
}

TEST(ClassifyLine, JapaneseWarningWordAndHugeLineNumber) {
    // "警告" in Shift-JIS.
    OutputMessage m = classify_line("a.c(4) : \x8C\x78\x8D\x90: x");
    EXPECT_EQ(m.kind, kCompileWarning);
    EXPECT_EQ(m.line, 4);
    m = classify_line("a.c(99999999999999999999) : Error");
    EXPECT_EQ(m.kind, kCompileError);
    EXPECT_EQ(m.line, 2147483647);
}

TEST(BuildMessage, BellIsRemovedAndReportedForEveryKind) {
    BuiltMessage b = build_message("\x07main.c(1) : Error: x", true);
    EXPECT_TRUE(b.beep);
    EXPECT_EQ(b.message.text, "main.c(1) : Error: x");
    EXPECT_EQ(b.message.kind, kCompileError);
    b = build_message("\x07plain", false);
    EXPECT_TRUE(b.beep);
    EXPECT_EQ(b.message.text, "plain");
    // Unclassified lines stay plain whatever they say.
    b = build_message("main.c(1) : Error: x", false);
    EXPECT_FALSE(b.beep);
    EXPECT_EQ(b.message.kind, kPlain);
    EXPECT_EQ(b.message.file, "");
    // Only a leading BEL counts.
    b = build_message("a\x07", true);
    EXPECT_FALSE(b.beep);
    EXPECT_EQ(b.message.text, "a\x07");
}

TEST(ToolText, Utf8BecomesShiftJisOtherBytesStay) {
    // "警告" as UTF-8 from a host tool.
    EXPECT_EQ(tool_text_to_sjis("a.c(1) : \xE8\xAD\xA6\xE5\x91\x8A"), "a.c(1) : \x8C\x78\x8D\x90");
    EXPECT_EQ(classify_line(tool_text_to_sjis("a.c(1) : \xE8\xAD\xA6\xE5\x91\x8A")).kind, kCompileWarning);
    // Already Shift-JIS (not valid UTF-8): untouched.
    EXPECT_EQ(tool_text_to_sjis("\x8C\x78\x8D\x90"), "\x8C\x78\x8D\x90");
    EXPECT_EQ(tool_text_to_sjis("plain ascii"), "plain ascii");
    // Shift-JIS that happens to be valid UTF-8: "ﾃｽ" (C3 BD) would be U+00FD,
    // which code page 932 cannot hold, so the bytes are Shift-JIS after all.
    EXPECT_EQ(tool_text_to_sjis("\xC3\xBD.c(2) : Error: x"), "\xC3\xBD.c(2) : Error: x");
    // A line with any character outside code page 932 keeps all its bytes.
    EXPECT_EQ(tool_text_to_sjis("\xE8\xAD\xA6 \xC3\xBD"), "\xE8\xAD\xA6 \xC3\xBD");
}

TEST(ColourClass, ByKind) {
    EXPECT_EQ(colour_class_for_kind(kCompileError), 11);
    EXPECT_EQ(colour_class_for_kind(kCompileWarning), 12);
    EXPECT_EQ(colour_class_for_kind(kLinkWarning), 12);
    EXPECT_EQ(colour_class_for_kind(kLinkError), 13);
    EXPECT_EQ(colour_class_for_kind(kPlain), 0);
    EXPECT_EQ(colour_class_for_kind(kSearchResult), 0);
    EXPECT_EQ(colour_class_for_kind(99), 0);
}

TEST(ClassifyLine, SurvivesTruncatedAndMutatedLines) {
    const std::string seeds[] = {"main.c(12) : warning 5: some text", "LINKER : Error 8: x",
                                 "a.c(4) : \x8C\x78\x8D\x90: x", "Fatal error: x"};
    std::mt19937 rng(1234);
    for (const std::string& seed : seeds) {
        for (size_t cut = 0; cut <= seed.size(); ++cut) {
            OutputMessage m = classify_line(seed.substr(0, cut));
            EXPECT_LE(m.file.size(), cut);
            EXPECT_GE(m.kind, kPlain);
            EXPECT_LE(m.kind, kLinkWarning);
        }
        for (int i = 0; i < 2000; ++i) {
            std::string s = seed;
            for (int k = 0; k < 3; ++k) s[rng() % s.size()] = static_cast<char>(rng() & 0xFF);
            OutputMessage m = classify_line(s);
            EXPECT_GE(m.line, 0);
            EXPECT_LE(m.file.size(), s.size());
        }
    }
}

}  // namespace
}  // namespace lumora::ide
