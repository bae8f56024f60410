#include "ui/cell_font.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace lumora::ui {

QFont fixed_cell_font(int point_size) {
    // The size in pixels is made even, so a half-width glyph (half an em)
    // advances by whole pixels and the glyphs of a line meet the cell grid.
    double dpi = 96.0;
    if (qGuiApp && QGuiApplication::primaryScreen())
        dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    const int pixels =
        std::max(2, static_cast<int>(std::lround(std::max(1, point_size) * dpi / 72.0 / 2.0)) * 2);
    QFont font(QStringLiteral("IPAGothic"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(pixels);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    // Cells are placed glyph by glyph; kerning or ligatures would move them.
    font.setKerning(false);
    return font;
}

CellMetrics cell_metrics(const QFont& font) {
    const QFontMetrics fm(font);
    CellMetrics m;
    m.width = std::max(1, fm.horizontalAdvance(QStringLiteral("88")) / 2);
    m.height = std::max(1, fm.height());
    m.ascent = fm.ascent();
    return m;
}

QFont dialog_font() {
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSize(9);
    return font;
}

}  // namespace lumora::ui
