#include "ide/editview/glyph_sprites.h"

#include <gtest/gtest.h>

#include <QGlyphRun>
#include <QImage>
#include <QPainter>

#include "ide/editview/view_test_support.h"
#include "ui/cell_font.h"

namespace lumora::editview {
namespace {

struct Cells {
    QRawFont font;
    ui::CellMetrics cell;
    explicit Cells(const QFont& f) : font(QRawFont::fromFont(f)), cell(ui::cell_metrics(f)) {}
    quint32 glyph(QChar ch) const { return font.glyphIndexesForString(QString(ch)).value(0); }
    GlyphSprites sprites() const {
        GlyphSprites s;
        s.reset(font, cell.width, cell.height, cell.ascent);
        return s;
    }
};

TEST(GlyphSprites, PictureHoldsThePaintersPixelsAndRefusesInkOutsideItsCells) {
    testing::application();
    const Cells upright(ui::fixed_cell_font(14));
    GlyphSprites sprites = upright.sprites();
    sprites.start_frame();
    const QRgb ink = qRgb(10, 20, 200), paper = qRgb(250, 240, 0);
    const uint32_t* a = sprites.sprite('a', upright.glyph('a'), 1, ink, paper);
    ASSERT_NE(a, nullptr);
    // The same glyph drawn by the painter on a cell of that colour.
    QImage cell(upright.cell.width, upright.cell.height, QImage::Format_RGB32);
    cell.fill(paper);
    {
        QPainter p(&cell);
        QGlyphRun run;
        run.setRawFont(upright.font);
        run.setGlyphIndexes({upright.glyph('a')});
        run.setPositions({QPointF(0, upright.cell.ascent)});
        p.setPen(QColor(ink));
        p.drawGlyphRun(QPointF(0, 0), run);
    }
    bool inked = false;
    for (int y = 0; y < cell.height(); ++y)
        for (int x = 0; x < cell.width(); ++x) {
            ASSERT_EQ(a[y * cell.width() + x], cell.pixel(x, y)) << x << "," << y;
            inked |= cell.pixel(x, y) != (paper | 0xFF000000u);
        }
    EXPECT_TRUE(inked);
    // Asked again: the same picture; in other colours: another one.
    EXPECT_EQ(sprites.sprite('a', upright.glyph('a'), 1, ink, paper), a);
    EXPECT_NE(sprites.sprite('a', upright.glyph('a'), 1, paper, ink), a);

    // A slanted capital leans over the right edge of its cell.
    QFont f = ui::fixed_cell_font(14);
    f.setItalic(true);
    const Cells slanted(f);
    GlyphSprites leaning = slanted.sprites();
    leaning.start_frame();
    int refused = 0;
    for (QChar ch : QStringLiteral("WMfj/_"))
        refused += leaning.sprite(ch.unicode(), slanted.glyph(ch), 1, ink, paper) == nullptr;
    EXPECT_GT(refused, 0);
}

TEST(GlyphSprites, AFrameMakesOnlyAShareOfNewPictures) {
    testing::application();
    const Cells upright(ui::fixed_cell_font(14));
    GlyphSprites sprites = upright.sprites();
    sprites.start_frame();
    const quint32 glyph = upright.glyph(QChar(0x6F22));  // 漢
    int made = 0;
    for (uint16_t code = 0x8140; code < 0x8140 + 400; ++code)
        made += sprites.sprite(code, glyph, 2, qRgb(0, 0, 0), qRgb(255, 255, 255)) != nullptr;
    EXPECT_GE(made, 100);
    EXPECT_LT(made, 400);
    // The next frame goes on where this one stopped.
    sprites.start_frame();
    EXPECT_NE(sprites.sprite(0x8140 + 399, glyph, 2, qRgb(0, 0, 0), qRgb(255, 255, 255)), nullptr);
    EXPECT_EQ(sprites.picture_count(), static_cast<std::size_t>(made) + 1);
}

}  // namespace
}  // namespace lumora::editview
