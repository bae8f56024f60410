#include "ide/editview/glyph_sprites.h"

#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>

namespace lumora::editview {

namespace {

// Marks a character whose ink leaves its cells (distinct from "not made yet").
const uint32_t kNoPicture = 0;
const uint32_t* const kOutside = &kNoPicture;

// Enough for every character of a long session; past it the pictures are
// made again as they are needed.
constexpr std::size_t kByteLimit = 32u << 20;

// New pictures a frame may make (each a few microseconds).
constexpr int kNewPerFrame = 256;

}  // namespace

void GlyphSprites::reset(const QRawFont& font, int cell_width, int cell_height, int ascent) {
    clear();
    font_ = font;
    cell_width_ = cell_width;
    cell_height_ = cell_height;
    ascent_ = ascent;
}

void GlyphSprites::clear() {
    pairs_.clear();
    blocks_.clear();
    block_used_ = 0;
    count_ = 0;
    last_pair_ = 0;
    bytes_ = 0;
}

GlyphSprites::Pair& GlyphSprites::pair_of(QRgb text, QRgb background) {
    // Neighbouring characters mostly share their colours.
    if (last_pair_ < pairs_.size() && pairs_[last_pair_]->text == text &&
        pairs_[last_pair_]->background == background)
        return *pairs_[last_pair_];
    for (std::size_t i = 0; i < pairs_.size(); ++i) {
        if (pairs_[i]->text == text && pairs_[i]->background == background) {
            last_pair_ = i;
            return *pairs_[i];
        }
    }
    auto pair = std::make_unique<Pair>();
    pair->text = text;
    pair->background = background;
    pairs_.push_back(std::move(pair));
    last_pair_ = pairs_.size() - 1;
    return *pairs_.back();
}

const uint32_t* GlyphSprites::sprite(uint16_t code, quint32 glyph, int cells, QRgb text, QRgb background) {
    if (!font_.isValid() || cell_width_ <= 0 || cell_height_ <= 0) return nullptr;
    if (bytes_ > kByteLimit) clear();
    Pair& pair = pair_of(text, background);
    auto& page = pair.pages[code >> 8];
    if (!page) {
        page = std::make_unique<Page>();
        page->fill(nullptr);
    }
    const uint32_t*& slot = (*page)[code & 0xFF];
    if (!slot) {
        if (made_in_frame_ >= kNewPerFrame) return nullptr;
        ++made_in_frame_;
        slot = make(glyph, cells, text, background);
    }
    return slot == kOutside ? nullptr : slot;
}

const uint32_t* GlyphSprites::make(quint32 glyph, int cells, QRgb text, QRgb background) {
    // Drawn with a margin of a cell all round: ink in the margin means the
    // glyph reaches into its neighbours and cannot be copied as a block.
    const int w = cells * cell_width_;
    const int h = cell_height_;
    const int mx = cell_width_, my = cell_height_;
    QImage& img = scratch_[cells == 2 ? 1 : 0];
    if (img.width() != w + 2 * mx || img.height() != h + 2 * my)
        img = QImage(w + 2 * mx, h + 2 * my, QImage::Format_RGB32);
    const QRgb bg = background | 0xFF000000u;
    img.fill(bg);
    {
        QPainter p(&img);
        QGlyphRun run;
        run.setRawFont(font_);
        run.setGlyphIndexes({glyph});
        run.setPositions({QPointF(mx, my + ascent_)});
        p.setPen(QColor::fromRgb(text));
        p.drawGlyphRun(QPointF(0, 0), run);
    }
    const int iw = img.width(), ih = img.height();
    auto blank = [bg](const QRgb* from, const QRgb* to) {
        return std::all_of(from, to, [bg](QRgb px) { return px == bg; });
    };
    for (int y = 0; y < ih; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        const bool ok = y >= my && y < my + h ? blank(row, row + mx) && blank(row + mx + w, row + iw)
                                              : blank(row, row + iw);
        if (!ok) return kOutside;
    }
    const std::size_t size = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    uint32_t* pixels = allocate(size);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(img.constScanLine(my + y)) + mx;
        std::memcpy(pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(w), row,
                    static_cast<std::size_t>(w) * sizeof(uint32_t));
    }
    ++count_;
    return pixels;
}

uint32_t* GlyphSprites::allocate(std::size_t pixels) {
    // Pictures are many and small: taken from blocks, freed all at once.
    constexpr std::size_t kBlock = 64 * 1024;
    if (blocks_.empty() || block_used_ + pixels > kBlock) {
        blocks_.push_back(std::make_unique<uint32_t[]>(std::max(kBlock, pixels)));
        block_used_ = 0;
        bytes_ += std::max(kBlock, pixels) * sizeof(uint32_t);
    }
    uint32_t* at = blocks_.back().get() + block_used_;
    block_used_ += pixels;
    return at;
}

}  // namespace lumora::editview
