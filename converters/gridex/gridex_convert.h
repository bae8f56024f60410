#pragma once
// Building the tile map and the block attributes from an 8-bit picture.

#include <cstdint>
#include <string>
#include <vector>

#include "common/bmp.h"
#include "converters/gridex/gridex_settings.h"

namespace lumora::gridex {

// Bits added to a map cell for the orientation in which the part matched.
constexpr uint16_t kMirrored = 0x4000;
constexpr uint16_t kFlipped = 0x8000;

enum class ConvertStatus {
    Ok,
    AreaOutside,    // an area has a negative size or reaches past the picture
    Disagreement,   // a map cell matches no part in any orientation
};

struct ConvertResult {
    ConvertStatus status = ConvertStatus::Ok;
    std::vector<uint8_t> map;         // little-endian u16 cells, top row first
    std::vector<uint8_t> attributes;  // two 4-bit block values per byte
    // Disagreement: pixel offset of the cell within the map area.
    int cell_x = 0;
    int cell_y = 0;
    // AreaOutside: which area ("map", "attribute" or "parts").
    std::string area;
};

// `picture` must have 8 bits per pixel. Nothing outside the picture is read:
// areas that do not fit are reported as AreaOutside.
ConvertResult convert(const BmpPixels& picture, const Settings& settings);

}  // namespace lumora::gridex
