#pragma once
// Reading Windows BMP files held whole in memory.
//
// Reading is split in two steps so a program can check depth and size in its
// own order with its own messages: parse_bmp_header() looks at the headers
// only, bmp_pixels() then checks that the pixel rows the header promises are
// really there and hands out rows counted from the top of the picture,
// whatever order the file stores them in. Nothing here ever reads past the
// buffer it was given.
//
// Accepted: the 12-byte core header and the information headers of 40, 52,
// 56, 108 and 124 bytes (the larger ones begin with the 40-byte layout);
// bottom-up and top-down (negative height) rows.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lumora {

enum class BmpStatus {
    Ok,
    NotBmp,             // no "BM" signature, or too short to hold the headers
    UnsupportedHeader,  // header size unknown, or width/height unusable
    ShortPixelData,     // fewer pixel bytes than width, height and depth need
    UnsupportedDepth,   // bit count that has no row layout (0 or above 32)
    UnsupportedCompression,  // JPEG/PNG inside, or run-length coding that does not fit the depth
};

// Compression field values.
constexpr uint32_t kBmpRgb = 0;
constexpr uint32_t kBmpRle8 = 1;
constexpr uint32_t kBmpRle4 = 2;
constexpr uint32_t kBmpBitfields = 3;

struct BmpColor {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
};

struct BmpHeader {
    uint32_t file_size_field = 0;  // as stored; not trusted
    uint32_t pixel_offset_field = 0;
    uint32_t info_size = 0;        // 12 for the core header
    bool core_header = false;
    int32_t width = 0;             // as stored
    int32_t height = 0;            // as stored; negative for top-down rows
    uint16_t planes = 0;
    uint16_t bit_count = 0;
    uint32_t compression = 0;      // always 0 for the core header
    uint32_t colors_used = 0;      // always 0 for the core header
    // Colour table entries that fit in the file (never more than 256).
    std::vector<BmpColor> palette;

    bool top_down() const { return height < 0; }
    // Height in rows, without the sign; 0 for an unusable stored value.
    uint32_t abs_height() const;
    // Bytes per stored row, padded to a multiple of 4.
    uint64_t row_stride() const;
    // Where the pixel rows begin: the file header's offset when it points past
    // the headers and inside the file, otherwise right after the headers, the
    // masks of BI_BITFIELDS and the colour table.
    uint64_t pixel_offset = 0;
};

// Parses the file header and the information header. On failure `status`
// (when given) says why and nothing is returned.
std::optional<BmpHeader> parse_bmp_header(std::span<const uint8_t> file, BmpStatus* status = nullptr);

// Rows of a picture, counted from the top, as views into the file bytes.
class BmpPixels {
public:
    BmpPixels() = default;
    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    uint64_t stride() const { return stride_; }
    // Row `y` from the top; an empty span when y is out of range.
    std::span<const uint8_t> row(uint32_t y) const;

private:
    friend std::optional<BmpPixels> bmp_pixels(std::span<const uint8_t>, const BmpHeader&, BmpStatus*);
    friend std::optional<BmpPixels> bmp_decoded_pixels(std::span<const uint8_t>, const BmpHeader&,
                                                       std::vector<uint8_t>&, BmpStatus*);
    const uint8_t* base_ = nullptr;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint64_t stride_ = 0;
    bool top_down_ = false;
};

// Checks that every row the header describes lies inside `file` and returns
// them. `file` must be the same bytes the header came from and must outlive
// the result. Only for uncompressed rows (RGB and bit fields).
std::optional<BmpPixels> bmp_pixels(std::span<const uint8_t> file, const BmpHeader& header,
                                    BmpStatus* status = nullptr);

// Like bmp_pixels(), and also for run-length coded 8- and 4-bit pictures
// (what ImageMagick writes by default for palette images): those are decoded
// into `storage`, which must then outlive the result. Pixels the coding skips
// are 0. A coded stream that stops before the last row is ShortPixelData;
// a coded picture of more than 256 MiB is UnsupportedHeader.
std::optional<BmpPixels> bmp_decoded_pixels(std::span<const uint8_t> file, const BmpHeader& header,
                                            std::vector<uint8_t>& storage, BmpStatus* status = nullptr);

}  // namespace lumora
