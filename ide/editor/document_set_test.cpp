#include "ide/editor/document_set.h"

#include <gtest/gtest.h>

#include "ide/editor/test_util.h"

namespace lumora::editor {
namespace {

using testing::ScratchDir;
using testing::write_file;

TEST(OpenDocument, KindsCaseAndFailures) {
    ScratchDir dir;
    write_file(dir.file("prog.cpp"), "int a;\r\n");
    write_file(dir.file("song.mml"), "cde\n");
    write_file(dir.file("readme.txt"), "hi");
    write_file(dir.file("noext"), "hi");
    write_file(dir.file("bin.c"), std::string("\x1B$@x", 4));
    DocumentSet set(nullptr, 4);
    OpenOutcome o = set.open(dir.file("prog.cpp"));
    ASSERT_NE(o.document, nullptr);
    EXPECT_FALSE(o.already_open);
    EXPECT_EQ(o.document->text_type(), kTypeC);
    EXPECT_EQ(set.open(dir.file("song.mml")).document->text_type(), kTypeMml);
    EXPECT_EQ(set.open(dir.file("readme.txt")).document->text_type(), kTypeText);
    EXPECT_EQ(set.open(dir.file("noext")).document->text_type(), kTypeText);
    // Same path in other letters: the open document.
    OpenOutcome again = set.open(dir.path() + "/PROG.CPP");
    EXPECT_TRUE(again.already_open);
    EXPECT_EQ(again.document, o.document);
    EXPECT_EQ(set.documents().size(), 4u);
    OpenOutcome bad = set.open(dir.file("bin.c"));
    EXPECT_TRUE(bad.not_text);
    EXPECT_EQ(bad.document, nullptr);
    OpenOutcome missing = set.open(dir.file("missing.c"));
    EXPECT_EQ(missing.document, nullptr);
    EXPECT_FALSE(missing.error.empty());
    // Two real files that differ only in case stay two documents.
    write_file(dir.file("Prog.cpp"), "other");
    OpenOutcome other = set.open(dir.file("Prog.cpp"));
    EXPECT_FALSE(other.already_open);
    EXPECT_EQ(other.document->line_text(0), "other");
    set.close(other.document);
    EXPECT_EQ(set.documents().size(), 4u);
}

TEST(OpenDocument, CaretAtLineOrText) {
    CTextDoc doc;
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i) lines.push_back("line " + std::to_string(i));
    lines[60] = "int count2, count;";
    doc.set_lines(lines);
    EditController view(doc);
    view.set_visible_rows(20);
    std::vector<int> moves;
    auto track = [&] { moves.push_back(view.caret().line); };
    place_caret_after_open(view, 30, "", false, track);
    // Line 30 with 10 rows in half a window: row 30 + 10 - 1 first, so line 30
    // sits mid-window with the following lines below it.
    EXPECT_EQ(moves, (std::vector<int>{39, 29}));
    EXPECT_EQ(view.caret(), (CaretPos{0, 29}));
    moves.clear();
    go_to_line_centred(view, 95, track);
    EXPECT_EQ(moves, (std::vector<int>{99, 94})) << "the first move stops at the last line";
    moves.clear();
    view.set_visible_rows(1);
    go_to_line_centred(view, 5, track);
    EXPECT_EQ(moves, (std::vector<int>{4})) << "no half window, no first move";
    view.set_visible_rows(20);
    place_caret_after_open(view, -1, "count", false);
    EXPECT_EQ(view.anchor(), (CaretPos{12, 60}));  // whole word: not inside count2
    EXPECT_EQ(view.caret(), (CaretPos{17, 60}));
    place_caret_after_open(view, 0, "count", true);  // an open document goes to line 1
    EXPECT_EQ(view.caret(), (CaretPos{0, 0}));
    place_caret_after_open(view, 500, "", true);
    EXPECT_EQ(view.caret(), (CaretPos{0, 99}));
}

TEST(OpenDocument, InitialFindText) {
    CTextDoc doc;
    doc.set_lines({"alpha beta", ""});
    EditController view(doc);
    SearchSettings s;
    s.find_text = "stored";
    view.set_caret({7, 0});
    EXPECT_EQ(initial_find_text(view, s), "beta");
    view.set_selection({0, 0}, {3, 0});
    EXPECT_EQ(initial_find_text(view, s), "alp");
    view.set_caret({0, 1});
    EXPECT_EQ(initial_find_text(view, s), "stored");
}

}  // namespace
}  // namespace lumora::editor
