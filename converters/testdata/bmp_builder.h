#pragma once
// Writes small BMP files for tests, in the layouts real tools produce.

#include <cstdint>
#include <vector>

#include "common/le_bytes.h"

namespace lumora::testdata {

struct BmpLayout {
    int width = 8;
    int height = 8;
    uint16_t bit_count = 8;
    bool top_down = false;
    uint32_t info_size = 40;      // 12, 40, 108 or 124
    uint32_t compression = 0;
    uint32_t colors_used = 0;     // written as is; also the table length when nonzero
    int table_entries = -1;       // -1: colors_used, or 2^bits up to 8 bits, else none
    uint32_t gap_after_table = 0; // bytes between the colour table and the pixels
    bool zero_offset_field = false;
};

// `pixels` holds width × height values, top row first: colour indices for up
// to 8 bits, 0xRRGGBB for 24 bits and 0xAARRGGBB for 32 bits.
inline std::vector<uint8_t> build_bmp(const BmpLayout& l, const std::vector<uint32_t>& pixels) {
    int entries = l.table_entries;
    if (entries < 0) entries = l.colors_used ? static_cast<int>(l.colors_used) : (l.bit_count <= 8 ? 1 << l.bit_count : 0);
    const uint32_t entry_size = l.info_size == 12 ? 3 : 4;
    const uint32_t offset = 14 + l.info_size + entries * entry_size + l.gap_after_table;
    const uint32_t stride = (static_cast<uint32_t>(l.width) * l.bit_count + 31) / 32 * 4;

    std::vector<uint8_t> bytes;
    ByteWriter w(bytes);
    w.u8('B').u8('M').u32(offset + stride * l.height).u32(0).u32(l.zero_offset_field ? 0 : offset);
    w.u32(l.info_size);
    if (l.info_size == 12) {
        w.u16(static_cast<uint16_t>(l.width)).u16(static_cast<uint16_t>(l.height)).u16(1).u16(l.bit_count);
    } else {
        w.s32(l.width).s32(l.top_down ? -l.height : l.height).u16(1).u16(l.bit_count);
        w.u32(l.compression).u32(stride * l.height).u32(2835).u32(2835).u32(l.colors_used).u32(0);
        // V4/V5 tail: masks, colour space "BGRs", end points, gamma, intent...
        if (l.info_size >= 108) {
            w.u32(0x00FF0000).u32(0x0000FF00).u32(0x000000FF).u32(0xFF000000);
            w.u32(0x73524742);
            w.fill(36 + 12, 0);
        }
        if (l.info_size == 124) w.u32(4).u32(0).u32(0).u32(0);
    }
    for (int i = 0; i < entries; ++i) {
        // A grey ramp; the converters do not look at the table.
        const uint8_t v = static_cast<uint8_t>(i);
        w.u8(v).u8(v).u8(v);
        if (entry_size == 4) w.u8(0);
    }
    w.fill(l.gap_after_table, 0xEE);

    for (int stored = 0; stored < l.height; ++stored) {
        const int y = l.top_down ? stored : l.height - 1 - stored;
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < l.width; ++x) {
            const uint32_t v = pixels[static_cast<size_t>(y) * l.width + x];
            switch (l.bit_count) {
                case 4:
                    row[x / 2] |= static_cast<uint8_t>((v & 0xF) << (x % 2 ? 0 : 4));
                    break;
                case 8:
                    row[x] = static_cast<uint8_t>(v);
                    break;
                case 24:
                    row[3 * x] = static_cast<uint8_t>(v);
                    row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
                    row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
                    break;
                case 32:
                    store_u32le(&row[4 * x], v);
                    break;
                default:
                    break;
            }
        }
        w.raw(row.data(), row.size());
    }
    return bytes;
}

}  // namespace lumora::testdata
