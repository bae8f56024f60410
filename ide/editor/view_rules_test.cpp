// Scrolling in cells and the pieces a line paints.
#include <gtest/gtest.h>

#include "ide/colour_class.h"
#include "ide/editor/draw_state.h"
#include "ide/editor/line_paint.h"
#include "ide/editor/scroll_model.h"
#include "ide/editor/text_doc.h"

namespace lumora::editor {

void PrintTo(const PaintSegment& s, std::ostream* os) {
    *os << "{" << s.column << ",\"" << s.text << "\"," << s.colour << "}";
}

namespace {

TEST(ScrollAxis, KeepsCellsInViewWithAMargin) {
    ScrollAxis v;
    v.set_total(100);
    v.set_visible(10);
    EXPECT_EQ(v.max_position(), 90);
    EXPECT_EQ(v.keep_visible(5), 0);
    // Below the window: the cell and one more line become visible.
    EXPECT_EQ(v.keep_visible(10), 2);
    EXPECT_TRUE(v.is_visible(10) && v.is_visible(11));
    EXPECT_EQ(v.keep_visible(0), -2);
    // The last line cannot have a margin below it.
    v.keep_visible(99);
    EXPECT_EQ(v.position(), 90);
    // A window of one line keeps the cell itself visible.
    v.set_visible(1);
    v.keep_visible(50);
    EXPECT_TRUE(v.is_visible(50));
    // A window too small for a cell pages by 10, and shrinking the document
    // pulls the position back.
    v.set_visible(0);
    EXPECT_EQ(v.page(), ScrollAxis::kDefaultPage);
    v.set_visible(10);
    v.set_position(80);
    v.set_total(20);
    EXPECT_EQ(v.position(), 10);
    v.set_total(5);
    EXPECT_EQ(v.position(), 0);
}

TEST(ScrollAxis, LargeTotalsScaleTheBarButEveryCellStaysReachable) {
    ScrollAxis v;
    v.set_total(30000);
    v.set_visible(40);
    EXPECT_EQ(v.factor(), 1);
    v.set_total(1000000);
    EXPECT_EQ(v.factor(), 34);
    EXPECT_LE(v.bar_maximum(), ScrollAxis::kBarLimit);
    EXPECT_EQ(v.bar_maximum() * v.factor() >= v.max_position(), true);
    // Line steps reach cells between bar positions; the bar keeps showing the
    // scaled value and a bar event at that value does not lose the remainder.
    v.set_position(1000);
    v.scroll_by(1);
    EXPECT_EQ(v.position(), 1001);
    v.set_bar_value(v.bar_value());
    EXPECT_EQ(v.position(), 1001);
    v.set_bar_value(v.bar_maximum());
    EXPECT_EQ(v.position(), v.max_position());
    EXPECT_EQ(v.bar_value(), v.bar_maximum());
    v.set_total(200000000);
    EXPECT_EQ(v.total(), ScrollAxis::kMaxTotal);
}

std::vector<PaintSegment> segments(const TextLine& line, int type, int tab, int sel_from = 0, int sel_to = 0,
                                   int* end = nullptr) {
    int state = 0;
    std::vector<ColourRun> runs;
    colour_line(line, type, state, runs);
    if (sel_to > sel_from) overlay_selection(runs, sel_from, sel_to);
    std::vector<PaintSegment> out;
    int e = paint_segments(line.text, runs, tab, out);
    if (end) *end = e;
    return out;
}

TEST(LinePaint, TabsExpandFromTheirColumnAndDoubleBytesTakeTwoCells) {
    CTextDoc doc(nullptr, 4);
    doc.set_lines({"a\tb \x8a\xbf\t// c", ""});
    const TextLine& line = *doc.line(0);
    int end = 0;
    auto segs = segments(line, kTypeC, 4, 0, 0, &end);
    // a|tab->3 spaces|b|space|kanji (cols 6-7)|tab->0 (col 8)... expanded per run.
    std::string all;
    for (const auto& s : segs) {
        EXPECT_EQ(s.column, static_cast<int>(all.size())) << s.text;
        all += s.text;
    }
    EXPECT_EQ(all, "a   b \x8a\xbf    // c");
    EXPECT_EQ(end, 16);
    // Colour per cell, from the segments.
    auto classes = [](const std::vector<PaintSegment>& segs) {
        std::string cells;
        for (const auto& s : segs) cells += std::string(s.text.size(), static_cast<char>('a' + s.colour));
        return cells;
    };
    const char rem = 'a' + ide::kColourRem, sel = 'a' + ide::kColourSelect;
    EXPECT_EQ(classes(segs).substr(12), std::string(4, rem));
    // A selection inside the comment is drawn in the Select class; the rest
    // of the comment keeps Rem.
    segs = segments(line, kTypeC, 4, 7, 9);  // bytes of "//"
    EXPECT_EQ(classes(segs).substr(12), (std::string{sel, sel, rem, rem}));
    // Empty lines paint nothing and end at column 0.
    EXPECT_TRUE(segments(*doc.line(1), kTypeC, 4, 0, 0, &end).empty());
    EXPECT_EQ(end, 0);
}

TEST(LinePaint, MalformedDoubleByteAtARunEdgeStaysInside) {
    std::vector<PaintSegment> out;
    // A lead byte at the end of the line is one cell.
    EXPECT_EQ(paint_segments("ab\x81", {{0, 3, 0}}, 4, out), 3);
    // Runs cutting a pair (never made by the colouring, but possible input)
    // do not read past their end.
    EXPECT_EQ(paint_segments("\x82\xa0x", {{0, 1, 0}, {1, 2, 7}}, 4, out), 3);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].text, "\x82");
}

}  // namespace
}  // namespace lumora::editor
