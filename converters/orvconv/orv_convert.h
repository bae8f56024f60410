#pragma once
// Splitting a tiled map resource into the map header file ORVMAPA.fr and the
// data files ORVMAPB1.fr .. ORVMAPB4.fr.

#include <cstdint>
#include <string>

#include "converters/orvconv/mapinfo.h"

namespace lumora::orv {

inline constexpr size_t kPieceLimit = 65536;  // the console loads one piece at a time
inline constexpr int kMaxDataFiles = 4;

struct ConvertRequest {
    std::string fr_path;
    std::string out_dir = ".";
    MapFields fields;       // texts as entered; parsed like the window does
    bool absolute = false;  // coordinates already in map units
};

struct ConvertResult {
    bool ok = false;
    std::string message;  // set when !ok
    int data_files = 0;   // written on success
};

// Piece layout of the tile data: rows of W tiles, at most kPieceLimit bytes.
struct PieceLayout {
    uint16_t rows_per_piece = 0;  // R
    size_t piece_bytes = 0;       // S
    size_t full_pieces = 0;       // N
    size_t last_bytes = 0;        // E
};
// width_tiles must be nonzero.
PieceLayout layout_pieces(unsigned width_tiles, size_t tile_bytes);

ConvertResult convert(const ConvertRequest& request);

}  // namespace lumora::orv
