#include <algorithm>

#include "area.h"
#include "tiles.h"
#include "views.h"

namespace lumora::simvane {
namespace {

// Cells of the cursor rectangle on this layer, as a half-open cell range.
struct CellRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool contains(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

CellRect cursor_cells(const uint8_t* snap, int layer) {
    if (snap[sv_cur_stt_adr] != 3 || snap[sv_text_scr_adr] != layer + 1) return {};
    const uint8_t* win = snap + sv_text_win_adr;
    const uint8_t* cur = snap + sv_cur_loc_adr;
    CellRect r;
    r.x0 = win[0] + cur[0];
    r.y0 = win[1] + cur[1];
    // Cut at the text window's right and bottom edges, and at the map's.
    r.x1 = std::min({r.x0 + cur[2], win[0] + win[2], 32});
    r.y1 = std::min({r.y0 + cur[3], win[1] + win[3], 32});
    return r;
}

}  // namespace

Layer render_screen_layer(const uint8_t* snap, int layer) {
    Layer out;
    render_screen_layer(snap, layer, out);
    return out;
}

void render_screen_layer(const uint8_t* snap, int layer, Layer& out) {
    const TileFormat format = layer_tile_format(snap[sv_col_mode_adr]);
    const LayerPalettes pals = layer_palettes(snap, layer == 1 ? kPriorityScreen1 : kPriorityScreen2);
    const uint8_t* map = snap + (layer == 1 ? sv_scr1_adr : sv_scr2_adr);
    const CellRect cursor = cursor_cells(snap, layer);
    const unsigned cursor_palette = snap[sv_cur_type_adr] & 15u;
    uint8_t line[8];
    for (int cy = 0; cy < 32; ++cy) {
        for (int cx = 0; cx < 32; ++cx) {
            const uint8_t lo = map[(cy * 32 + cx) * 2];
            const uint8_t hi = map[(cy * 32 + cx) * 2 + 1];
            const unsigned tile = lo | ((hi & 1u) << 8) | (((hi >> 5) & 1u) << 9);
            const unsigned palette = cursor.contains(cx, cy) ? cursor_palette : (hi >> 1) & 15u;
            const bool hflip = hi & 0x40, vflip = hi & 0x80;
            for (int ty = 0; ty < 8; ++ty) {
                tile_line(snap, format, tile, vflip ? 7 - ty : ty, line);
                uint32_t* row = &out.pixels[static_cast<size_t>((cy * 8 + ty) * kLayerSide + cx * 8)];
                for (int tx = 0; tx < 8; ++tx) row[tx] = pals[palette][line[hflip ? 7 - tx : tx]];
            }
        }
    }
}

QImage layer_picture(const Layer& layer) {
    QImage img(kLayerSide, kLayerSide, QImage::Format_RGB32);
    for (int y = 0; y < kLayerSide; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
        const uint32_t* src = &layer.pixels[static_cast<size_t>(y * kLayerSide)];
        for (int x = 0; x < kLayerSide; ++x) row[x] = 0xFF000000u | (src[x] & 0xFFFFFFu);
    }
    return img;
}

}  // namespace lumora::simvane
