#include "area.h"
#include "tiles.h"
#include "views.h"

namespace lumora::simvane {
namespace {

constexpr uint32_t kGrey[16] = {0x000000, 0x444444, 0x555555, 0x666666, 0x777777, 0x888888,
                                0x999999, 0xAAAAAA, 0xBBBBBB, 0xCCCCCC, 0xD7D7D7, 0xDFDFDF,
                                0xE7E7E7, 0xEFEFEF, 0xF7F7F7, 0xFFFFFF};

}  // namespace

QImage render_character_view(const uint8_t* snap) {
    QImage img(kLayerSide, kLayerSide, QImage::Format_RGB32);
    img.fill(0xFF000000u);
    const uint8_t mode = snap[sv_col_mode_adr];
    const TileFormat format = mode == 0xC0   ? TileFormat::planar4
                              : mode == 0xE0 ? TileFormat::packed4
                                             : TileFormat::two_bit;
    const unsigned tiles = format == TileFormat::two_bit ? 512 : 1024;
    const unsigned scale = format == TileFormat::two_bit ? 5 : 1;  // two-bit colour c is level 5c
    uint8_t line[8];
    for (unsigned t = 0; t < tiles; ++t) {
        const int ox = static_cast<int>(t % 32) * 8, oy = static_cast<int>(t / 32) * 8;
        for (int ty = 0; ty < 8; ++ty) {
            tile_line(snap, format, t, static_cast<unsigned>(ty), line);
            auto* row = reinterpret_cast<uint32_t*>(img.scanLine(oy + ty)) + ox;
            for (int tx = 0; tx < 8; ++tx) row[tx] = 0xFF000000u | kGrey[line[tx] * scale];
        }
    }
    return img;
}

}  // namespace lumora::simvane
