#pragma once
// Characters already blended onto their background, one picture per
// character and colour pair, so a repaint of the edit view copies pixels
// instead of blending every glyph again. Pictures are made by the painter
// itself, so they hold exactly the pixels it would draw. A character whose
// ink leaves its cells gets no picture; the caller draws that one through
// the painter.

#include <QImage>
#include <QRawFont>
#include <QRgb>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lumora::editview {

class GlyphSprites {
  public:
    // Forgets every picture; new ones use this font and cell size.
    void reset(const QRawFont& font, int cell_width, int cell_height, int ascent);

    // A repaint makes at most a few hundred new pictures (about a
    // millisecond); characters past that are drawn by the painter this time.
    void start_frame() { made_in_frame_ = 0; }

    // Pixels of character `code` (a single byte, or lead * 256 + trail)
    // drawn as `glyph` in `text` on `background`: `cells` cell widths by one
    // cell height, row after row. Null when the ink does not stay inside or
    // the frame's share of new pictures is used up. The pointer lives until
    // the next call.
    const uint32_t* sprite(uint16_t code, quint32 glyph, int cells, QRgb text, QRgb background);

    std::size_t picture_count() const { return count_; }

  private:
    using Page = std::array<const uint32_t*, 256>;
    struct Pair {
        QRgb text;
        QRgb background;
        std::array<std::unique_ptr<Page>, 256> pages;  // by lead byte; single bytes on page 0
    };
    Pair& pair_of(QRgb text, QRgb background);
    const uint32_t* make(quint32 glyph, int cells, QRgb text, QRgb background);
    uint32_t* allocate(std::size_t pixels);
    void clear();

    QRawFont font_;
    int cell_width_ = 0;
    int cell_height_ = 0;
    int ascent_ = 0;
    std::vector<std::unique_ptr<Pair>> pairs_;
    std::size_t last_pair_ = 0;
    std::vector<std::unique_ptr<uint32_t[]>> blocks_;
    std::size_t block_used_ = 0;  // pixels taken from the last block
    std::size_t count_ = 0;
    int made_in_frame_ = 0;
    std::size_t bytes_ = 0;
    QImage scratch_[2];  // where one- and two-cell characters are drawn
};

}  // namespace lumora::editview
