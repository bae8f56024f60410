#pragma once
// The pictures of simvane's windows, each a pure function of a snapshot of
// the area (its first kViewBytes bytes) and the display mode.

#include <QImage>
#include <cstdint>
#include <optional>
#include <vector>

namespace lumora::simvane {

constexpr int kLayerSide = 256;
constexpr int kLcdWidth = 224;
constexpr int kLcdHeight = 144;
constexpr int kSegmentThickness = 16;

// A 256 x 256 layer: 0 where transparent, else the priority in the top byte
// (1 screen 1, 3 screen 2, 2 sprite, 4 sprite in front) and 0xRRGGBB.
struct Layer {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(kLayerSide * kLayerSide, 0);
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y * kLayerSide + x)]; }
};

constexpr uint32_t kPriorityScreen1 = 1;
constexpr uint32_t kPrioritySprite = 2;
constexpr uint32_t kPriorityScreen2 = 3;
constexpr uint32_t kPrioritySpriteFront = 4;

// Screen 1 (layer 1) or screen 2 (layer 2), with the text cursor.
Layer render_screen_layer(const uint8_t* snap, int layer);
// The sprites of the current range (layer 0).
Layer render_sprite_layer(const uint8_t* snap);
// The same into an existing layer, so a caller drawing every pulse reuses its memory.
void render_screen_layer(const uint8_t* snap, int layer, Layer& out);
void render_sprite_layer(const uint8_t* snap, Layer& out);
// A layer as a picture: transparent pixels black.
QImage layer_picture(const Layer& layer);

// All tiles of the current character format, 32 a row, in grey levels.
QImage render_character_view(const uint8_t* snap);

// The LCD picture: 224 x 144, or 144 x 224 in portrait mode. nullopt when
// the screen 2 window reaches beyond the map: the picture keeps what it had.
std::optional<QImage> render_lcd(const uint8_t* snap, int mode);
std::optional<QImage> compose_lcd(const uint8_t* snap, int mode, const Layer& screen1, const Layer& screen2,
                                  const Layer& sprites);

// The segment icons as a strip along the picture: 224 x 16 (monochrome
// landscape), 16 x 224 (monochrome portrait), 16 x 144 (colour landscape) or
// 144 x 16 (colour portrait).
QImage render_segment(const uint8_t* snap, int mode);

// Where the LCD picture and the segment strip sit in the LCD window, and the window's size.
struct LcdLayout {
    QSize window;
    QPoint picture;
    QPoint segment;
};
LcdLayout lcd_layout(int mode);

// Turns a picture a quarter turn: the result's row r, column c is the
// source's row c, column (source width - 1 - r).
QImage quarter_turn(const QImage& source);

// The view names of --render and the pictures they make.
enum class ViewKind { character, sprite, screen1, screen2, lcd, segment };
std::optional<ViewKind> view_kind_from_name(const char* name);
QImage render_view(const uint8_t* snap, ViewKind kind, int mode);

}  // namespace lumora::simvane
