#include "ide/editor/edit_controller.h"

#include <gtest/gtest.h>

#include <random>

namespace lumora::editor {
namespace {

using Lines = std::vector<std::string>;

Lines lines_of(const CTextDoc& doc) {
    Lines out;
    for (int i = 0; i < doc.line_count(); ++i) out.emplace_back(doc.line_text(i));
    return out;
}

struct Editor {
    CTextDoc doc;
    EditController ed;
    explicit Editor(const Lines& lines, int tab = 4) : doc(nullptr, tab), ed(doc) { doc.set_lines(lines); }
    void type(std::string_view s) {
        for (char c : s) ed.type_byte(static_cast<uint8_t>(c));
    }
};

TEST(CaretKeys, LeftRightOverTabsDoubleBytesAndVirtualSpace) {
    Editor e({"\ta", "\x82\xA0x"}, 8);
    e.ed.mouse_down({5, 0}, false);  // inside the tab: snaps to its left edge
    EXPECT_EQ(e.ed.caret(), (CaretPos{0, 0}));
    e.ed.move(CaretKey::kRight);
    EXPECT_EQ(e.ed.caret(), (CaretPos{8, 0}));
    e.ed.move(CaretKey::kRight);
    e.ed.move(CaretKey::kRight);
    EXPECT_EQ(e.ed.caret(), (CaretPos{10, 0}));  // virtual space
    for (int i = 0; i < 600; ++i) e.ed.move(CaretKey::kRight);
    EXPECT_EQ(e.ed.caret(), (CaretPos{EditController::kMaxColumn, 0}));
    e.ed.set_caret({0, 1});
    e.ed.move(CaretKey::kRight);
    EXPECT_EQ(e.ed.caret(), (CaretPos{2, 1}));  // a double-byte character at once
    e.ed.move(CaretKey::kLeft);
    EXPECT_EQ(e.ed.caret(), (CaretPos{0, 1}));
    e.ed.move(CaretKey::kLeft);
    EXPECT_EQ(e.ed.caret(), (CaretPos{0, 1}));  // no wrap
}

TEST(CaretKeys, UpDownPageHomeEnd) {
    Editor e({"a long line of text here", "abc", "\t\tx", "", "last"});
    e.ed.set_caret({20, 0});
    e.ed.move(CaretKey::kDown);
    EXPECT_EQ(e.ed.caret(), (CaretPos{20, 1}));  // stays in virtual space
    e.ed.move(CaretKey::kDown);
    EXPECT_EQ(e.ed.caret(), (CaretPos{20, 2}));
    e.ed.set_caret({5, 1});
    e.ed.move(CaretKey::kDown);
    EXPECT_EQ(e.ed.caret(), (CaretPos{4, 2}));  // snapped to the second tab's start
    e.ed.move(CaretKey::kHome);
    EXPECT_EQ(e.ed.caret(), (CaretPos{8, 2}));  // end of the leading run first
    e.ed.move(CaretKey::kHome);
    EXPECT_EQ(e.ed.caret(), (CaretPos{0, 2}));
    e.ed.move(CaretKey::kEnd);
    EXPECT_EQ(e.ed.caret(), (CaretPos{9, 2}));
    e.ed.move(CaretKey::kEnd, true);
    EXPECT_EQ(e.ed.caret(), (CaretPos{4, 4}));
    e.ed.move(CaretKey::kDown);
    EXPECT_EQ(e.ed.caret(), (CaretPos{4, 4}));
    e.ed.move(CaretKey::kHome, true, true);
    EXPECT_EQ(e.ed.caret(), (CaretPos{0, 0}));
    EXPECT_EQ(e.ed.anchor(), (CaretPos{4, 4}));  // Shift extends
    e.ed.set_visible_rows(5);
    e.ed.move(CaretKey::kPageDown);
    EXPECT_EQ(e.ed.caret(), (CaretPos{0, 2}));
    e.ed.set_visible_rows(0);
    e.ed.move(CaretKey::kPageUp);
    EXPECT_EQ(e.ed.caret(), (CaretPos{0, 1}));
}

TEST(CaretKeys, CtrlLeftRightByTokens) {
    Editor e({"foo(bar);", "\t  next", "x"});
    e.ed.set_caret({6, 0});
    e.ed.move(CaretKey::kLeft, true);
    EXPECT_EQ(e.ed.caret(), (CaretPos{4, 0}));
    e.ed.move(CaretKey::kRight, true);
    EXPECT_EQ(e.ed.caret(), (CaretPos{7, 0}));
    e.ed.set_caret({30, 0});
    e.ed.move(CaretKey::kLeft, true);
    EXPECT_EQ(e.ed.caret(), (CaretPos{7, 0}));  // start of the last token ");"
    e.ed.set_caret({9, 0});
    e.ed.move(CaretKey::kRight, true);
    EXPECT_EQ(e.ed.caret(), (CaretPos{6, 1}));  // past the blank run of the next line
    e.ed.set_caret({0, 1});
    e.ed.move(CaretKey::kLeft, true);
    EXPECT_EQ(e.ed.caret(), (CaretPos{7, 0}));
    e.ed.set_caret({5, 2});
    e.ed.move(CaretKey::kRight, true);
    EXPECT_EQ(e.ed.caret(), (CaretPos{1, 2}));  // last line: to its end
}

TEST(Typing, PaddingEnterIndentAndDoubleByte) {
    Editor e({"\tif (x)"}, 4);
    e.ed.move(CaretKey::kEnd);
    e.ed.enter();
    EXPECT_EQ(lines_of(e.doc), (Lines{"\tif (x)", ""}));
    EXPECT_EQ(e.ed.caret(), (CaretPos{4, 1}));  // virtual space, nothing inserted
    e.type("y");
    EXPECT_EQ(lines_of(e.doc), (Lines{"\tif (x)", "\ty"}));
    EXPECT_EQ(e.ed.caret(), (CaretPos{5, 1}));
    // Enter inside a line indents the new line's text.
    e.ed.set_caret({6, 0});
    e.ed.enter();
    EXPECT_EQ(lines_of(e.doc), (Lines{"\tif", "\t (x)", "\ty"}));
    EXPECT_EQ(e.ed.caret(), (CaretPos{4, 1}));
    // A lead byte waits for its trail.
    e.ed.set_caret({0, 2});
    e.ed.type_byte(0x82);
    EXPECT_EQ(e.doc.line_text(2), "\ty");
    e.ed.type_byte(0xA0);
    EXPECT_EQ(e.doc.line_text(2), "\x82\xA0\ty");
    EXPECT_EQ(e.ed.caret(), (CaretPos{2, 2}));
    // Control characters are not typed.
    e.ed.type_byte(0x07);
    EXPECT_EQ(e.doc.line_text(2), "\x82\xA0\ty");
}

TEST(Typing, OverwriteReplacesWholeDoubleByteCharacter) {
    Editor e({"\x82\xA0\x82\xA2z"});
    e.ed.toggle_overwrite();
    e.type("a");
    EXPECT_EQ(e.doc.line_text(0), "a\x82\xA2z");
    e.ed.move(CaretKey::kEnd);
    e.type("b");  // at the end overwrite just appends
    EXPECT_EQ(e.doc.line_text(0), "a\x82\xA2zb");
}

TEST(Typing, SelectionIsReplaced) {
    Editor e({"hello world"});
    e.ed.set_selection({0, 0}, {5, 0});
    e.type("X");
    EXPECT_EQ(e.doc.line_text(0), "X world");
    EXPECT_EQ(e.ed.caret(), (CaretPos{1, 0}));
    EXPECT_FALSE(e.ed.has_selection());
}

TEST(Keys, BackspaceDeleteAndCtrlDelete) {
    Editor e({"ab\x82\xA0", "cd", "ef"});
    e.ed.set_caret({4, 0});
    e.ed.backspace();
    EXPECT_EQ(e.doc.line_text(0), "ab");
    e.ed.set_caret({0, 1});
    e.ed.backspace();  // joins with the previous line
    EXPECT_EQ(lines_of(e.doc), (Lines{"abcd", "ef"}));
    EXPECT_EQ(e.ed.caret(), (CaretPos{2, 0}));
    e.ed.set_caret({9, 1});
    e.ed.backspace();  // virtual space: only moves
    EXPECT_EQ(lines_of(e.doc), (Lines{"abcd", "ef"}));
    EXPECT_EQ(e.ed.caret(), (CaretPos{8, 1}));
    e.ed.set_caret({0, 0});
    e.ed.backspace();
    EXPECT_EQ(lines_of(e.doc), (Lines{"abcd", "ef"}));

    e.ed.set_caret({1, 0});
    e.ed.delete_key();
    EXPECT_EQ(lines_of(e.doc), (Lines{"acd", "ef"}));
    e.ed.set_caret({5, 0});  // past the end: pads then joins
    e.ed.delete_key();
    EXPECT_EQ(lines_of(e.doc), (Lines{"acd\t ef"}));
    e.ed.set_selection({1, 0}, {3, 0});
    e.ed.delete_key();
    EXPECT_EQ(lines_of(e.doc), (Lines{"a\t ef"}));
    EXPECT_EQ(e.ed.caret(), (CaretPos{1, 0}));
    e.ed.set_caret({1, 0});
    e.ed.ctrl_delete();  // the blank run
    EXPECT_EQ(lines_of(e.doc), (Lines{"aef"}));
    e.ed.set_caret({3, 0});
    e.ed.ctrl_delete();  // at the end: nothing
    EXPECT_EQ(lines_of(e.doc), (Lines{"aef"}));
}

TEST(Keys, TabIndentsBlockAndOneUndoRestores) {
    Editor e({"one", "two", "three", "four"});
    e.ed.set_selection({1, 0}, {0, 3});  // reaches line 3 only at column 0
    e.ed.tab(false);
    EXPECT_EQ(lines_of(e.doc), (Lines{"\tone", "\ttwo", "\tthree", "four"}));
    EXPECT_EQ(e.ed.anchor(), (CaretPos{0, 0}));
    EXPECT_EQ(e.ed.caret(), (CaretPos{0, 3}));
    e.ed.tab(true);
    EXPECT_EQ(lines_of(e.doc), (Lines{"one", "two", "three", "four"}));
    e.ed.undo();
    EXPECT_EQ(lines_of(e.doc), (Lines{"\tone", "\ttwo", "\tthree", "four"}));
    e.ed.undo();
    EXPECT_EQ(lines_of(e.doc), (Lines{"one", "two", "three", "four"}));
    // Without a block Tab inserts a tab, replacing a one-line selection.
    e.ed.set_selection({0, 1}, {2, 1});
    e.ed.tab(false);
    EXPECT_EQ(e.doc.line_text(1), "\to");
}

TEST(Clipboard, CopyCutPasteAndWordAtCaret) {
    Editor e({"int count2 = 1;", "next line", "end"});
    e.ed.set_caret({6, 0});
    EXPECT_EQ(e.ed.word_at_caret(), "count2");
    e.ed.set_caret({40, 0});
    EXPECT_EQ(e.ed.word_at_caret(), ";");
    EXPECT_EQ(e.ed.copy_text(), "int count2 = 1;\r\n");
    e.ed.set_caret({4, 1});
    e.ed.paste(e.ed.copy_text().substr(0, 0) + "int count2 = 1;\r\n");
    EXPECT_EQ(lines_of(e.doc), (Lines{"int count2 = 1;", "nextint count2 = 1;", " line", "end"}));
    EXPECT_EQ(e.ed.caret(), (CaretPos{0, 2}));
    e.ed.set_selection({4, 0}, {3, 2});
    EXPECT_EQ(e.ed.selected_text(), "count2 = 1;\r\nnextint count2 = 1;\r\n li");
    EXPECT_EQ(e.ed.word_at_caret(), e.ed.selected_text());
    std::string cut = e.ed.cut();
    EXPECT_EQ(cut, "count2 = 1;\r\nnextint count2 = 1;\r\n li");
    EXPECT_EQ(lines_of(e.doc), (Lines{"int ne", "end"}));
    EXPECT_EQ(e.ed.cut(), "");  // nothing selected
    e.ed.set_caret({0, 3});
    EXPECT_EQ(e.ed.word_at_caret(), "end");  // the caret line is clamped to the last
}

TEST(Clipboard, ConvertCaseKeepsSelection) {
    Editor e({"abc 123"});
    e.ed.set_selection({0, 0}, {7, 0});
    e.ed.convert_case(true);
    EXPECT_EQ(e.doc.line_text(0), "ABC 123");
    EXPECT_EQ(e.ed.caret(), (CaretPos{7, 0}));
    EXPECT_EQ(e.ed.anchor(), (CaretPos{0, 0}));
}

TEST(Mouse, DoubleClickSelectsTokenAndClicksBelowTheText) {
    Editor e({"foo bar"});
    e.ed.double_click({5, 0});
    EXPECT_EQ(e.ed.caret(), (CaretPos{4, 0}));
    EXPECT_EQ(e.ed.anchor(), (CaretPos{7, 0}));
    e.ed.double_click({9, 0});  // past the end: nothing
    EXPECT_EQ(e.ed.caret(), (CaretPos{4, 0}));
    e.ed.mouse_down({12, 9}, false);
    EXPECT_EQ(e.ed.caret(), (CaretPos{12, 0}));
    e.ed.mouse_drag({1, 0});
    EXPECT_EQ(e.ed.anchor(), (CaretPos{12, 0}));
    EXPECT_EQ(e.ed.caret(), (CaretPos{1, 0}));
}

TEST(Views, TwoControllersOneDocumentAndUndoCaret) {
    CTextDoc doc;
    doc.set_lines({"abc", "def"});
    PendingLeadByte shared;
    EditController one(doc, &shared), two(doc, &shared);
    two.set_caret({1, 1});
    one.set_caret({3, 0});
    one.type_byte('x');
    EXPECT_EQ(one.caret(), (CaretPos{4, 0}));
    EXPECT_EQ(two.caret(), (CaretPos{1, 1}));
    // A half-typed double-byte character is shared between views.
    one.type_byte(0x82);
    two.type_byte(0xA0);
    EXPECT_EQ(doc.line_text(1),
              "d\x82\xA0"
              "ef");
    // Undo puts every view's caret at the undone place.
    one.undo();
    EXPECT_EQ(one.caret(), (CaretPos{1, 1}));
    EXPECT_EQ(two.caret(), (CaretPos{1, 1}));
    one.undo();
    EXPECT_EQ(one.caret(), (CaretPos{3, 0}));
    one.redo();
    EXPECT_EQ(one.caret(), (CaretPos{4, 0}));
    EXPECT_EQ(one.line_status(), "  1行");
    EXPECT_EQ(one.column_status(), "  5桁");
}

// Random keys and commands: nothing crashes, the caret stays inside its
// limits, and undoing everything brings back the starting text.
TEST(Robustness, RandomKeysThenUndoAll) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 40; ++round) {
        Editor e({"int main(void)", "{", "\treturn \x82\xA0;", "}"}, 2 + 2 * static_cast<int>(rng() % 3));
        const std::string start = e.doc.joined_text();
        e.ed.set_visible_rows(static_cast<int>(rng() % 30));
        for (int step = 0; step < 150; ++step) {
            const bool shift = rng() % 3 == 0;
            switch (rng() % 16) {
                case 0:
                    e.ed.type_byte(static_cast<uint8_t>("ab {}\x82\xA0\xB1/*\""[rng() % 12]));
                    break;
                case 1:
                    e.ed.enter();
                    break;
                case 2:
                    e.ed.tab(shift);
                    break;
                case 3:
                    e.ed.backspace();
                    break;
                case 4:
                    e.ed.delete_key();
                    break;
                case 5:
                    e.ed.ctrl_delete();
                    break;
                case 6:
                    e.ed.paste(rng() % 2 ? "x\r\ny" : "\t z");
                    break;
                case 7:
                    e.ed.cut();
                    break;
                case 8:
                    e.ed.convert_case(rng() % 2);
                    break;
                case 9:
                    e.ed.toggle_overwrite();
                    break;
                case 10:
                    e.ed.undo();
                    break;
                case 11:
                    e.ed.redo();
                    break;
                case 12:
                    e.ed.mouse_down({static_cast<int>(rng() % 40), static_cast<int>(rng() % 12)}, shift);
                    break;
                case 13:
                    e.ed.double_click({static_cast<int>(rng() % 20), static_cast<int>(rng() % 8)});
                    break;
                default:
                    e.ed.move(static_cast<CaretKey>(rng() % 8), rng() % 2, shift);
                    break;
            }
            for (CaretPos p : {e.ed.caret(), e.ed.anchor()}) {
                ASSERT_GE(p.column, 0);
                ASSERT_LE(p.column, EditController::kMaxColumn);
                ASSERT_GE(p.line, 0);
                ASSERT_LE(p.line, std::max(e.doc.line_count() - 1, 0));
            }
        }
        while (e.doc.can_undo()) e.doc.undo(nullptr);
        EXPECT_EQ(e.doc.joined_text(), start) << "round " << round;
    }
}

}  // namespace
}  // namespace lumora::editor
