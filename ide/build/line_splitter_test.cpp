#include "ide/build/line_splitter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace lumora::ide {
namespace {

using Lines = std::vector<std::string>;

struct Split {
    Lines lines;
    std::string rest;
};

Split split(std::string_view text, bool final) {
    Split s;
    s.rest = split_lines(text, final, [&](std::string line) { s.lines.push_back(std::move(line)); });
    return s;
}

Lines feed_in_chunks(std::string_view text, const std::vector<size_t>& cuts) {
    Lines lines;
    LineSplitter splitter([&](std::string line) { lines.push_back(std::move(line)); });
    size_t pos = 0;
    for (size_t cut : cuts) {
        splitter.feed(text.substr(pos, cut - pos));
        pos = cut;
    }
    splitter.feed(text.substr(pos));
    splitter.finish();
    return lines;
}

TEST(LineSplitter, LineEndsOfEveryKind) {
    EXPECT_EQ(split("a\r\r\nb", true).lines, (Lines{"a", "", "b"}));
    EXPECT_EQ(split("x\ny\rz\r\n", true).lines, (Lines{"x", "y", "z"}));
    EXPECT_EQ(split("\n\n", true).lines, (Lines{"", ""}));
    EXPECT_EQ(split("\n\r", true).lines, (Lines{"", ""}));  // LF CR is two ends
}

TEST(LineSplitter, UnfinishedLineIsRestUnlessFinal) {
    Split open = split("one\r\ntwo", false);
    EXPECT_EQ(open.lines, (Lines{"one"}));
    EXPECT_EQ(open.rest, "two");
    Split closed = split("abc", true);
    EXPECT_EQ(closed.lines, (Lines{"abc"}));
    EXPECT_EQ(closed.rest, "");
    // A tool whose output ends with a line end adds no empty line at its end.
    EXPECT_EQ(split("abc\r\n", true).lines, (Lines{"abc"}));
}

TEST(LineSplitter, TabsAreDropped) {
    EXPECT_EQ(split("\tmain.c(3)\t: Error:\tx\t\n", true).lines, (Lines{"main.c(3): Error:x"}));
}

TEST(LineSplitter, ShiftJisPairNeverEndsALine) {
    // A lead byte takes a CR along; LF is never part of a character, so a
    // line cut after a lead byte still ends there.
    EXPECT_EQ(split("a\x82\rb\r\n", true).lines, (Lines{"a\x82\rb"}));
    EXPECT_EQ(split("a\x82\nb\nc", true).lines, (Lines{"a\x82", "b", "c"}));
    EXPECT_EQ(split("a\x82\r\nb", true).lines, (Lines{"a\x82\r", "b"}));
    // Shift-JIS "ﾃ" then a lead byte: neither reading as UTF-8 nor as pairs merges the lines.
    EXPECT_EQ(split("\xC3\xE3\nx\n", true).lines, (Lines{"\xC3\xE3", "x"}));
    EXPECT_EQ(split("\xE3\x81\x82\x82\nx\n", true).lines, (Lines{"\xE3\x81\x82\x82", "x"}));
    // A lead byte also takes a TAB along instead of dropping it.
    EXPECT_EQ(split("\x93\tz\n", true).lines, (Lines{"\x93\tz"}));
    // Ordinary double-byte text: 警告 (8C 78 8D 90).
    EXPECT_EQ(split("x(1) : \x8C\x78\x8D\x90\r\n", true).lines, (Lines{"x(1) : \x8C\x78\x8D\x90"}));
}

TEST(LineSplitter, Utf8TextKeepsItsLineEnds) {
    // U+3042 is E3 81 82; taken as Shift-JIS pairs, 0x82 would eat the LF.
    EXPECT_EQ(split("\xE3\x81\x82\nnext\n", true).lines, (Lines{"\xE3\x81\x82", "next"}));
    // U+2019 (E2 80 99) at a line end, as compilers print in quotes.
    EXPECT_EQ(split("it\xE2\x80\x99\r\nb", true).lines, (Lines{"it\xE2\x80\x99", "b"}));
}

TEST(LineSplitter, CarryOverJoinsLinesCutBetweenReads) {
    EXPECT_EQ(feed_in_chunks("main.c(1) : Error: x\r\n", {6}), (Lines{"main.c(1) : Error: x"}));
    // CR at the end of one read, LF at the start of the next: one line end.
    EXPECT_EQ(feed_in_chunks("a\r\nb\r\n", {2}), (Lines{"a", "b"}));
    // A double-byte character cut between two reads stays whole.
    EXPECT_EQ(feed_in_chunks("\x82\rq\n", {1}), (Lines{"\x82\rq"}));
    EXPECT_EQ(feed_in_chunks("\x82\x40\nq\n", {1}), (Lines{"\x82\x40", "q"}));
    EXPECT_EQ(feed_in_chunks("\x82\nq\n", {1}), (Lines{"\x82", "q"}));
    EXPECT_EQ(feed_in_chunks("\xE3\x81\x82\nq\n", {1}), (Lines{"\xE3\x81\x82", "q"}));
    EXPECT_EQ(feed_in_chunks("\xE3\x81\x82\nq\n", {2}), (Lines{"\xE3\x81\x82", "q"}));
}

TEST(LineSplitter, FinishWithAddsTheCancelLineAfterTheRest) {
    Lines lines;
    LineSplitter splitter([&](std::string line) { lines.push_back(std::move(line)); });
    splitter.feed("compiling\r\nhalf");
    splitter.finish_with("stopped");
    EXPECT_EQ(lines, (Lines{"compiling", "half", "stopped"}));
}

// However the bytes are cut into reads, the lines are the same as when the
// whole output arrives at once; random bytes must never crash or overrun.
TEST(LineSplitter, ChunkingNeverChangesTheLines) {
    const std::string alphabet = std::string("ab\t\r\n\x82\x40\xE3\x81\xF0\x9F\x98\xC3\xA9\xFF\x0A", 16);
    std::mt19937 rng(12345);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const size_t length = rng() % 40;
        for (size_t i = 0; i < length; ++i) text.push_back(alphabet[rng() % alphabet.size()]);
        Lines whole;
        split_lines(text, true, [&](std::string line) { whole.push_back(std::move(line)); });
        std::vector<size_t> cuts;
        for (size_t i = 1; i < text.size(); ++i)
            if (rng() % 3 == 0) cuts.push_back(i);
        ASSERT_EQ(feed_in_chunks(text, cuts), whole) << "round " << round;
        // Byte by byte is the hardest cut.
        std::vector<size_t> every;
        for (size_t i = 1; i < text.size(); ++i) every.push_back(i);
        ASSERT_EQ(feed_in_chunks(text, every), whole) << "round " << round;
    }
}

}  // namespace
}  // namespace lumora::ide
