#include "tiles.h"

#include "area.h"

namespace lumora::simvane {

void tile_line(const uint8_t* snap, TileFormat format, unsigned tile, unsigned line, uint8_t out[8]) {
    switch (format) {
        case TileFormat::two_bit: {
            // The character data holds 512 tiles; higher numbers wrap rather than read the maps.
            const uint8_t* p = snap + sv_chr_adr + (tile & 511u) * 16 + line * 2;
            for (int x = 0; x < 8; ++x)
                out[x] = static_cast<uint8_t>(((p[0] >> (7 - x)) & 1) | (((p[1] >> (7 - x)) & 1) << 1));
            break;
        }
        case TileFormat::planar4: {
            const uint8_t* p = snap + sv_col_chr_adr + (tile & 1023u) * 32 + line * 4;
            for (int x = 0; x < 8; ++x) {
                uint8_t c = 0;
                for (int k = 0; k < 4; ++k) c |= static_cast<uint8_t>(((p[k] >> (7 - x)) & 1) << k);
                out[x] = c;
            }
            break;
        }
        case TileFormat::packed4: {
            const uint8_t* p = snap + sv_col_chr_adr + (tile & 1023u) * 32 + line * 4;
            for (int i = 0; i < 4; ++i) {
                out[2 * i] = p[i] >> 4;
                out[2 * i + 1] = p[i] & 15;
            }
            break;
        }
    }
}

TileFormat layer_tile_format(uint8_t colour_mode) {
    if (colour_mode == 0 || colour_mode == 0x80) return TileFormat::two_bit;
    return colour_mode == 0xE0 ? TileFormat::packed4 : TileFormat::planar4;
}

LayerPalettes layer_palettes(const uint8_t* snap, uint32_t priority) {
    LayerPalettes out{};
    const uint8_t mode = snap[sv_col_mode_adr];
    const uint32_t top = priority << 24;
    for (unsigned pal = 0; pal < 16; ++pal) {
        for (unsigned c = 0; c < 16; ++c) {
            uint32_t rgb;
            bool transparent;
            if (mode == 0 || mode == 0x80) {
                if (c > 3) continue;  // two-bit tiles never use these
                // Colour 0 shows only in palettes 0-3 and 8-11.
                transparent = c == 0 && (pal & 4);
                if (mode == 0) {
                    const unsigned index = (snap_u16(snap, sv_chr_pal_adr + pal * 2) >> (4 * c)) & 7;
                    rgb = (snap[sv_lcd_pal_adr + index] & 15u) * 0x111111u;
                } else {
                    rgb = rgb_from_word(snap_u16(snap, sv_col_pal_adr + (pal * 16 + c) * 2));
                }
            } else {
                transparent = c == 0;
                rgb = rgb_from_word(snap_u16(snap, sv_col_pal_adr + (pal * 16 + c) * 2));
            }
            out[pal][c] = transparent ? 0 : (top | rgb);
        }
    }
    return out;
}

}  // namespace lumora::simvane
