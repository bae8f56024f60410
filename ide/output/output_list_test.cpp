#include "ide/output/output_list.h"

#include <gtest/gtest.h>

#include "ide/output/jump_target.h"

namespace lumora::ide {
namespace {

using platform::PathStyle;

TEST(OutputList, NotifiesAppendsAndClearsAndBeeps) {
    OutputList list;
    std::vector<std::string> events;
    int beeps = 0;
    list.add_listener([&](OutputList::Change c, size_t first, size_t count) {
        events.push_back((c == OutputList::Change::Appended ? "A" : "C") + std::to_string(first) + "/" +
                         std::to_string(count));
    });
    list.set_beep_handler([&] { ++beeps; });
    list.add_message("Build Start 10:00:00", false);
    list.add_tool_line("\x07main.c(3) : Error: x");
    list.add_search_result("a.c(9): hit", "/p/a.c", 9);
    EXPECT_EQ(beeps, 1);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.at(1).kind, kCompileError);
    EXPECT_EQ(list.at(1).text, "main.c(3) : Error: x");
    EXPECT_EQ(list.at(2).kind, kSearchResult);
    EXPECT_EQ(list.at(2).file, "/p/a.c");
    EXPECT_EQ(list.at(2).line, 9);
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(events, (std::vector<std::string>{"A0/1", "A1/1", "A2/1", "C0/0"}));
}

TEST(OutputList, CountsKindsFromAStartLine) {
    OutputList list;
    list.add_tool_line("a.c(1) : Error: x");
    list.add_tool_line("a.c(2) : warning: x");
    list.add_message("ﾘﾝｸ中...", false);
    list.add_tool_line("LINKER : Error 1: y");
    list.add_tool_line("LINKER : Warning 2: y");
    EXPECT_EQ(list.count_kind(kCompileError), 1);
    EXPECT_EQ(list.count_kind(kCompileWarning), 1);
    EXPECT_EQ(list.count_kind(kLinkError, 3), 1);
    EXPECT_EQ(list.count_kind(kLinkWarning, 4), 1);
    EXPECT_EQ(list.count_kind(kCompileError, 1), 0);
}

TEST(OutputList, NextAndPreviousErrorWrapAndSkipOtherKinds) {
    OutputList list;
    list.add_message("plain", false);             // 0
    list.add_tool_line("a.c(1) : Error: x");      // 1
    list.add_tool_line("LINKER : Error 1: y");    // 2 link error: skipped
    list.add_tool_line("LINKER : Warning 1: y");  // 3 link warning: skipped
    list.add_search_result("s", "/a.c", 1);       // 4 search result: skipped
    list.add_tool_line("b.c(2) : warning 3: x");  // 5
    EXPECT_EQ(list.find_error(std::nullopt, true), 1u);
    EXPECT_EQ(list.find_error(std::nullopt, false), 5u);
    EXPECT_EQ(list.find_error(1, true), 5u);
    EXPECT_EQ(list.find_error(5, true), 1u);   // wraps at the end
    EXPECT_EQ(list.find_error(1, false), 5u);  // wraps at the start
    EXPECT_EQ(list.find_error(3, false), 1u);

    OutputList single;
    single.add_message("x", false);
    single.add_tool_line("a.c(1) : Error: x");
    EXPECT_EQ(single.find_error(1, true), 1u);  // only itself
    OutputList none;
    none.add_message("x", false);
    EXPECT_EQ(none.find_error(0, true), std::nullopt);
    EXPECT_EQ(OutputList().find_error(std::nullopt, true), std::nullopt);
}

TEST(OutputSelection, FollowsOnlyWhileAtTheEnd) {
    OutputSelection sel;
    EXPECT_TRUE(sel.on_appended(0, 3));
    EXPECT_EQ(sel.selected(), 2u);
    EXPECT_TRUE(sel.on_appended(3, 5));
    EXPECT_EQ(sel.selected(), 4u);
    sel.select(1, 5);
    EXPECT_FALSE(sel.on_appended(5, 7));
    EXPECT_EQ(sel.selected(), 1u);
    sel.select(99, 7);  // clamped to the last line
    EXPECT_EQ(sel.selected(), 6u);
    sel.on_cleared();
    EXPECT_FALSE(sel.selected().has_value());
}

TEST(JumpTarget, ResolvesAgainstTheProjectFolder) {
    OutputMessage err{"x", "src\\io.c", 3, kCompileError};
    auto t = resolve_jump_target(err, "/home/u/demo", PathStyle::Posix);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->path, "/home/u/demo/src/io.c");
    EXPECT_EQ(t->line, 3);
    t = resolve_jump_target(err, "C:\\work\\demo", PathStyle::Windows);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->path, "C:\\work\\demo\\src\\io.c");
    OutputMessage warn{"x", "..\\lib\\x.c", 8, kCompileWarning};
    EXPECT_EQ(resolve_jump_target(warn, "C:\\work\\demo", PathStyle::Windows)->path, "C:\\work\\lib\\x.c");
    OutputMessage abs{"x", "D:\\a.c", 1, kCompileError};
    EXPECT_EQ(resolve_jump_target(abs, "C:\\work\\demo", PathStyle::Windows)->path, "D:\\a.c");
    OutputMessage found{"x", "/other/a.c", 4, kSearchResult};
    EXPECT_EQ(resolve_jump_target(found, "/home/u/demo", PathStyle::Posix)->path, "/other/a.c");
}

TEST(JumpTarget, NowhereForPlainLinkErrorsNoFileOrNoProject) {
    EXPECT_FALSE(resolve_jump_target({"x", "main.c", 1, kPlain}, "/p", PathStyle::Posix));
    EXPECT_FALSE(resolve_jump_target({"x", "LINKER", 0, kLinkError}, "/p", PathStyle::Posix));
    EXPECT_FALSE(resolve_jump_target({"Fatal error", "", 0, kCompileError}, "/p", PathStyle::Posix));
    EXPECT_FALSE(resolve_jump_target({"x", "main.c", 1, kCompileError}, "", PathStyle::Posix));
}

TEST(JumpTarget, PreScrollLine) {
    EXPECT_EQ(pre_scroll_line(10, 20), 20);
    EXPECT_EQ(pre_scroll_line(10, 3), 11);
    EXPECT_EQ(pre_scroll_line(10, 1), std::nullopt);
}

}  // namespace
}  // namespace lumora::ide
