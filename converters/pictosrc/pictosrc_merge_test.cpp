#include "converters/pictosrc/pictosrc_merge.h"

#include <gtest/gtest.h>

#include <random>

namespace lumora::pictosrc {
namespace {

ColorSet palette(PositionPool& pool, int32_t& next_position, std::initializer_list<Key> keys) {
    ColorSet set;
    for (Key k : keys) {
        set.push_back(Entry{k, 0, -1, -1});
        set.back().add(pool, next_position++);
    }
    return set;
}

std::vector<std::vector<Key>> keys_of(const std::vector<ColorSet>& palettes) {
    std::vector<std::vector<Key>> out;
    for (const auto& p : palettes) {
        out.emplace_back();
        for (const auto& e : p) out.back().push_back(e.key);
    }
    return out;
}

TEST(PictosrcMerge, CostSumsTheNearestDistanceOfEveryColourOfTheLaterPalette) {
    PositionPool pool(16);
    int32_t at = 0;
    const ColorSet a = palette(pool, at, {Key{0, 0, 0}, Key{10, 0, 0}});
    const ColorSet b = palette(pool, at, {Key{1, 0, 0}, Key{9, 0, 2}, Key{0, 0, 0}});
    EXPECT_EQ(merge_cost(a, b), 1u + (1u + 4u) + 0u);
    // Not symmetric: from b's side a's colours are 0 and 1 + 4 away.
    EXPECT_EQ(merge_cost(b, a), 0u + 5u);
}

TEST(PictosrcMerge, MergingJoinsEqualKeysAndAppendsTheRest) {
    PositionPool pool(16);
    int32_t at = 0;
    ColorSet a = palette(pool, at, {Key{0, 0, 0}, Key{5, 5, 5}});
    ColorSet b = palette(pool, at, {Key{5, 5, 5}, Key{9, 9, 9}});
    merge_into(a, b, pool);
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[1].key, (Key{5, 5, 5}));
    EXPECT_EQ(a[1].count, 2u);
    EXPECT_EQ(a[2].key, (Key{9, 9, 9}));
    EXPECT_TRUE(b.empty());
}

TEST(PictosrcMerge, FirstCheapestPairInListOrderIsMerged) {
    // Single colours on a line at 0, 1, 2, 3 (squared distances 1 between
    // neighbours): pairs (0,1), (1,2), (2,3) tie; (0,1) goes first.
    for (MergeMethod method : {MergeMethod::Incremental, MergeMethod::Straightforward}) {
        PositionPool pool(16);
        int32_t at = 0;
        std::vector<ColorSet> list;
        for (uint8_t v : {0, 1, 2, 3}) list.push_back(palette(pool, at, {Key{v, 0, 0}}));
        std::vector<size_t> counts;
        merge_palettes(list, pool, method, [&](size_t n) { counts.push_back(n); }, 2);
        EXPECT_EQ(counts, (std::vector<size_t>{4, 3}));
        // Step 1: {0,1},{2},{3}. Step 2: costs {0,1}->{2} = 1, {0,1}->{3} = 4,
        // {2}->{3} = 1: the first, so {0,1,2},{3}.
        EXPECT_EQ(keys_of(list), (std::vector<std::vector<Key>>{{Key{0, 0, 0}, Key{1, 0, 0}, Key{2, 0, 0}},
                                                                {Key{3, 0, 0}}}));
    }
}

// The incremental method must pick exactly the pairs the plain one picks, on
// lists full of ties, zero costs and palettes that change size.
TEST(PictosrcMerge, IncrementalMatchesStraightforwardOnRandomLists) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 60; ++round) {
        const int count = 17 + static_cast<int>(rng() % 60);
        const int spread = 1 + static_cast<int>(rng() % 16);  // small spread: many equal keys and costs
        std::vector<std::vector<Key>> palette_keys;
        for (int i = 0; i < count; ++i) {
            palette_keys.emplace_back();
            const int colours = 1 + static_cast<int>(rng() % 15);
            for (int c = 0; c < colours; ++c)
                palette_keys.back().push_back(Key{static_cast<uint8_t>(rng() % spread), static_cast<uint8_t>(rng() % spread),
                                          static_cast<uint8_t>(rng() % 3)});
        }
        std::vector<std::vector<Key>> results[2];
        std::vector<size_t> progress[2];
        std::vector<std::vector<uint32_t>> counts[2];
        for (int m = 0; m < 2; ++m) {
            PositionPool pool(count * 15);
            std::mt19937 pixel_rng(static_cast<unsigned>(round));  // same pixel counts for both methods
            int32_t at = 0;
            std::vector<ColorSet> list;
            for (const auto& keys : palette_keys) {
                list.emplace_back();
                for (Key k : keys) {
                    list.back().push_back(Entry{k, 0, -1, -1});
                    const int pixels = 1 + static_cast<int>(pixel_rng() % 3);
                    for (int p = 0; p < pixels && at < count * 15; ++p) list.back().back().add(pool, at++);
                }
            }
            merge_palettes(list, pool, m == 0 ? MergeMethod::Incremental : MergeMethod::Straightforward,
                           [&](size_t n) { progress[m].push_back(n); });
            results[m] = keys_of(list);
            for (const auto& p : list) {
                counts[m].emplace_back();
                for (const auto& e : p) counts[m].back().push_back(e.count);
            }
        }
        ASSERT_EQ(results[0], results[1]) << "round " << round;
        EXPECT_EQ(counts[0], counts[1]) << "round " << round;
        EXPECT_EQ(progress[0], progress[1]);
        EXPECT_EQ(results[0].size(), 16u);
    }
}

}  // namespace
}  // namespace lumora::pictosrc
