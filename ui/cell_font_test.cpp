#include "ui/cell_font.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>

#include "tests/support/qt_app.h"
#include "ui/dialog_units.h"

namespace lumora::ui {
namespace {

QApplication& app() {
    return testing::qt_app();
}

TEST(CellFont, GlyphsFillWholeCells) {
    app();
    const QFont font = fixed_cell_font(14);
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("IPAGothic"));
    const CellMetrics cell = cell_metrics(font);
    const QFontMetrics fm(font);
    EXPECT_EQ(cell.height, fm.height());
    EXPECT_EQ(cell.width * 2, fm.horizontalAdvance(QStringLiteral("88")));
    // Half-width glyphs (ASCII and half-width kana) take one cell, full-width
    // ones two, so a line's pixel position is its display column times the cell.
    for (const char* half : {"W", "i", ".", "ｱ", "ﾟ"}) {
        EXPECT_EQ(fm.horizontalAdvance(QString::fromUtf8(half)), cell.width) << half;
    }
    for (const char* full : {"漢", "あ", "Ａ", "①"}) {
        EXPECT_EQ(fm.horizontalAdvance(QString::fromUtf8(full)), 2 * cell.width) << full;
    }
    EXPECT_GT(cell.ascent, 0);
    EXPECT_LE(cell.ascent, cell.height);
}

TEST(CellFont, DialogFontAndUnits) {
    app();
    const QFont font = dialog_font();
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(font.pointSize(), 9);
    const QSize one = dialog_units_to_pixels(font, 4, 8);  // one average character
    EXPECT_GT(one.width(), 0);
    EXPECT_EQ(one.height(), QFontMetrics(font).height());
    const QSize big = dialog_units_to_pixels(font, 400, 800);
    EXPECT_EQ(big, QSize(100 * one.width(), 100 * one.height()));
    const QRect r = dialog_units_rect(font, 4, 8, 400, 800);
    EXPECT_EQ(r.topLeft(), QPoint(one.width(), one.height()));
    EXPECT_EQ(r.size(), big);
}

}  // namespace
}  // namespace lumora::ui
