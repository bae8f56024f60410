#include "converters/pictosrc/pictosrc_colors.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lumora::pictosrc {
namespace {

std::vector<int32_t> positions(const Entry& e, const PositionPool& pool) {
    std::vector<int32_t> v;
    for (int32_t p = e.head; p >= 0; p = pool.next(p)) v.push_back(p);
    return v;
}

Entry entry(PositionPool& pool, Key key, std::initializer_list<int32_t> where) {
    Entry e{key, 0, -1, -1};
    for (int32_t p : where) e.add(pool, p);
    return e;
}

TEST(PictosrcColors, KeysDropTheLowFourBits) {
    EXPECT_EQ(key_of(0x10, 0x00, 0x00), key_of(0x1F, 0x0F, 0x0A));
    EXPECT_NE(key_of(0x10, 0, 0), key_of(0x20, 0, 0));
    const Key k = key_of(0xFF, 0x80, 0x0F);
    EXPECT_EQ(k.blue, 15);
    EXPECT_EQ(k.green, 8);
    EXPECT_EQ(k.red, 0);
    EXPECT_EQ(distance(Key{1, 2, 3}, Key{4, 0, 3}), 9 + 4);
}

TEST(PictosrcColors, MergedKeyWeighsEachColourByTheOtherOnesCount) {
    // P used by 3 pixels (component 2), Q by 1 (component 10):
    // (3 × 10 + 1 × 2) ÷ 4 = 8 in every component.
    PositionPool pool(16);
    ColorSet set{entry(pool, Key{2, 2, 2}, {0, 1, 2}), entry(pool, Key{10, 10, 10}, {3})};
    reduce(set, pool, 1);
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].key, (Key{8, 8, 8}));
    EXPECT_EQ(set[0].count, 4u);
    EXPECT_EQ(positions(set[0], pool), (std::vector<int32_t>{0, 1, 2, 3}));
}

TEST(PictosrcColors, ClosestPairMergesFirstOnTiesAndKeepsTheEarlierPlace) {
    PositionPool pool(16);
    // Distances: a-b 4, b-c 1, c-d 1, a-d 36. First closest pair is (b, c).
    ColorSet set{entry(pool, Key{0, 0, 0}, {0}), entry(pool, Key{2, 0, 0}, {1, 2}),
                 entry(pool, Key{3, 0, 0}, {3}), entry(pool, Key{4, 0, 0}, {4, 5, 6})};
    reduce(set, pool, 3);
    ASSERT_EQ(set.size(), 3u);
    // b (2 pixels, 2) with c (1 pixel, 3): (2 × 3 + 1 × 2) ÷ 3 = 2.
    EXPECT_EQ(set[0].key, (Key{0, 0, 0}));
    EXPECT_EQ(set[1].key, (Key{2, 0, 0}));
    EXPECT_EQ(positions(set[1], pool), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(set[2].key, (Key{4, 0, 0}));
    // Now b-d is 4 and a-b is 4: the first such pair, (a, b), merges.
    reduce(set, pool, 2);
    ASSERT_EQ(set.size(), 2u);
    // a (1 pixel, 0) with b (3 pixels, 2): (1 × 2 + 3 × 0) ÷ 4 = 0.
    EXPECT_EQ(set[0].key, (Key{0, 0, 0}));
    EXPECT_EQ(set[0].count, 4u);
    EXPECT_EQ(set[1].key, (Key{4, 0, 0}));
}

TEST(PictosrcColors, SixtyFourColoursComeDownToFifteenWithoutLosingPixels) {
    PositionPool pool(64);
    ColorSet set;
    for (int i = 0; i < 64; ++i)
        set.push_back(entry(pool, Key{static_cast<uint8_t>(i % 16), static_cast<uint8_t>(i / 16 * 5), 7}, {i}));
    reduce(set, pool);
    ASSERT_EQ(set.size(), 15u);
    std::vector<int32_t> all;
    for (const Entry& e : set) {
        const auto p = positions(e, pool);
        EXPECT_EQ(p.size(), e.count);
        all.insert(all.end(), p.begin(), p.end());
    }
    std::sort(all.begin(), all.end());
    ASSERT_EQ(all.size(), 64u);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(all[static_cast<size_t>(i)], i);
    EXPECT_EQ(find_key(set, set[3].key), 3);
    EXPECT_EQ(find_key(set, Key{15, 15, 15}), -1);
}

}  // namespace
}  // namespace lumora::pictosrc
