#pragma once
// Dialog layouts are given in dialog units: a quarter of the font's average
// character width across, an eighth of its height down.

#include <QRect>
#include <QSize>

class QFont;

namespace lumora::ui {

QSize dialog_units_to_pixels(const QFont& font, int dlu_x, int dlu_y);
QRect dialog_units_rect(const QFont& font, int x, int y, int w, int h);

}  // namespace lumora::ui
