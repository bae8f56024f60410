#include "ide/editview/edit_environment.h"

#include <QGuiApplication>
#include <QPalette>

#include "ide/app/settings.h"
#include "ui/sjis_text.h"

namespace lumora::editview {

namespace {
editor::Rgb rgb(const QColor& c) {
    return {static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue())};
}
}  // namespace

EditEnvironment::EditEnvironment() {
    set_colours(ide::kDefaultTextColours, ide::kDefaultBackgroundColours);
    set_font(ui::fixed_cell_font());
}

void EditEnvironment::set_colours(const editor::ColourArray& text, const editor::ColourArray& background) {
    text_ = text;
    background_ = background;
    const QPalette palette = QGuiApplication::palette();
    editor::SystemColours system{rgb(palette.color(QPalette::Text)), rgb(palette.color(QPalette::Base))};
    colours_ = editor::ColourTable(text, background, system);
}

void EditEnvironment::set_font(const QFont& font) {
    font_ = font;
    raw_font_ = QRawFont::fromFont(font);
    cell_ = ui::cell_metrics(font);
    glyphs_.clear();
    sprites_.reset(raw_font_, cell_.width, cell_.height, cell_.ascent);
}

quint32 EditEnvironment::glyph_of(uint16_t code) const {
    constexpr quint32 kUnknown = 0xFFFFFFFFu;
    if (glyphs_.empty()) glyphs_.assign(65536, kUnknown);
    quint32& g = glyphs_[code];
    if (g == kUnknown) {
        std::string bytes;
        if (code > 0xFF) bytes.push_back(static_cast<char>(code >> 8));
        bytes.push_back(static_cast<char>(code & 0xFF));
        const QList<quint32> found =
            raw_font_.isValid() ? raw_font_.glyphIndexesForString(ui::from_sjis(bytes)) : QList<quint32>{};
        g = found.isEmpty() ? 0 : found.front();
    }
    return g;
}

}  // namespace lumora::editview
