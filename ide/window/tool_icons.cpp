#include "ide/window/tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace lumora::ide {

namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 15;

const char* theme_name(CommandId id) {
    switch (id) {
        case CommandId::file_new:
            return "document-new";
        case CommandId::file_open:
            return "document-open";
        case CommandId::file_save:
            return "document-save";
        case CommandId::edit_cut:
            return "edit-cut";
        case CommandId::edit_copy:
            return "edit-copy";
        case CommandId::edit_paste:
            return "edit-paste";
        case CommandId::about:
            return "help-about";
        default:
            return nullptr;
    }
}

// A sheet of paper with a folded corner, its top left at (x, y).
void draw_page(QPainter& p, int x, int y, int w, int h) {
    QPainterPath sheet;
    sheet.moveTo(x, y);
    sheet.lineTo(x + w - 4, y);
    sheet.lineTo(x + w, y + 4);
    sheet.lineTo(x + w, y + h);
    sheet.lineTo(x, y + h);
    sheet.closeSubpath();
    p.setBrush(Qt::white);
    p.setPen(QPen(Qt::black, 1));
    p.drawPath(sheet);
    p.drawLine(x + w - 4, y, x + w - 4, y + 4);
    p.drawLine(x + w - 4, y + 4, x + w, y + 4);
}

void draw_new(QPainter& p) {
    draw_page(p, 3, 1, 10, 13);
}

void draw_open(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0xF0, 0xC8, 0x40));
    p.drawRect(1, 4, 13, 9);
    p.drawRect(1, 2, 5, 2);
    p.setBrush(QColor(0xFF, 0xE0, 0x70));
    p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
}

void draw_save(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0x20, 0x40, 0xA0));
    p.drawRect(1, 1, 13, 13);
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 7, 5);
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawRect(4, 9, 7, 5);
}

void draw_cut(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(4, 1, 10, 10);
    p.drawLine(11, 1, 5, 10);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x20, 0x20, 0x80), 1));
    p.drawEllipse(1, 9, 5, 5);
    p.drawEllipse(9, 9, 5, 5);
}

void draw_copy(QPainter& p) {
    draw_page(p, 1, 1, 8, 10);
    draw_page(p, 6, 4, 8, 10);
}

void draw_paste(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0xA0, 0x70, 0x30));
    p.drawRect(1, 2, 10, 12);
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawRect(4, 1, 4, 2);
    draw_page(p, 7, 5, 8, 9);
}

void draw_about(QPainter& p) {
    p.setPen(QPen(QColor(0x10, 0x30, 0x90), 1));
    p.setBrush(QColor(0x30, 0x60, 0xD0));
    p.drawEllipse(1, 0, 14, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(7, 3, 2, 2);
    p.drawRect(7, 6, 2, 6);
}

}  // namespace

QIcon drawn_tool_bar_icon(CommandId id) {
    void (*draw)(QPainter&) = nullptr;
    switch (id) {
        case CommandId::file_new:
            draw = draw_new;
            break;
        case CommandId::file_open:
            draw = draw_open;
            break;
        case CommandId::file_save:
            draw = draw_save;
            break;
        case CommandId::edit_cut:
            draw = draw_cut;
            break;
        case CommandId::edit_copy:
            draw = draw_copy;
            break;
        case CommandId::edit_paste:
            draw = draw_paste;
            break;
        case CommandId::about:
            draw = draw_about;
            break;
        default:
            return {};
    }
    QPixmap picture(kWidth, kHeight);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    draw(painter);
    painter.end();
    return QIcon(picture);
}

QIcon tool_bar_icon(CommandId id) {
    const char* name = theme_name(id);
    if (!name) return {};
    const QIcon drawn = drawn_tool_bar_icon(id);
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(name), drawn);
    // A theme can name an icon it has no picture for.
    return themed.availableSizes().isEmpty() && themed.pixmap(kWidth, kHeight).isNull() ? drawn : themed;
}

}  // namespace lumora::ide
