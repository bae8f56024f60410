#include "common/bmp.h"

#include "common/le_bytes.h"

namespace lumora {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

bool known_info_size(uint32_t size) {
    // 52 and 56 are the BITMAPV2/V3 headers some writers emit; 108 and 124
    // are V4 and V5. All of them start with the 40-byte layout.
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

template <typename T>
std::optional<T> fail(BmpStatus* status, BmpStatus why) {
    if (status) *status = why;
    return std::nullopt;
}

}  // namespace

uint32_t BmpHeader::abs_height() const {
    if (height == INT32_MIN) return 0;
    return static_cast<uint32_t>(height < 0 ? -height : height);
}

uint64_t BmpHeader::row_stride() const {
    const uint64_t bits = static_cast<uint64_t>(width < 0 ? 0 : width) * bit_count;
    return (bits + 31) / 32 * 4;
}

std::optional<BmpHeader> parse_bmp_header(std::span<const uint8_t> file, BmpStatus* status) {
    ByteReader in(file);
    BmpHeader h;
    const uint8_t b0 = in.u8();
    const uint8_t b1 = in.u8();
    if (!in.ok() || b0 != 'B' || b1 != 'M') return fail<BmpHeader>(status, BmpStatus::NotBmp);
    h.file_size_field = in.u32();
    in.skip(4);  // two reserved words
    h.pixel_offset_field = in.u32();
    h.info_size = in.u32();
    if (!in.ok()) return fail<BmpHeader>(status, BmpStatus::NotBmp);
    if (!known_info_size(h.info_size)) return fail<BmpHeader>(status, BmpStatus::UnsupportedHeader);
    if (!in.has(h.info_size - 4)) return fail<BmpHeader>(status, BmpStatus::NotBmp);

    uint32_t entry_size = 4;
    if (h.info_size == 12) {
        h.core_header = true;
        h.width = in.u16();
        h.height = in.u16();
        h.planes = in.u16();
        h.bit_count = in.u16();
        entry_size = 3;
    } else {
        h.width = in.s32();
        h.height = in.s32();
        h.planes = in.u16();
        h.bit_count = in.u16();
        h.compression = in.u32();
        in.skip(12);  // image size, resolution
        h.colors_used = in.u32();
    }
    if (h.width < 0 || h.height == INT32_MIN) return fail<BmpHeader>(status, BmpStatus::UnsupportedHeader);

    uint64_t table_entries = 0;
    if (h.colors_used != 0)
        table_entries = h.colors_used;
    else if (h.bit_count <= 8)
        table_entries = uint64_t{1} << h.bit_count;

    uint64_t table_start = kFileHeaderSize + h.info_size;
    // A 40-byte header with bit fields is followed by its three (or four) masks;
    // the larger headers hold the masks inside themselves.
    if (h.info_size == 40 && h.compression == kBiBitfields) table_start += 12;
    if (h.info_size == 40 && h.compression == kBiAlphaBitfields) table_start += 16;

    const uint64_t keep = table_entries < 256 ? table_entries : 256;
    if (table_start <= file.size()) {
        ByteReader table(file.subspan(static_cast<size_t>(table_start)));
        for (uint64_t i = 0; i < keep && table.has(entry_size); ++i) {
            BmpColor c;
            c.blue = table.u8();
            c.green = table.u8();
            c.red = table.u8();
            if (entry_size == 4) table.u8();
            h.palette.push_back(c);
        }
    }

    const uint64_t headers_end = kFileHeaderSize + h.info_size;
    if (h.pixel_offset_field >= headers_end && h.pixel_offset_field <= file.size())
        h.pixel_offset = h.pixel_offset_field;
    else
        h.pixel_offset = table_start + table_entries * entry_size;

    if (status) *status = BmpStatus::Ok;
    return h;
}

std::span<const uint8_t> BmpPixels::row(uint32_t y) const {
    if (y >= height_ || base_ == nullptr) return {};
    const uint64_t stored = top_down_ ? y : height_ - 1 - y;
    return {base_ + stored * stride_, static_cast<size_t>(stride_)};
}

std::optional<BmpPixels> bmp_pixels(std::span<const uint8_t> file, const BmpHeader& header,
                                    BmpStatus* status) {
    if (header.bit_count == 0 || header.bit_count > 32)
        return fail<BmpPixels>(status, BmpStatus::UnsupportedDepth);
    if (!header.core_header && header.compression != kBmpRgb && header.compression != kBmpBitfields &&
        header.compression != kBiAlphaBitfields)
        return fail<BmpPixels>(status, BmpStatus::UnsupportedCompression);
    const uint64_t stride = header.row_stride();
    const uint32_t height = header.abs_height();
    if (header.pixel_offset > file.size()) return fail<BmpPixels>(status, BmpStatus::ShortPixelData);
    const uint64_t available = file.size() - header.pixel_offset;
    // Divide rather than multiply: stride × height can overflow 64 bits for
    // absurd headers.
    if (stride != 0 && height > available / stride) return fail<BmpPixels>(status, BmpStatus::ShortPixelData);

    BmpPixels p;
    p.base_ = file.data() + header.pixel_offset;
    p.width_ = static_cast<uint32_t>(header.width);
    p.height_ = height;
    p.stride_ = stride;
    p.top_down_ = header.top_down();
    if (status) *status = BmpStatus::Ok;
    return p;
}

namespace {

// Decodes BI_RLE8 / BI_RLE4 into bottom-up rows of `stride` bytes. Returns
// false when the stream ends before the picture is complete.
bool decode_rle(std::span<const uint8_t> data, bool four_bit, uint32_t width, uint32_t height, uint64_t stride,
                std::vector<uint8_t>& out) {
    auto put = [&](uint32_t x, uint32_t y, uint8_t v) {
        if (x >= width || y >= height) return;
        uint8_t& byte = out[static_cast<size_t>(y * stride + (four_bit ? x / 2 : x))];
        if (!four_bit)
            byte = v;
        else if (x % 2 == 0)
            byte = static_cast<uint8_t>((byte & 0x0F) | (v << 4));
        else
            byte = static_cast<uint8_t>((byte & 0xF0) | (v & 0x0F));
    };
    ByteReader in(data);
    uint32_t x = 0, y = 0;  // y counts stored rows, bottom row first
    while (y < height) {
        const uint8_t count = in.u8();
        const uint8_t value = in.u8();
        if (!in.ok()) return false;
        if (count > 0) {
            for (uint32_t i = 0; i < count; ++i, ++x)
                put(x, y, four_bit ? static_cast<uint8_t>(i % 2 ? value & 0x0F : value >> 4) : value);
        } else if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of picture
            return true;
        } else if (value == 2) {  // move right and up
            const uint8_t dx = in.u8();
            const uint8_t dy = in.u8();
            if (!in.ok()) return false;
            x += dx;
            y += dy;
        } else {  // `value` pixels stored as they are, padded to a 16-bit boundary
            const size_t bytes = four_bit ? (value + 1u) / 2 : value;
            const auto run = in.take(bytes);
            if (!in.ok()) return false;
            for (uint32_t i = 0; i < value; ++i, ++x)
                put(x, y, four_bit ? static_cast<uint8_t>(i % 2 ? run[i / 2] & 0x0F : run[i / 2] >> 4) : run[i]);
            if (bytes % 2) in.skip(1);
        }
        if (x > width + 255u) x = width;  // runs past the edge are cut, never wrapped
    }
    return true;
}

}  // namespace

std::optional<BmpPixels> bmp_decoded_pixels(std::span<const uint8_t> file, const BmpHeader& header,
                                            std::vector<uint8_t>& storage, BmpStatus* status) {
    const bool rle8 = !header.core_header && header.compression == kBmpRle8;
    const bool rle4 = !header.core_header && header.compression == kBmpRle4;
    if (!rle8 && !rle4) return bmp_pixels(file, header, status);
    // Run-length coding exists only for bottom-up pictures of its own depth.
    if ((rle8 && header.bit_count != 8) || (rle4 && header.bit_count != 4) || header.top_down())
        return fail<BmpPixels>(status, BmpStatus::UnsupportedCompression);
    if (header.pixel_offset > file.size()) return fail<BmpPixels>(status, BmpStatus::ShortPixelData);
    const uint64_t stride = header.row_stride();
    const uint32_t height = header.abs_height();
    // A few coded bytes can describe a huge picture (one end-of-picture mark
    // is enough), so the decoded size is capped instead of trusted.
    constexpr uint64_t kMaxDecoded = uint64_t{256} << 20;
    if (stride != 0 && height > kMaxDecoded / stride) return fail<BmpPixels>(status, BmpStatus::UnsupportedHeader);
    storage.assign(static_cast<size_t>(stride * height), 0);
    if (!decode_rle(file.subspan(static_cast<size_t>(header.pixel_offset)), rle4,
                    static_cast<uint32_t>(header.width), height, stride, storage))
        return fail<BmpPixels>(status, BmpStatus::ShortPixelData);

    BmpPixels p;
    p.base_ = storage.data();
    p.width_ = static_cast<uint32_t>(header.width);
    p.height_ = height;
    p.stride_ = stride;
    p.top_down_ = false;
    if (status) *status = BmpStatus::Ok;
    return p;
}

}  // namespace lumora
