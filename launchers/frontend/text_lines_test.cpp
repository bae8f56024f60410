#include "text_lines.h"

#include <gtest/gtest.h>

#include "tests/support/scratch_folder_test.h"

namespace lumora::launchers {
namespace {

using Lines = std::vector<std::string>;

TEST(TextLines, EveryLineEndingEndsALineAndAnUnendedLastLineCounts) {
    EXPECT_EQ(split_lines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(split_lines("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(split_lines("\n\r"), (Lines{"", ""}));  // LF, then a lone CR
    EXPECT_TRUE(split_lines("").empty());
}

TEST(TextLines, ShiftJisMessagesBecomeUtf8AndUtf8StaysAsItIs) {
    EXPECT_EQ(message_text_to_utf8("\x83\x65\x83\x58\x83\x67"), "テスト");
    EXPECT_EQ(message_text_to_utf8("テスト"), "テスト");
}

class MessageFileTest : public testing::ScratchFolderTest {};

TEST_F(MessageFileTest, ReadsLinesAndTellsAMissingFileFromAnEmptyOne) {
    write("x.mes", std::string("warning\r\n\x83\x65\r\n"));
    EXPECT_EQ(read_message_lines(path("x.mes")), (Lines{"warning", "テ"}));
    write("empty.mes", std::string());
    ASSERT_TRUE(read_message_lines(path("empty.mes")));
    EXPECT_TRUE(read_message_lines(path("empty.mes"))->empty());
    EXPECT_FALSE(read_message_lines(path("none.mes")));
}

}  // namespace
}  // namespace lumora::launchers
