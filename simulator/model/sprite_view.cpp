#include <algorithm>

#include "area.h"
#include "tiles.h"
#include "views.h"

namespace lumora::simvane {

Layer render_sprite_layer(const uint8_t* snap) {
    Layer out;
    render_sprite_layer(snap, out);
    return out;
}

void render_sprite_layer(const uint8_t* snap, Layer& out) {
    std::fill(out.pixels.begin(), out.pixels.end(), 0u);
    const uint8_t* win = snap + sv_spr_win_adr;
    const int x0 = win[0], y0 = win[1], x1 = x0 + win[2], y1 = y0 + win[3];
    if (x1 > 255 || y1 > 255) return;
    const bool windowed = snap_u16(snap, sv_disp_adr) & 0x0008;
    const TileFormat format = layer_tile_format(snap[sv_col_mode_adr]);
    const LayerPalettes back = layer_palettes(snap, kPrioritySprite);
    const LayerPalettes front = layer_palettes(snap, kPrioritySpriteFront);
    const unsigned first = snap[sv_spr_rg_adr];
    const unsigned count = snap[sv_spr_rg_adr + 1];
    uint8_t line[8];
    // Last of the run first, so lower-numbered sprites end up on top.
    for (unsigned n = count; n-- > 0;) {
        const uint8_t* s = snap + sv_spr_adr + ((first + n) & 127u) * 4;  // the table holds 128
        const unsigned tile = s[0] | ((s[1] & 1u) << 8);
        const unsigned palette = 8 + ((s[1] >> 1) & 7u);
        const bool outside = s[1] & 0x10, in_front = s[1] & 0x20;
        const bool hflip = s[1] & 0x40, vflip = s[1] & 0x80;
        const LayerPalettes& pals = in_front ? front : back;
        for (int ty = 0; ty < 8; ++ty) {
            tile_line(snap, format, tile, vflip ? 7 - ty : ty, line);
            const int y = (s[3] + ty) & 255;
            for (int tx = 0; tx < 8; ++tx) {
                const uint32_t px = pals[palette][line[hflip ? 7 - tx : tx]];
                if (!px) continue;
                const int x = (s[2] + tx) & 255;
                if (windowed) {
                    const bool inside = x >= x0 && x <= x1 && y >= y0 && y <= y1;
                    if (inside == outside) continue;
                }
                out.pixels[static_cast<size_t>(y * kLayerSide + x)] = px;
            }
        }
    }
}

}  // namespace lumora::simvane
