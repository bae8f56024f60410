// Whole pictures of the views for small, hand-built areas.

#include "views.h"

#include <gtest/gtest.h>

#include <string>

#include "test_area.h"

namespace lumora::simvane {
namespace {

using testing::TestArea;

constexpr uint32_t kOpaque = 0xFF000000u;

struct Rect {
    int x0, y0, x1, y1;  // inclusive
};

QImage filled(int w, int h, uint32_t rgb) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(kOpaque | rgb);
    return img;
}
void paint(QImage& img, Rect r, uint32_t rgb) {
    for (int y = r.y0; y <= r.y1; ++y)
        for (int x = r.x0; x <= r.x1; ++x) img.setPixel(x, y, kOpaque | rgb);
}
// Where a landscape rectangle of the LCD lands after the quarter turn.
Rect turned(Rect r) {
    return {r.y0, kLcdWidth - 1 - r.x1, r.y1, kLcdWidth - 1 - r.x0};
}

// The first differing pixel, for a readable failure.
std::string difference(const QImage& got, const QImage& want) {
    if (got.size() != want.size())
        return "size " + std::to_string(got.width()) + "x" + std::to_string(got.height()) + ", want " +
               std::to_string(want.width()) + "x" + std::to_string(want.height());
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x)
            if (got.pixel(x, y) != want.pixel(x, y)) {
                char buf[96];
                std::snprintf(buf, sizeof buf, "at %d,%d: %08X, want %08X", x, y, got.pixel(x, y),
                              want.pixel(x, y));
                return buf;
            }
    return "";
}
#define EXPECT_PICTURE(got, want) EXPECT_EQ(difference((got), (want)), "")

void set_cell(TestArea& a, int layer, int cx, int cy, uint8_t lo, uint8_t hi) {
    const size_t off = (layer == 1 ? sv_scr1_adr : sv_scr2_adr) + (cy * 32 + cx) * 2;
    a[off] = lo;
    a[off + 1] = hi;
}
void fill_map(TestArea& a, int layer, uint8_t lo, uint8_t hi) {
    for (int cy = 0; cy < 32; ++cy)
        for (int cx = 0; cx < 32; ++cx) set_cell(a, layer, cx, cy, lo, hi);
}
void colour_entry(TestArea& a, int palette, int colour, uint16_t rgb) {
    a.put16(sv_col_pal_adr + (palette * 16 + colour) * 2, rgb);
}
// Monochrome: shade table 0, 2, 4 ... 14; every palette maps colour c to index c.
void monochrome(TestArea& a) {
    a[sv_col_mode_adr] = 0;
    for (int i = 0; i < 8; ++i) a[sv_lcd_pal_adr + i] = static_cast<uint8_t>(2 * i);
    for (int p = 0; p < 16; ++p) a.put16(sv_chr_pal_adr + p * 2, 0x3210);
}
Layer layer_of(uint32_t value) {
    Layer l;
    std::fill(l.pixels.begin(), l.pixels.end(), value);
    return l;
}

TEST(CharacterView, TwoBitHalfAndFourBitFormats) {
    TestArea a;
    a[sv_chr_adr + 0] = 0xF0;
    a[sv_chr_adr + 1] = 0xFF;
    a[sv_chr_adr + 511 * 16 + 14] = 0xFF;
    const size_t last = sv_col_chr_adr + 1023 * 32 + 28;
    for (int k = 0; k < 4; ++k) a[last + k] = 0x80;
    a[sv_col_chr_adr + 0] = 0x01;
    a[sv_col_chr_adr + 2] = 0x01;

    a[sv_col_mode_adr] = 0;  // 512 two-bit tiles, the lower half black
    QImage want = filled(256, 256, 0);
    paint(want, {0, 0, 3, 0}, 0xFFFFFF);
    paint(want, {4, 0, 7, 0}, 0xD7D7D7);
    paint(want, {248, 127, 255, 127}, 0x888888);
    EXPECT_PICTURE(render_character_view(a.base()), want);

    a[sv_col_mode_adr] = 0xC0;  // 1024 planar tiles
    want = filled(256, 256, 0);
    paint(want, {248, 255, 248, 255}, 0xFFFFFF);
    paint(want, {7, 0, 7, 0}, 0x888888);
    EXPECT_PICTURE(render_character_view(a.base()), want);

    a[sv_col_mode_adr] = 0xE0;  // the same bytes as packed nibbles
    want = filled(256, 256, 0);
    for (int x : {248, 250, 252, 254}) paint(want, {x, 255, x, 255}, 0xBBBBBB);
    paint(want, {1, 0, 1, 0}, 0x444444);
    paint(want, {5, 0, 5, 0}, 0x444444);
    EXPECT_PICTURE(render_character_view(a.base()), want);
}

TEST(ScreenView, HighByteSelectsTileBitsMirrorsAndPalette) {
    TestArea a;
    monochrome(a);
    const size_t tile261 = sv_chr_adr + 261 * 16;
    a[tile261] = 0xC0;
    a[tile261 + 1] = 0x40;             // line 0: colours 1, 3, then 0
    set_cell(a, 1, 3, 2, 0x05, 0x41);  // tile 256 + 5, mirrored left to right, palette 0
    set_cell(a, 1, 4, 2, 0x05, 0xC1);  // and upside down as well
    set_cell(a, 1, 5, 2, 0x05, 0x01);  // as drawn
    Layer want = layer_of(kPriorityScreen1 << 24);
    auto put = [&](int x, int y, uint32_t shade) {
        want.pixels[static_cast<size_t>(y * 256 + x)] = (kPriorityScreen1 << 24) | shade * 0x111111u;
    };
    put(31, 16, 2);
    put(30, 16, 6);
    put(39, 23, 2);
    put(38, 23, 6);
    put(40, 16, 2);
    put(41, 16, 6);
    EXPECT_EQ(render_screen_layer(a.base(), 1).pixels, want.pixels);
    // Screen 2 reads its own map and marks its own priority.
    EXPECT_EQ(render_screen_layer(a.base(), 2).pixels, layer_of(kPriorityScreen2 << 24).pixels);
}

TEST(ScreenView, TransparencyOfColourZero) {
    TestArea a;
    monochrome(a);
    fill_map(a, 1, 0, 4 << 1);        // palette 4: colour 0 left out
    set_cell(a, 1, 0, 0, 0, 8 << 1);  // palette 8: drawn
    Layer got = render_screen_layer(a.base(), 1);
    EXPECT_EQ(got.at(0, 0), kPriorityScreen1 << 24);
    EXPECT_EQ(got.at(8, 0), 0u);
    EXPECT_EQ(layer_picture(got).pixel(8, 0), kOpaque);

    a[sv_col_mode_adr] = 0x80;  // two-bit tiles, colour palettes, same rule
    colour_entry(a, 8, 0, 0x0123);
    got = render_screen_layer(a.base(), 1);
    EXPECT_EQ(got.at(7, 7), (kPriorityScreen1 << 24) | 0x112233u);
    EXPECT_EQ(got.at(8, 8), 0u);

    a[sv_col_mode_adr] = 0xE0;  // four-bit colour: colour 0 never drawn
    got = render_screen_layer(a.base(), 1);
    EXPECT_EQ(got.pixels, Layer{}.pixels);
}

TEST(ScreenView, CursorRectangleIsCutAtTheTextWindowAndTheMap) {
    TestArea a;
    monochrome(a);
    for (int i = 0; i < 16; ++i) a[sv_chr_adr + 2 * 16 + i] = 0xFF;  // tile 2: colour 3 everywhere
    fill_map(a, 1, 2, 0);
    a.put16(sv_chr_pal_adr + 1 * 2, 0x7777);  // cursor palette: shade 14
    const uint8_t text_win[] = {2, 1, 5, 3};
    const uint8_t cursor[] = {3, 1, 4, 5};
    std::copy(text_win, text_win + 4, a.base() + sv_text_win_adr);
    std::copy(cursor, cursor + 4, a.base() + sv_cur_loc_adr);
    a[sv_cur_type_adr] = 1;
    a[sv_text_scr_adr] = 2;
    a[sv_cur_stt_adr] = 3;
    QImage want = filled(256, 256, 0x666666);
    paint(want, {40, 16, 55, 31}, 0xEEEEEE);  // cells 5-6, rows 2-3
    EXPECT_PICTURE(layer_picture(render_screen_layer(a.base(), 1)), want);
    EXPECT_PICTURE(layer_picture(render_screen_layer(a.base(), 2)), filled(256, 256, 0));  // not its screen

    a[sv_cur_stt_adr] = 1;  // the dark half of a blink
    EXPECT_PICTURE(layer_picture(render_screen_layer(a.base(), 1)), filled(256, 256, 0x666666));

    // A text window reaching past the map: only the cells that exist.
    const uint8_t wide_win[] = {30, 30, 200, 200};
    const uint8_t wide_cursor[] = {0, 0, 100, 100};
    std::copy(wide_win, wide_win + 4, a.base() + sv_text_win_adr);
    std::copy(wide_cursor, wide_cursor + 4, a.base() + sv_cur_loc_adr);
    a[sv_cur_stt_adr] = 3;
    want = filled(256, 256, 0x666666);
    paint(want, {240, 240, 255, 255}, 0xEEEEEE);
    EXPECT_PICTURE(layer_picture(render_screen_layer(a.base(), 1)), want);
}

// Colour mode 0xE0; tile 1 is colour 1 everywhere. Screen 1 red all over,
// screen 2 green in two cells, sprites: 0 blue behind, 1 yellow in front,
// 2 magenta behind and under sprite 0.
void layered_scene(TestArea& a) {
    a[sv_col_mode_adr] = 0xE0;
    for (int i = 0; i < 32; ++i) a[sv_col_chr_adr + 32 + i] = 0x11;
    colour_entry(a, 1, 1, 0x0F00);
    colour_entry(a, 2, 1, 0x00F0);
    colour_entry(a, 8, 1, 0x000F);
    colour_entry(a, 9, 1, 0x0FF0);
    colour_entry(a, 10, 1, 0x0F0F);
    fill_map(a, 1, 1, 1 << 1);
    set_cell(a, 2, 0, 0, 1, 2 << 1);
    set_cell(a, 2, 12, 0, 1, 2 << 1);
    const uint8_t sprites[] = {1, 0, 4, 4, /**/ 1, (1 << 1) | 0x20, 100, 4, /**/ 1, 2 << 1, 8, 8};
    std::copy(std::begin(sprites), std::end(sprites), a.base() + sv_spr_adr);
    a[sv_spr_rg_adr] = 0;
    a[sv_spr_rg_adr + 1] = 3;
    a.put16(sv_disp_adr, 0x0007);
    a[sv_lcd_adr] = 1;
}

QImage layered_scene_picture() {
    QImage want = filled(kLcdWidth, kLcdHeight, 0xFF0000);
    paint(want, {8, 8, 15, 15}, 0xFF00FF);
    paint(want, {4, 4, 11, 11}, 0x0000FF);
    paint(want, {0, 0, 7, 7}, 0x00FF00);  // screen 2 hides the sprite behind
    paint(want, {96, 0, 103, 7}, 0x00FF00);
    paint(want, {100, 4, 107, 11}, 0xFFFF00);  // the one in front covers both
    return want;
}

TEST(LcdView, SpritePriorityAgainstBothScreens) {
    TestArea a;
    layered_scene(a);
    auto lcd = render_lcd(a.base(), 4);
    ASSERT_TRUE(lcd);
    EXPECT_PICTURE(*lcd, layered_scene_picture());
}

TEST(LcdView, ControlByteZeroIsBlackWhateverTheLayers) {
    TestArea a;
    layered_scene(a);
    a[sv_lcd_adr] = 0;
    EXPECT_PICTURE(*render_lcd(a.base(), 4), filled(kLcdWidth, kLcdHeight, 0));
    EXPECT_PICTURE(*render_lcd(a.base(), 7), filled(kLcdHeight, kLcdWidth, 0xFFFFFF));
}

TEST(LcdView, InvertAndQuarterTurn) {
    TestArea a;
    layered_scene(a);
    QImage inverted = layered_scene_picture();
    inverted.invertPixels();
    EXPECT_PICTURE(*render_lcd(a.base(), 5), inverted);

    QImage portrait = filled(kLcdHeight, kLcdWidth, 0xFF0000);
    paint(portrait, turned({8, 8, 15, 15}), 0xFF00FF);
    paint(portrait, turned({4, 4, 11, 11}), 0x0000FF);
    paint(portrait, turned({0, 0, 7, 7}), 0x00FF00);
    paint(portrait, turned({96, 0, 103, 7}), 0x00FF00);
    paint(portrait, turned({100, 4, 107, 11}), 0xFFFF00);
    EXPECT_PICTURE(*render_lcd(a.base(), 6), portrait);
}

TEST(LcdView, BackgroundScrollAndScreenTwoWindow) {
    TestArea a;
    layered_scene(a);
    colour_entry(a, 3, 5, 0x0444);
    a.put16(sv_disp_adr, 0x3500);  // background only: colour 5 of palette 3
    EXPECT_PICTURE(*render_lcd(a.base(), 4), filled(kLcdWidth, kLcdHeight, 0x444444));

    // Screen 1 scrolled left by 250 wraps column 31 to the left edge.
    set_cell(a, 1, 31, 0, 1, 2 << 1);
    a[sv_scr_scrl_adr] = 250;
    a.put16(sv_disp_adr, 0x0001);
    QImage want = filled(kLcdWidth, kLcdHeight, 0xFF0000);
    paint(want, {0, 0, 5, 7}, 0x00FF00);
    EXPECT_PICTURE(*render_lcd(a.base(), 4), want);
    a[sv_scr_scrl_adr] = 0;
    set_cell(a, 1, 31, 0, 1, 1 << 1);

    // Screen 2 all green, shown inside and then outside its window.
    fill_map(a, 2, 1, 2 << 1);
    const uint8_t win[] = {16, 8, 31, 15};
    std::copy(win, win + 4, a.base() + sv_scr2_win_adr);
    a.put16(sv_disp_adr, 0x0023);
    want = filled(kLcdWidth, kLcdHeight, 0xFF0000);
    paint(want, {16, 8, 47, 23}, 0x00FF00);
    EXPECT_PICTURE(*render_lcd(a.base(), 4), want);
    a.put16(sv_disp_adr, 0x0033);
    want = filled(kLcdWidth, kLcdHeight, 0x00FF00);
    paint(want, {16, 8, 47, 23}, 0xFF0000);
    EXPECT_PICTURE(*render_lcd(a.base(), 4), want);
    // A window reaching past the map leaves the picture as it was.
    a[sv_scr2_win_adr + 2] = 250;
    EXPECT_FALSE(render_lcd(a.base(), 4));
    a.put16(sv_disp_adr, 0x0013);  // window switched off: the whole map counts
    EXPECT_TRUE(render_lcd(a.base(), 4));
}

TEST(LcdView, MonochromeBackgroundShade) {
    TestArea a;
    monochrome(a);
    a[sv_lcd_adr] = 1;
    a.put16(sv_disp_adr, 0x0D00);  // index 5 (bit 3 is not part of it)
    EXPECT_PICTURE(*render_lcd(a.base(), 0), filled(kLcdWidth, kLcdHeight, 0xAAAAAA));
}

TEST(SpriteView, RunOrderWindowAndWrap) {
    TestArea a;
    layered_scene(a);
    // Sprite 0 off the right and bottom edges wraps to the left and top.
    a[sv_spr_adr + 2] = 252;
    a[sv_spr_adr + 3] = 253;
    a[sv_spr_rg_adr + 1] = 1;
    QImage want = filled(256, 256, 0);
    paint(want, {252, 253, 255, 255}, 0x0000FF);
    paint(want, {0, 0, 3, 4}, 0x0000FF);
    paint(want, {252, 0, 255, 4}, 0x0000FF);
    paint(want, {0, 253, 3, 255}, 0x0000FF);
    EXPECT_PICTURE(layer_picture(render_sprite_layer(a.base())), want);

    // A run starting at entry 127 wraps round to entry 0 and 1.
    for (int k = 0; k < 4; ++k) a[sv_spr_adr + 127 * 4 + k] = a[sv_spr_adr + 2 * 4 + k];
    a[sv_spr_adr + 2] = 4;
    a[sv_spr_adr + 3] = 4;
    a[sv_spr_rg_adr] = 127;
    a[sv_spr_rg_adr + 1] = 3;
    Layer got = render_sprite_layer(a.base());
    EXPECT_EQ(got.at(8, 8), (kPrioritySprite << 24) | 0xFF00FFu);  // entry 127 on top of 0 and 1
    EXPECT_EQ(got.at(7, 7), (kPrioritySprite << 24) | 0x0000FFu);
    EXPECT_EQ(got.at(100, 4), (kPrioritySpriteFront << 24) | 0xFFFF00u);

    // The sprite window, inside then outside; sprite 0 straddles its edge.
    a[sv_spr_rg_adr] = 0;
    a[sv_spr_rg_adr + 1] = 1;
    const uint8_t win[] = {0, 0, 7, 7};
    std::copy(win, win + 4, a.base() + sv_spr_win_adr);
    a.put16(sv_disp_adr, 0x000F);
    want = filled(256, 256, 0);
    paint(want, {4, 4, 7, 7}, 0x0000FF);
    EXPECT_PICTURE(layer_picture(render_sprite_layer(a.base())), want);
    a[sv_spr_adr + 1] |= 0x10;
    want = filled(256, 256, 0);
    paint(want, {4, 4, 11, 11}, 0x0000FF);
    paint(want, {4, 4, 7, 7}, 0);
    EXPECT_PICTURE(layer_picture(render_sprite_layer(a.base())), want);
    // A window reaching past 255: no sprites at all.
    a[sv_spr_win_adr + 2] = 255;
    a[sv_spr_win_adr] = 1;
    EXPECT_EQ(render_sprite_layer(a.base()).pixels, Layer{}.pixels);
}

// Columns of the strip (along its length) that have a lit pixel.
std::vector<int> lit_columns(const QImage& strip) {
    std::vector<int> cols;
    const bool down = strip.height() > strip.width();
    const int length = down ? strip.height() : strip.width();
    for (int i = 0; i < length; ++i)
        for (int j = 0; j < kSegmentThickness; ++j)
            if ((down ? strip.pixel(j, i) : strip.pixel(i, j)) == 0xFFFFFFFFu) {
                cols.push_back(i);
                break;
            }
    return cols;
}

TEST(SegmentView, StripSizesAndLitIcons) {
    TestArea a;
    a.put16(sv_seg_adr, 0xFFC0);  // only bits 0-5 are taken from the word
    EXPECT_TRUE(lit_columns(render_segment(a.base(), 0)).empty());
    a[sv_flag_init_adr] = 0;
    const std::vector<int> running = lit_columns(render_segment(a.base(), 0));
    ASSERT_FALSE(running.empty());
    EXPECT_GE(running.front(), 200);  // the running icon sits at the far end
    a.put16(sv_seg_adr, 0x0021);
    const std::vector<int> three = lit_columns(render_segment(a.base(), 0));
    EXPECT_LT(three.front(), 16);
    EXPECT_GT(three.size(), running.size() * 2);

    EXPECT_EQ(render_segment(a.base(), 0).size(), QSize(224, 16));
    EXPECT_EQ(render_segment(a.base(), 3).size(), QSize(16, 224));
    EXPECT_EQ(render_segment(a.base(), 4).size(), QSize(16, 144));
    EXPECT_EQ(render_segment(a.base(), 6).size(), QSize(144, 16));
    // Every icon the word can light differs from the others.
    std::vector<QImage> icons;
    for (int b : {0, 1, 2, 3, 4, 5}) {
        a.put16(sv_seg_adr, static_cast<uint16_t>(1 << b));
        a[sv_flag_init_adr] = 1;
        for (int mode : {0, 4}) {
            const QImage strip = render_segment(a.base(), mode & 4 ? 6 : 0);
            const std::vector<int> cols = lit_columns(strip);
            ASSERT_FALSE(cols.empty());
            EXPECT_LE(cols.back() - cols.front(), 15);
            icons.push_back(strip.copy(cols.front(), 0, 16, 16));
        }
    }
    for (size_t i = 0; i < icons.size(); ++i)
        for (size_t j = i + 1; j < icons.size(); ++j) EXPECT_NE(icons[i], icons[j]) << i << " " << j;
}

TEST(RenderView, NamesAndLayouts) {
    EXPECT_EQ(view_kind_from_name("screen2"), ViewKind::screen2);
    EXPECT_FALSE(view_kind_from_name("screen3"));
    TestArea a;
    EXPECT_EQ(render_view(a.base(), ViewKind::lcd, 6).size(), QSize(144, 224));
    EXPECT_EQ(render_view(a.base(), ViewKind::sprite, 6).size(), QSize(256, 256));
    EXPECT_EQ(lcd_layout(6).window, QSize(144, 240));
    EXPECT_EQ(lcd_layout(6).picture, QPoint(0, 16));
    EXPECT_EQ(lcd_layout(1).window, QSize(224, 160));
}

}  // namespace
}  // namespace lumora::simvane
