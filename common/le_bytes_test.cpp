#include "common/le_bytes.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(ByteReader, ReadsLittleEndianValuesInOrder) {
    const uint8_t data[] = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
    ByteReader r(data, sizeof data);
    EXPECT_EQ(r.u8(), 0x01);
    EXPECT_EQ(r.u16(), 0x1234);
    EXPECT_EQ(r.u32(), 0x12345678u);
    EXPECT_EQ(r.s16(), -2);
    EXPECT_EQ(r.s32(), static_cast<int32_t>(0x7FFFFFFF));
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.at_end());
}

TEST(ByteReader, ReadPastEndFailsForGoodAndYieldsZero) {
    const uint8_t data[] = {0xAA, 0xBB, 0xCC};
    ByteReader r(data, sizeof data);
    EXPECT_EQ(r.u16(), 0xBBAA);
    EXPECT_EQ(r.u32(), 0u);  // only one byte left
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.position(), 2u);  // a failed read does not move
    EXPECT_EQ(r.u8(), 0xCC);     // still readable, but the failure sticks
    EXPECT_FALSE(r.ok());
}

TEST(ByteReader, BytesTakeSkipAndSeekAreBounded) {
    const uint8_t data[] = {1, 2, 3, 4};
    ByteReader r(data, sizeof data);
    uint8_t out[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_FALSE(r.bytes(out, 5));
    EXPECT_EQ(out[0], 0);  // zero-filled, nothing copied
    ByteReader r2(data, sizeof data);
    EXPECT_EQ(r2.take(3).size(), 3u);
    EXPECT_TRUE(r2.take(2).empty());
    EXPECT_FALSE(r2.ok());
    ByteReader r3(data, sizeof data);
    EXPECT_TRUE(r3.seek(4));
    EXPECT_FALSE(r3.seek(5));
    ByteReader r4(data, sizeof data);
    EXPECT_FALSE(r4.skip(SIZE_MAX));  // no wrap-around on huge counts
    ByteReader empty(nullptr, 10);
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_EQ(empty.u8(), 0);
    EXPECT_FALSE(empty.ok());
}

TEST(ByteWriter, WritesAndPatchesLittleEndian) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.u8(1).u16(0x0302).u32(0x07060504).s16(-1).fill(2, 0xEE).text("ab");
    EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 0xFF, 0xFF, 0xEE, 0xEE, 'a', 'b'}));
    EXPECT_TRUE(w.patch_u32(1, 0xAABBCCDD));
    EXPECT_EQ(out[1], 0xDD);
    EXPECT_EQ(out[4], 0xAA);
    EXPECT_FALSE(w.patch_u32(10, 0));  // would run past the end
    EXPECT_FALSE(w.patch_u32(100, 0));
}

}  // namespace
}  // namespace lumora
