#pragma once
// What every edit view of the application shares: the pending lead byte of
// double-byte typing, the search settings behind F3, the keyword database,
// the resolved colour table and the fixed-cell font.

#include <QFont>
#include <QRawFont>
#include <string>
#include <vector>

#include "ide/editor/colour_lookup.h"
#include "ide/editor/edit_controller.h"
#include "ide/editor/search.h"
#include "ide/editview/glyph_sprites.h"
#include "ui/cell_font.h"

class QPalette;

namespace lumora::editor {
class KeywordDatabase;
}

namespace lumora::editview {

class EditEnvironment {
  public:
    EditEnvironment();

    editor::PendingLeadByte& pending_lead() { return pending_; }
    // The application's search settings (its own until the host gives its).
    editor::SearchSettings& search() { return *search_; }
    void set_search(editor::SearchSettings& settings) { search_ = &settings; }

    // Stored colours (COLORREF, -1 for the system's) resolved against the
    // application palette; every view paints from here.
    void set_colours(const editor::ColourArray& text, const editor::ColourArray& background);
    const editor::ColourTable& colours() const { return colours_; }
    const editor::ColourArray& stored_text_colours() const { return text_; }
    const editor::ColourArray& stored_background_colours() const { return background_; }

    // Glyph of one Shift-JIS character in the cell font: a single byte, or
    // lead * 256 + trail. Looked up once per character and kept, so painting
    // converts nothing.
    quint32 glyph_of(uint16_t code) const;
    const QFont& font() const { return font_; }
    const QRawFont& raw_font() const { return raw_font_; }
    const ui::CellMetrics& cell() const { return cell_; }
    void set_font(const QFont& font);
    // Characters pre-blended onto their background (see GlyphSprites); off,
    // every glyph goes through the painter, as on screens with a scale.
    GlyphSprites& sprites() const { return sprites_; }
    bool sprite_text() const { return sprite_text_; }
    void set_sprite_text(bool on) { sprite_text_ = on; }

    const editor::KeywordDatabase* keywords() const { return keywords_; }
    void set_keywords(const editor::KeywordDatabase* keywords) { keywords_ = keywords; }
    // The SDK folder that keyword jumps resolve header files against.
    const std::string& platform_folder() const { return platform_folder_; }
    void set_platform_folder(std::string folder) { platform_folder_ = std::move(folder); }

  private:
    editor::PendingLeadByte pending_;
    editor::SearchSettings own_search_;
    editor::SearchSettings* search_ = &own_search_;
    editor::ColourArray text_{};
    editor::ColourArray background_{};
    editor::ColourTable colours_;
    QFont font_;
    QRawFont raw_font_;
    ui::CellMetrics cell_;
    mutable std::vector<quint32> glyphs_;
    mutable GlyphSprites sprites_;
    bool sprite_text_ = true;
    const editor::KeywordDatabase* keywords_ = nullptr;
    std::string platform_folder_;
};

}  // namespace lumora::editview
