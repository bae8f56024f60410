#pragma once
// Tiled map resources, mapinfo.dat files and the expected map header files
// of a few reference maps, for the orvconv tests.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvtest {

using Bytes = std::vector<uint8_t>;

struct MapShape {
    uint8_t w = 4, h = 3, palettes = 2, c0 = 1, c1 = 4;
    size_t tile_bytes = 384;
};

Bytes make_map(const MapShape& shape);
// The tile-data part of make_map(shape).
Bytes tiles_of(const MapShape& shape);

// A 12-line mapinfo.dat (CR LF line ends) with lines 6-11 as given.
std::string mapinfo_text(const std::string& lu_lat, const std::string& lu_lon, const std::string& rd_lat,
                         const std::string& rd_lon, const std::string& width, const std::string& height);

Bytes from_hex(std::string_view hex);
Bytes read_file(const std::string& path);
bool file_exists(const std::string& path);
void write_file(const std::string& path, const Bytes& bytes);
void write_text(const std::string& path, const std::string& text);

// Reference maps: the resource, its mapinfo.dat and the whole ORVMAPA.fr
// expected from it (worked out independently of the converter).
struct Reference {
    MapShape shape;
    std::string mapinfo;
    bool absolute = false;
    Bytes header_file;
};
// 4x3 tiles, picture 40x24 pixels (wider than the tiles), normal mode.
Reference small_map();
// 2x2 tiles from 170 E across the date line to 190 E (-170), normal mode.
Reference date_line_map();
// 3x2 tiles with corners already in map units.
Reference absolute_map();
// 8 tiles wide (pieces of exactly 65536 bytes); pass the tile data length.
Reference wide_map(size_t tile_bytes);
// 3 tiles wide: 682 rows of 96 bytes per piece.
Reference narrow_map(size_t tile_bytes);

}  // namespace orvtest
