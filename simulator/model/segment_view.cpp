#include <array>

#include "area.h"
#include "sim_state.h"
#include "views.h"

namespace lumora::simvane {
namespace {

using Icon = std::array<uint16_t, 16>;

// 3 x 5 digits 0-F, rows top first, bits 2..0 left to right.
constexpr uint8_t kDigits[16][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 3, 1, 7}, {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {2, 5, 7, 5, 5}, {6, 5, 6, 5, 6},
    {7, 4, 4, 4, 7}, {6, 5, 5, 5, 6}, {7, 4, 6, 4, 7}, {7, 4, 6, 4, 4},
};

// Our own icon set: a frame (monochrome icons square, colour icons with cut
// corners) around the segment bit's number drawn twice the digit size.
constexpr Icon make_icon(int index) {
    Icon icon{};
    const bool colour = index >= 16;
    const int digit = index & 15;
    for (int y = 1; y <= 14; ++y) {
        uint16_t row = 0;
        if (y == 1 || y == 14)
            row = colour ? 0x3FFC : 0x7FFE;  // columns 1-14 (2-13 with cut corners)
        else
            row = 0x4002;  // columns 1 and 14
        icon[static_cast<size_t>(y)] = row;
    }
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 3; ++c)
            if (kDigits[digit][r] & (4 >> c))
                for (int dy = 0; dy < 2; ++dy)
                    icon[static_cast<size_t>(3 + r * 2 + dy)] |=
                        static_cast<uint16_t>(0x3 << (15 - 5 - c * 2 - 1));
    return icon;
}

constexpr std::array<Icon, 32> make_segpat() {
    std::array<Icon, 32> all{};
    for (int i = 0; i < 32; ++i) all[static_cast<size_t>(i)] = make_icon(i);
    return all;
}

}  // namespace

// 32 icons of 16 x 16 pixels, the leftmost pixel in the top bit: 0-15 for the
// monochrome model, 16-31 for the colour model.
constexpr std::array<Icon, 32> segpat = make_segpat();

// x positions along the strip. Bits 0-5 and 11 are the ones ever lit; the
// others are kept apart as far as the strip allows.
constexpr std::array<int, 32> segpos = {
    // monochrome, 224 pixels
    0, 18, 36, 54, 72, 90, 108, 122, 136, 150, 164, 208, 178, 192, 192, 192,
    // colour, 144 pixels
    0, 18, 36, 54, 72, 90, 108, 108, 108, 108, 108, 128, 108, 108, 108, 108};

QImage render_segment(const uint8_t* snap, int mode) {
    const bool colour = mode & kModeColour;
    const int length = colour ? kLcdHeight : kLcdWidth;
    QImage strip(length, kSegmentThickness, QImage::Format_RGB32);
    strip.fill(0xFF000000u);
    uint16_t bits = snap_u16(snap, sv_seg_adr) & 0x003F;
    if (snap[sv_flag_init_adr] == 0) bits |= 0x0800;
    for (int b = 0; b < 16; ++b) {
        if (!(bits & (1u << b))) continue;
        const int icon = colour ? b + 16 : b;
        const int x0 = segpos[static_cast<size_t>(icon)];
        for (int y = 0; y < 16; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(strip.scanLine(y));
            const uint16_t pattern = segpat[static_cast<size_t>(icon)][static_cast<size_t>(y)];
            for (int x = 0; x < 16 && x0 + x < length; ++x)
                if (pattern & (0x8000u >> x)) row[x0 + x] = 0xFFFFFFFFu;
        }
    }
    // Landscape colour and monochrome portrait run the strip down the side.
    const int placement = mode & 6;
    if (placement == 2 || placement == 4) return quarter_turn(strip);
    return strip;
}

}  // namespace lumora::simvane
