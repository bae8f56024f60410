#pragma once
// From a 24-bit picture to at most 16 palettes of at most 15 colours, the
// palette of every 8×8 tile and the colour number of every pixel.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "common/bmp.h"
#include "converters/pictosrc/pictosrc_colors.h"
#include "converters/pictosrc/pictosrc_merge.h"

namespace lumora::pictosrc {

struct Conversion {
    uint32_t tiles_x = 0;
    uint32_t tiles_y = 0;
    std::vector<std::vector<Key>> palettes;  // at most 16, in list order
    std::vector<uint8_t> tile_palette;       // per tile, rows from the top
    std::vector<uint8_t> color_number;       // per pixel (y × width + x), 1-15
};

struct ConvertHooks {
    // After every tile has its palette, before merging starts.
    std::function<void()> tiles_done;
    // Before each merging step, with the palette count.
    MergeProgress merging;
    // When merging is over.
    std::function<void()> merging_done;
};

// `picture` must have 24 bits per pixel and a width and height that are
// multiples of 8. Returns nothing when memory runs out or the picture has more
// pixels than positions can be counted.
std::optional<Conversion> convert(const BmpPixels& picture, MergeMethod method = MergeMethod::Incremental,
                                  const ConvertHooks& hooks = {});

}  // namespace lumora::pictosrc
