#pragma once
// Fonts of the kit's windows: the fixed-cell font of the editor and output
// grids, and the dialogs' proportional font.

#include <QFont>

namespace lumora::ui {

// IPAGothic at about `point_size` (rounded to an even number of pixels on the
// screen), normal weight: every half-width glyph advances by one whole cell
// and every full-width glyph by two.
QFont fixed_cell_font(int point_size = 14);

// One character cell of a grid: `height` is the height of the text "88" in
// the font (the line height), `width` half its width (the horizontal step).
struct CellMetrics {
    int width = 0;
    int height = 0;
    int ascent = 0;
};
CellMetrics cell_metrics(const QFont& font);

// IPAPGothic 9 pt, the font every dialog of the kit is laid out in.
QFont dialog_font();

}  // namespace lumora::ui
