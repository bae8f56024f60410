#include "converters/pictosrc/pictosrc_convert.h"

#include <new>

namespace lumora::pictosrc {

namespace {

// The tile's colours in order of first appearance, pixels line by line.
ColorSet tile_colors(const BmpPixels& picture, uint32_t tx, uint32_t ty, PositionPool& pool) {
    ColorSet set;
    const uint32_t width = picture.width();
    for (uint32_t y = ty * 8; y < ty * 8 + 8; ++y) {
        const auto row = picture.row(y);
        for (uint32_t x = tx * 8; x < tx * 8 + 8; ++x) {
            const Key key = key_of(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
            const int32_t position = static_cast<int32_t>(y * width + x);
            const int at = find_key(set, key);
            if (at >= 0) {
                set[static_cast<size_t>(at)].add(pool, position);
            } else {
                set.push_back(Entry{key, 0, -1, -1});
                set.back().add(pool, position);
            }
        }
    }
    return set;
}

bool holds_all(const ColorSet& palette, const ColorSet& tile) {
    if (palette.size() < tile.size()) return false;
    for (const Entry& e : tile)
        if (find_key(palette, e.key) < 0) return false;
    return true;
}

std::optional<Conversion> run(const BmpPixels& picture, MergeMethod method, const ConvertHooks& hooks) {
    const uint64_t pixels = uint64_t{picture.width()} * picture.height();
    if (pixels > static_cast<uint64_t>(INT32_MAX)) return std::nullopt;
    Conversion out;
    out.tiles_x = picture.width() / 8;
    out.tiles_y = picture.height() / 8;

    PositionPool pool(static_cast<size_t>(pixels));
    std::vector<ColorSet> palettes;
    for (uint32_t ty = 0; ty < out.tiles_y; ++ty) {
        for (uint32_t tx = 0; tx < out.tiles_x; ++tx) {
            ColorSet tile = tile_colors(picture, tx, ty, pool);
            reduce(tile, pool);
            bool placed = false;
            for (ColorSet& palette : palettes) {
                if (!holds_all(palette, tile)) continue;
                for (Entry& e : tile) palette[static_cast<size_t>(find_key(palette, e.key))].take(pool, e);
                placed = true;
                break;
            }
            if (!placed) palettes.push_back(std::move(tile));
        }
    }
    if (hooks.tiles_done) hooks.tiles_done();
    merge_palettes(palettes, pool, method, hooks.merging);
    if (hooks.merging_done) hooks.merging_done();

    // Every pixel now sits in exactly one entry of one palette.
    const uint32_t width = picture.width();
    out.color_number.assign(static_cast<size_t>(pixels), 0);
    out.tile_palette.assign(static_cast<size_t>(out.tiles_x) * out.tiles_y, 0);
    for (size_t p = 0; p < palettes.size(); ++p) {
        std::vector<Key> keys;
        for (size_t e = 0; e < palettes[p].size(); ++e) {
            keys.push_back(palettes[p][e].key);
            for (int32_t pos = palettes[p][e].head; pos >= 0; pos = pool.next(pos)) {
                const uint32_t x = static_cast<uint32_t>(pos) % width;
                const uint32_t y = static_cast<uint32_t>(pos) / width;
                out.color_number[static_cast<size_t>(pos)] = static_cast<uint8_t>(e + 1);
                out.tile_palette[static_cast<size_t>(y / 8) * out.tiles_x + x / 8] = static_cast<uint8_t>(p);
            }
        }
        out.palettes.push_back(std::move(keys));
    }
    return out;
}

}  // namespace

std::optional<Conversion> convert(const BmpPixels& picture, MergeMethod method, const ConvertHooks& hooks) {
    try {
        return run(picture, method, hooks);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace lumora::pictosrc
