#include "ui/dialog_units.h"

#include <QFont>
#include <QFontMetrics>

namespace lumora::ui {
namespace {

struct BaseUnits {
    int x;
    int y;
};

BaseUnits base_units(const QFont& font) {
    const QFontMetrics fm(font);
    const QString sample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {(fm.horizontalAdvance(sample) / 26 + 1) / 2, fm.height()};
}

}  // namespace

QSize dialog_units_to_pixels(const QFont& font, int dlu_x, int dlu_y) {
    const BaseUnits b = base_units(font);
    return QSize(dlu_x * b.x / 4, dlu_y * b.y / 8);
}

QRect dialog_units_rect(const QFont& font, int x, int y, int w, int h) {
    const BaseUnits b = base_units(font);
    return QRect(x * b.x / 4, y * b.y / 8, w * b.x / 4, h * b.y / 8);
}

}  // namespace lumora::ui
