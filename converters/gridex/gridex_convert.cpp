#include "converters/gridex/gridex_convert.h"

#include "common/le_bytes.h"

namespace lumora::gridex {

namespace {

// An area in whole units (8×8 tiles or 16×16 blocks) that has been checked to
// lie inside the picture.
struct Grid {
    int x = 0;
    int y = 0;
    int columns = 0;
    int rows = 0;
};

bool fits(const BmpPixels& picture, int x, int y, int columns, int rows, int unit, Grid& out) {
    if (x < 0 || y < 0 || columns < 0 || rows < 0) return false;
    if (int64_t{x} + int64_t{columns} * unit > int64_t{picture.width()}) return false;
    if (int64_t{y} + int64_t{rows} * unit > int64_t{picture.height()}) return false;
    out = {x, y, columns, rows};
    return true;
}

class Matcher {
public:
    Matcher(const BmpPixels& picture, Grid parts) : parts_(parts) {
        rows_.reserve(picture.height());
        for (uint32_t y = 0; y < picture.height(); ++y) rows_.push_back(picture.row(y).data());
    }

    uint8_t pixel(int x, int y) const { return rows_[static_cast<size_t>(y)][x]; }

    // First part, and orientation within it, equal to the 8×8 cell at (x, y);
    // the cell value without palette and base, or -1.
    int32_t find(int x, int y) const {
        const int count = parts_.columns * parts_.rows;
        for (int part = 0; part < count; ++part) {
            const int px = parts_.x + 8 * (part % parts_.columns);
            const int py = parts_.y + 8 * (part / parts_.columns);
            for (int orientation = 0; orientation < 4; ++orientation) {
                if (equal(x, y, px, py, orientation & 1, orientation & 2))
                    return part + (orientation & 1 ? kMirrored : 0) + (orientation & 2 ? kFlipped : 0);
            }
        }
        return -1;
    }

private:
    bool equal(int x, int y, int px, int py, bool mirrored, bool flipped) const {
        for (int dy = 0; dy < 8; ++dy) {
            const uint8_t* cell = rows_[static_cast<size_t>(y + dy)] + x;
            const uint8_t* part = rows_[static_cast<size_t>(py + (flipped ? 7 - dy : dy))] + px;
            if (mirrored) {
                for (int dx = 0; dx < 8; ++dx)
                    if (cell[dx] != part[7 - dx]) return false;
            } else {
                for (int dx = 0; dx < 8; ++dx)
                    if (cell[dx] != part[dx]) return false;
            }
        }
        return true;
    }

    Grid parts_;
    std::vector<const uint8_t*> rows_;
};

}  // namespace

ConvertResult convert(const BmpPixels& picture, const Settings& s) {
    ConvertResult result;
    Grid map, parts, blocks;
    if (!fits(picture, s.map.x, s.map.y, s.map.width / 8, s.map.height / 8, 8, map) || s.map.width < 0 ||
        s.map.height < 0) {
        result.status = ConvertStatus::AreaOutside;
        result.area = "map";
        return result;
    }
    if (!fits(picture, s.attr_x, s.attr_y, s.map.width / 16, s.map.height / 16, 16, blocks)) {
        result.status = ConvertStatus::AreaOutside;
        result.area = "attribute";
        return result;
    }
    if (!fits(picture, s.parts.x, s.parts.y, s.parts.width / 8, s.parts.height / 8, 8, parts) ||
        s.parts.width < 0 || s.parts.height < 0) {
        result.status = ConvertStatus::AreaOutside;
        result.area = "parts";
        return result;
    }

    const Matcher matcher(picture, parts);
    std::vector<uint8_t> map_bytes;
    map_bytes.reserve(static_cast<size_t>(map.columns) * map.rows * 2);
    ByteWriter out(map_bytes);
    for (int r = 0; r < map.rows; ++r) {
        for (int c = 0; c < map.columns; ++c) {
            const int x = map.x + 8 * c;
            const int y = map.y + 8 * r;
            const int32_t found = matcher.find(x, y);
            if (found < 0) {
                result.status = ConvertStatus::Disagreement;
                result.cell_x = 8 * c;
                result.cell_y = 8 * r;
                return result;
            }
            const int palette = matcher.pixel(x, y) >> 4;
            // The sum is kept to 16 bits: a large base or part index wraps.
            const int64_t cell = int64_t{found} + 512 * palette + s.base;
            out.u16(static_cast<uint16_t>(cell & 0xFFFF));
        }
    }

    // Blocks are packed in pairs; with an odd count the last low nibble comes
    // from the block just right of the area, or 0 when that is off the picture.
    std::vector<uint8_t> attributes;
    const int bytes_per_row = (blocks.columns + 1) / 2;
    attributes.reserve(static_cast<size_t>(bytes_per_row) * blocks.rows);
    for (int r = 0; r < blocks.rows; ++r) {
        const int y = blocks.y + 16 * r;
        for (int b = 0; b < bytes_per_row; ++b) {
            const int left_x = blocks.x + 32 * b;
            const int right_x = left_x + 16;
            const uint8_t left = matcher.pixel(left_x, y) & 0x0F;
            const uint8_t right =
                int64_t{right_x} < int64_t{picture.width()} ? (matcher.pixel(right_x, y) & 0x0F) : 0;
            attributes.push_back(static_cast<uint8_t>(left << 4 | right));
        }
    }

    result.map = std::move(map_bytes);
    result.attributes = std::move(attributes);
    return result;
}

}  // namespace lumora::gridex
