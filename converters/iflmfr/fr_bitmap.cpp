#include "converters/iflmfr/fr_bitmap.h"

#include <cstring>

#include "common/le_bytes.h"

namespace lumora::fr {

bool is_known_mode(uint8_t mode) {
    return mode == 0 || mode == 1 || mode == 2 || (mode >= 4 && mode <= 7);
}

int BitmapHeader::source_depth() const {
    if (mode == 0) return 1;
    if (mode == 1 || mode == 2) return 2;
    return 4;
}

size_t BitmapHeader::bytes_per_tile() const {
    return 8u * static_cast<size_t>(source_depth());
}

size_t BitmapHeader::tile_data_offset() const {
    return source_depth() == 4 ? 48 : 16;
}

size_t BitmapHeader::content_size() const {
    return tile_data_offset() + bytes_per_tile() * width_tiles * height_tiles;
}

size_t BitmapHeader::row_stride() const {
    // 1-bit rows are padded to whole 32-bit words; 4-bit rows (4 bytes per
    // tile) always are.
    if (mode == 0) return 4u * ((width_tiles + 3u) / 4u);
    return 4u * width_tiles;
}

namespace {

bool length_rule_holds(uint16_t n, uint8_t mode, uint8_t w, uint8_t h) {
    const uint64_t total = 16ull * n;
    const uint64_t tiles = static_cast<uint64_t>(w) * h;
    switch (mode) {
        case 0:
            // The writer rounds the 8-byte tiles up to whole paragraphs.
            return (tiles % 2 == 0) ? total == 16 + 8 * tiles : total == 24 + 8 * tiles;
        case 1:
        case 2:
            return total == 16 + 16 * tiles;
        case 4:
        case 5:
        case 6:
        case 7:
            return total == 48 + 32 * tiles;
        default:
            return false;
    }
}

}  // namespace

std::optional<BitmapHeader> parse_bitmap_header(std::span<const uint8_t> data) {
    ByteReader r(data);
    uint8_t magic[4];
    r.bytes(magic, 4);
    BitmapHeader h;
    h.paragraphs = r.u16();
    r.skip(2);
    h.width_tiles = r.u8();
    h.height_tiles = r.u8();
    h.mode = r.u8();
    r.skip(1);
    r.bytes(h.shades, 4);
    if (!r.ok()) return std::nullopt;
    if (std::memcmp(magic, "FRBM", 4) != 0) return std::nullopt;
    if (!is_known_mode(h.mode)) return std::nullopt;
    if (!length_rule_holds(h.paragraphs, h.mode, h.width_tiles, h.height_tiles)) return std::nullopt;
    return h;
}

std::optional<BitmapHeader> parse_complete_bitmap(std::span<const uint8_t> data) {
    auto h = parse_bitmap_header(data);
    if (!h || data.size() < h->content_size()) return std::nullopt;
    return h;
}

void write_info_header(const BitmapHeader& h, uint8_t* out) {
    std::memset(out, 0, kInfoHeaderSize);
    store_u32le(out + 0, 40);
    store_u32le(out + 4, static_cast<uint32_t>(h.width_pixels()));
    store_u32le(out + 8, static_cast<uint32_t>(h.height_pixels()));  // positive: bottom-up
    store_u16le(out + 12, 1);
    store_u16le(out + 14, static_cast<uint16_t>(h.output_depth()));
    // compression 0 at 16
    store_u32le(out + 20, static_cast<uint32_t>(h.pixel_block_bytes()));
    // resolutions, colours used and important colours stay 0
}

void write_colour_table(const BitmapHeader& h, std::span<const uint8_t> data, uint8_t* out) {
    uint8_t table[64] = {};
    auto set = [&](int i, uint8_t red, uint8_t green, uint8_t blue) {
        table[4 * i + 0] = blue;
        table[4 * i + 1] = green;
        table[4 * i + 2] = red;
    };
    if (h.source_depth() == 4) {
        for (int i = 0; i < 16; ++i) {
            const uint16_t word = load_u16le(data.data() + 16 + 2 * i);
            set(i, static_cast<uint8_t>(((word >> 8) & 0xF) * 0x11),
                static_cast<uint8_t>(((word >> 4) & 0xF) * 0x11), static_cast<uint8_t>((word & 0xF) * 0x11));
        }
    } else {
        // A shade is ink density: 0 is white paper, 255 full black.
        const int shades = h.mode == 0 ? 2 : 4;
        for (int i = 0; i < shades; ++i) {
            const auto grey = static_cast<uint8_t>(255 - h.shades[i]);
            set(i, grey, grey, grey);
        }
    }
    std::memcpy(out, table, h.colour_table_bytes());
}

void planes_to_nibbles(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t out[4]) {
    for (int p = 0; p < 8; ++p) {
        const int bit = 7 - p;
        const int value = (((b3 >> bit) & 1) << 3) | (((b2 >> bit) & 1) << 2) | (((b1 >> bit) & 1) << 1) |
                          ((b0 >> bit) & 1);
        if (p % 2 == 0)
            out[p / 2] = static_cast<uint8_t>(value << 4);
        else
            out[p / 2] = static_cast<uint8_t>(out[p / 2] | value);
    }
}

void write_pixels(const BitmapHeader& h, std::span<const uint8_t> data, uint8_t* out) {
    const size_t w = h.width_tiles;
    const size_t tile_bytes = h.bytes_per_tile();
    const size_t line_bytes = tile_bytes / 8;
    const size_t stride = h.row_stride();
    const uint8_t* tiles = data.data() + h.tile_data_offset();
    uint8_t* row = out;
    for (size_t y = h.height_tiles; y-- > 0;) {
        for (size_t l = 8; l-- > 0;) {
            uint8_t* dst = row;
            for (size_t x = 0; x < w; ++x) {
                const uint8_t* line = tiles + (y * w + x) * tile_bytes + l * line_bytes;
                switch (h.mode) {
                    case 0:
                        *dst++ = line[0];
                        break;
                    case 1:
                    case 2:
                        planes_to_nibbles(line[0], line[1], 0, 0, dst);
                        dst += 4;
                        break;
                    case 4:
                    case 6:
                        planes_to_nibbles(line[0], line[1], line[2], line[3], dst);
                        dst += 4;
                        break;
                    default:  // 5, 7: already packed two pixels per byte
                        std::memcpy(dst, line, 4);
                        dst += 4;
                        break;
                }
            }
            // Row padding carries no pixels; keep it zero so output is reproducible.
            std::memset(dst, 0, stride - static_cast<size_t>(dst - row));
            row += stride;
        }
    }
}

std::optional<Dib> decode_dib(std::span<const uint8_t> data) {
    auto h = parse_complete_bitmap(data);
    if (!h) return std::nullopt;
    Dib dib;
    dib.info.resize(h->info_block_bytes());
    dib.pixels.resize(h->pixel_block_bytes());
    write_info_header(*h, dib.info.data());
    write_colour_table(*h, data, dib.info.data() + kInfoHeaderSize);
    if (!dib.pixels.empty()) write_pixels(*h, data, dib.pixels.data());
    return dib;
}

std::optional<IndexedImage> decode_indexed(std::span<const uint8_t> data) {
    auto h = parse_complete_bitmap(data);
    auto dib = decode_dib(data);
    if (!h || !dib) return std::nullopt;
    IndexedImage img;
    img.width = h->width_pixels();
    img.height = h->height_pixels();
    const size_t entries = h->colour_table_bytes() / 4;
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t* e = dib->info.data() + kInfoHeaderSize + 4 * i;
        img.palette.push_back(0xFF000000u | (uint32_t{e[2]} << 16) | (uint32_t{e[1]} << 8) | e[0]);
    }
    img.indices.resize(static_cast<size_t>(img.width) * img.height);
    const size_t stride = h->row_stride();
    for (int y = 0; y < img.height; ++y) {
        const uint8_t* src = dib->pixels.data() + stride * static_cast<size_t>(img.height - 1 - y);
        uint8_t* dst = img.indices.data() + static_cast<size_t>(y) * img.width;
        for (int x = 0; x < img.width; ++x) {
            if (h->output_depth() == 1)
                dst[x] = (src[x / 8] >> (7 - x % 8)) & 1;
            else
                dst[x] = (x % 2 == 0) ? (src[x / 2] >> 4) : (src[x / 2] & 0x0F);
        }
    }
    return img;
}

}  // namespace lumora::fr
