#pragma once
// Tile formats and palettes shared by the character, screen and sprite views.

#include <array>
#include <cstdint>

namespace lumora::simvane {

enum class TileFormat {
    two_bit,  // 16 bytes a tile in the character data: bit 0 from the first byte of a line, bit 1 the second
    planar4,  // 32 bytes in the colour character data: colour bit k from byte k of the line
    packed4,  // 32 bytes in the colour character data: two pixels a byte, left one in the high nibble
};

// The colour indexes of one line (0-7) of a tile, leftmost first.
void tile_line(const uint8_t* snap, TileFormat format, unsigned tile, unsigned line, uint8_t out[8]);

// How the screens and sprites read tiles for a colour mode byte.
TileFormat layer_tile_format(uint8_t colour_mode);

// Colours of one layer: entry [palette][colour] is 0 when transparent, else
// the priority in the top byte and 0xRRGGBB below it.
using LayerPalettes = std::array<std::array<uint32_t, 16>, 16>;
LayerPalettes layer_palettes(const uint8_t* snap, uint32_t priority);

// 0x0RGB as 0xRRGGBB.
constexpr uint32_t rgb_from_word(uint16_t w) {
    return ((w >> 8) & 15u) * 0x110000u + ((w >> 4) & 15u) * 0x1100u + (w & 15u) * 0x11u;
}

}  // namespace lumora::simvane
