#pragma once
// The console's bitmap resource ("FRBM"): recognising it and turning it into
// a bottom-up device-independent bitmap (40-byte info header, colour table,
// pixel rows), the form picture viewers expect.
//
// Every function takes the bytes it may look at as a span and never reads
// past it, whatever the header claims.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lumora::fr {

// Bytes the header occupies before the colour table (1- and 2-bit modes start
// their tiles right there).
inline constexpr size_t kBitmapHeaderSize = 16;
inline constexpr size_t kInfoHeaderSize = 40;

struct BitmapHeader {
    uint16_t paragraphs = 0;  // length field, 16-byte units
    uint8_t width_tiles = 0;
    uint8_t height_tiles = 0;
    uint8_t mode = 0;  // 0, 1, 2, 4, 5, 6 or 7
    uint8_t shades[4] = {};

    int width_pixels() const { return 8 * width_tiles; }
    int height_pixels() const { return 8 * height_tiles; }
    // Bits per pixel of the stored tiles: 1, 2 or 4.
    int source_depth() const;
    // Bits per pixel of the delivered bitmap: 1 for mode 0, else 4.
    int output_depth() const { return mode == 0 ? 1 : 4; }
    size_t bytes_per_tile() const;
    size_t tile_data_offset() const;
    // Bytes the tiles need (header + optional colour table + W*H tiles);
    // the length field may add padding on top of this.
    size_t content_size() const;
    size_t colour_table_bytes() const { return mode == 0 ? 8 : 64; }
    size_t row_stride() const;
    size_t pixel_block_bytes() const { return row_stride() * 8u * height_tiles; }
    size_t info_block_bytes() const { return kInfoHeaderSize + colour_table_bytes(); }
};

bool is_known_mode(uint8_t mode);

// Magic words, known pixel mode and the length rule, judged on the first 16
// bytes only (that is all a viewer hands over when it asks). nullopt when the
// bytes are not a supported bitmap resource or fewer than 16 are given.
std::optional<BitmapHeader> parse_bitmap_header(std::span<const uint8_t> data);

// The header, and also that `data` really holds every byte the tiles need.
// This is what decoding requires.
std::optional<BitmapHeader> parse_complete_bitmap(std::span<const uint8_t> data);

// The pieces of the delivered bitmap. Each writer fills exactly the size the
// header reports (info header 40 bytes, colour_table_bytes(),
// pixel_block_bytes()); `data` must have passed parse_complete_bitmap.
void write_info_header(const BitmapHeader& h, uint8_t* out);
void write_colour_table(const BitmapHeader& h, std::span<const uint8_t> data, uint8_t* out);
void write_pixels(const BitmapHeader& h, std::span<const uint8_t> data, uint8_t* out);

// Four planes of one tile line to eight 4-bit pixels, two per byte, the left
// pixel in the high nibble.
void planes_to_nibbles(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t out[4]);

struct Dib {
    std::vector<uint8_t> info;    // info header + colour table
    std::vector<uint8_t> pixels;  // bottom-up rows
};
std::optional<Dib> decode_dib(std::span<const uint8_t> data);

// A top-down, one-index-per-pixel picture with its palette as 0xFFRRGGBB,
// for image libraries that take that form.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> palette;  // 2 or 16 entries
    std::vector<uint8_t> indices;   // width*height, row 0 is the top
};
std::optional<IndexedImage> decode_indexed(std::span<const uint8_t> data);

}  // namespace lumora::fr
