#include <algorithm>
#include <cstring>

#include "area.h"
#include "sim_state.h"
#include "tiles.h"
#include "views.h"

namespace lumora::simvane {
namespace {

uint32_t background(const uint8_t* snap, uint16_t d) {
    const uint8_t mode = snap[sv_col_mode_adr];
    if (mode == 0) return (snap[sv_lcd_pal_adr + ((d >> 8) & 7)] & 15u) * 0x111111u;
    const unsigned colour = (d >> 8) & (mode == 0x80 ? 3u : 15u);
    const unsigned palette = d >> 12;
    return rgb_from_word(snap_u16(snap, sv_col_pal_adr + (palette * 16 + colour) * 2));
}

}  // namespace

QImage quarter_turn(const QImage& source) {
    const int w = source.width(), h = source.height();
    QImage out(h, w, QImage::Format_RGB32);
    for (int r = 0; r < w; ++r) {
        auto* row = reinterpret_cast<uint32_t*>(out.scanLine(r));
        for (int c = 0; c < h; ++c)
            row[c] = reinterpret_cast<const uint32_t*>(source.constScanLine(c))[w - 1 - r];
    }
    return out;
}

std::optional<QImage> compose_lcd(const uint8_t* snap, int mode, const Layer& screen1, const Layer& screen2,
                                  const Layer& sprites) {
    QImage img(kLcdWidth, kLcdHeight, QImage::Format_RGB32);
    if (snap[sv_lcd_adr] == 0) {
        img.fill(0xFF000000u);
    } else {
        const uint16_t d = snap_u16(snap, sv_disp_adr);
        // Composed in place with the priority in the top byte (the background
        // has none), which becomes the opaque alpha at the end.
        const uint32_t bg = background(snap, d);
        const uint8_t* scroll = snap + sv_scr_scrl_adr;
        int x0 = 0, y0 = 0, x1 = 255, y1 = 255;
        if ((d & 0x0002) && (d & 0x0020)) {
            const uint8_t* win = snap + sv_scr2_win_adr;
            x0 = win[0];
            y0 = win[1];
            x1 = x0 + win[2];
            y1 = y0 + win[3];
            if (x1 > 255 || y1 > 255) return std::nullopt;
        }
        const bool screen2_outside = d & 0x0010;
        for (int y = 0; y < kLcdHeight; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
            std::fill(row, row + kLcdWidth, bg);
            if (d & 0x0001) {
                const uint32_t* src =
                    &screen1.pixels[static_cast<size_t>(((y + scroll[1]) & 255) * kLayerSide)];
                for (int x = 0; x < kLcdWidth; ++x)
                    if (uint32_t p = src[(x + scroll[0]) & 255]) row[x] = p;
            }
            if (d & 0x0002) {
                const uint32_t* src =
                    &screen2.pixels[static_cast<size_t>(((y + scroll[3]) & 255) * kLayerSide)];
                const bool row_inside = y >= y0 && y <= y1;
                for (int x = 0; x < kLcdWidth; ++x) {
                    const bool inside = row_inside && x >= x0 && x <= x1;
                    if (inside == screen2_outside) continue;
                    if (uint32_t p = src[(x + scroll[2]) & 255]) row[x] = p;
                }
            }
            if (d & 0x0004) {
                const uint32_t* src = &sprites.pixels[static_cast<size_t>(y * kLayerSide)];
                for (int x = 0; x < kLcdWidth; ++x)
                    if ((src[x] >> 24) > (row[x] >> 24)) row[x] = src[x];
            }
            for (int x = 0; x < kLcdWidth; ++x) row[x] |= 0xFF000000u;
        }
    }
    if (mode & kModeInverted) {
        for (int y = 0; y < img.height(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x) row[x] ^= 0x00FFFFFFu;
        }
    }
    if (mode & kModePortrait) return quarter_turn(img);
    return img;
}

std::optional<QImage> render_lcd(const uint8_t* snap, int mode) {
    // The layers are drawn every pulse; keeping their memory saves faulting
    // in 768 KiB each time.
    thread_local Layer screen1, screen2, sprites;
    if (snap[sv_lcd_adr] == 0) return compose_lcd(snap, mode, screen1, screen2, sprites);
    const uint16_t d = snap_u16(snap, sv_disp_adr);
    if (d & 0x0001) render_screen_layer(snap, 1, screen1);
    if (d & 0x0002) render_screen_layer(snap, 2, screen2);
    if (d & 0x0004) render_sprite_layer(snap, sprites);
    return compose_lcd(snap, mode, screen1, screen2, sprites);
}

LcdLayout lcd_layout(int mode) {
    switch (mode & 6) {
        case 0:
            return {QSize(224, 160), QPoint(0, 0), QPoint(0, 144)};
        case 2:
            return {QSize(160, 224), QPoint(0, 0), QPoint(144, 0)};
        case 4:
            return {QSize(240, 144), QPoint(0, 0), QPoint(224, 0)};
        default:
            return {QSize(144, 240), QPoint(0, 16), QPoint(0, 0)};
    }
}

}  // namespace lumora::simvane
