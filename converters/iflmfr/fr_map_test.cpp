#include "converters/iflmfr/fr_map.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(FrMapHeader, FieldsAndDerivedOffsets) {
    std::vector<uint8_t> bytes = {0,  1,  2,  3,       4,        5,        6,  7,  /*W*/ 10, /*H*/ 4,
                                  10, 11, 12, /*P*/ 3, /*c0*/ 2, /*c1*/ 6, 16, 17, 0xAB};
    const auto h = lumora::fr::parse_map_header(bytes);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->width_tiles, 10);
    EXPECT_EQ(h->height_tiles, 4);
    EXPECT_EQ(h->palette_bytes(), 3u * 4u * 2u);
    EXPECT_EQ(h->attribute_offset(), 18u + 24u);
    EXPECT_EQ(h->tile_data_offset(), 18u + 24u + 40u);
    EXPECT_EQ(h->raw[17], 17);
}

TEST(FrMapHeader, ShortHeaderAndReversedColourRange) {
    std::vector<uint8_t> bytes(17, 0);
    EXPECT_FALSE(lumora::fr::parse_map_header(bytes));
    bytes.resize(18);
    bytes[13] = 255;
    bytes[14] = 9;
    bytes[15] = 3;  // c1 < c0
    const auto h = lumora::fr::parse_map_header(bytes);
    ASSERT_TRUE(h);
    EXPECT_FALSE(h->colour_range_valid());
    EXPECT_EQ(h->palette_bytes(), 0u);
}

}  // namespace
