#include "converters/pictosrc/pictosrc_text.h"

#include <cstdio>

namespace lumora::pictosrc {

namespace {

void hex(std::string& out, uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X, ", static_cast<unsigned>(v));
    out += buf;
}

}  // namespace

uint32_t line_value(const uint8_t p[8]) {
    return uint32_t{p[6]} << 28 | uint32_t{p[7]} << 24 | uint32_t{p[4]} << 20 | uint32_t{p[5]} << 16 |
           uint32_t{p[2]} << 12 | uint32_t{p[3]} << 8 | uint32_t{p[0]} << 4 | uint32_t{p[1]};
}

std::string render(const Conversion& c) {
    std::string out;
    out += "unsigned short pal[][ 16] = {\n";
    for (const auto& palette : c.palettes) {
        out += "\t{ 0x000, ";
        for (const Key& k : palette) hex(out, uint32_t{k.red} << 8 | uint32_t{k.green} << 4 | k.blue);
        out += "},\n";
    }
    out += "};\n";
    out += "unsigned char palmask[] = {\n";
    for (uint32_t ty = 0; ty < c.tiles_y; ++ty) {
        for (uint32_t tx = 0; tx < c.tiles_x; ++tx) hex(out, c.tile_palette[static_cast<size_t>(ty) * c.tiles_x + tx]);
        out += "\n";
    }
    out += "};\n";
    out += "#define bmp_width " + std::to_string(c.tiles_x) + "\n";
    out += "#define bmp_height " + std::to_string(c.tiles_y) + "\n";
    out += "unsigned long bmp[] = {\n";
    const size_t width = static_cast<size_t>(c.tiles_x) * 8;
    for (uint32_t ty = 0; ty < c.tiles_y; ++ty) {
        for (uint32_t tx = 0; tx < c.tiles_x; ++tx) {
            out += "\t";
            for (uint32_t line = 0; line < 8; ++line) {
                const uint8_t* p = &c.color_number[(static_cast<size_t>(ty) * 8 + line) * width + tx * 8];
                hex(out, line_value(p));
            }
            out += "\n";
        }
        out += "\n";
    }
    out += "};\n";
    return out;
}

}  // namespace lumora::pictosrc
