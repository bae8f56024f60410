#include <cstring>

#include "views.h"

namespace lumora::simvane {

std::optional<ViewKind> view_kind_from_name(const char* name) {
    static const struct {
        const char* name;
        ViewKind kind;
    } kNames[] = {
        {"character", ViewKind::character}, {"sprite", ViewKind::sprite}, {"screen1", ViewKind::screen1},
        {"screen2", ViewKind::screen2},     {"lcd", ViewKind::lcd},       {"segment", ViewKind::segment}};
    for (const auto& n : kNames)
        if (std::strcmp(n.name, name) == 0) return n.kind;
    return std::nullopt;
}

QImage render_view(const uint8_t* snap, ViewKind kind, int mode) {
    switch (kind) {
        case ViewKind::character:
            return render_character_view(snap);
        case ViewKind::sprite:
            return layer_picture(render_sprite_layer(snap));
        case ViewKind::screen1:
            return layer_picture(render_screen_layer(snap, 1));
        case ViewKind::screen2:
            return layer_picture(render_screen_layer(snap, 2));
        case ViewKind::segment:
            return render_segment(snap, mode);
        case ViewKind::lcd:
            break;
    }
    if (auto lcd = render_lcd(snap, mode)) return *lcd;
    // A screen 2 window beyond the map leaves the LCD as it was; with no
    // earlier picture that is black.
    QImage black((mode & 2) ? kLcdHeight : kLcdWidth, (mode & 2) ? kLcdWidth : kLcdHeight,
                 QImage::Format_RGB32);
    black.fill(0xFF000000u);
    return black;
}

}  // namespace lumora::simvane
