#include "testkit/vconsole/storage.h"

#include <gtest/gtest.h>

namespace lumora::vconsole {
namespace {

StoredFile file(const std::string& name, size_t body_size) {
    StoredFile f;
    f.name = name;
    f.body.assign(body_size, 0x55);
    return f;
}

TEST(Rom0Storage, AFileTakesItsEntryBlockPlusItsBodyBlocks) {
    EXPECT_EQ(Rom0Storage::blocks_for(0), 1u);
    EXPECT_EQ(Rom0Storage::blocks_for(1), 2u);
    EXPECT_EQ(Rom0Storage::blocks_for(128), 2u);
    EXPECT_EQ(Rom0Storage::blocks_for(129), 3u);
    // Absurd sizes must not wrap around into something that fits.
    EXPECT_EQ(Rom0Storage::blocks_for(uint64_t(1) << 45), UINT32_MAX);
    Rom0Storage s(100);
    EXPECT_EQ(s.check("big", uint64_t(1) << 45), PlaceResult::NoSpace);
}

TEST(Rom0Storage, FilesAreLaidOutContiguouslyAndAnExactFitIsAccepted) {
    Rom0Storage s(10);
    ASSERT_EQ(s.add(file("a", 256)), PlaceResult::Ok);  // 3 blocks
    ASSERT_EQ(s.add(file("b", 100)), PlaceResult::Ok);  // 2 blocks
    EXPECT_EQ(s.find("a")->first_block, 0u);
    EXPECT_EQ(s.find("b")->first_block, 3u);
    EXPECT_EQ(s.free_blocks(), 5u);
    ASSERT_EQ(s.add(file("c", 512)), PlaceResult::Ok);  // 5 blocks: exactly the rest
    EXPECT_EQ(s.free_blocks(), 0u);
    EXPECT_EQ(s.add(file("d", 0)), PlaceResult::NoSpace);
}

TEST(Rom0Storage, DeletingLeavesAHoleThatOnlyDefragCloses) {
    Rom0Storage s(12);
    ASSERT_EQ(s.add(file("a", 256)), PlaceResult::Ok);  // 0..2
    ASSERT_EQ(s.add(file("b", 256)), PlaceResult::Ok);  // 3..5
    ASSERT_EQ(s.add(file("c", 256)), PlaceResult::Ok);  // 6..8, 3 free at the end
    ASSERT_TRUE(s.erase("b"));
    EXPECT_FALSE(s.erase("b"));
    EXPECT_EQ(s.free_blocks(), 6u);
    EXPECT_EQ(s.largest_hole(), 3u);

    // 5 blocks fit in total but in neither hole.
    EXPECT_EQ(s.check("d", 512), PlaceResult::Fragmented);
    EXPECT_EQ(s.add(file("d", 512)), PlaceResult::Fragmented);
    EXPECT_EQ(s.find("d"), nullptr);

    s.defrag();
    EXPECT_EQ(s.find("a")->first_block, 0u);
    EXPECT_EQ(s.find("c")->first_block, 3u);
    EXPECT_EQ(s.largest_hole(), 6u);
    ASSERT_EQ(s.add(file("d", 512)), PlaceResult::Ok);
    EXPECT_EQ(s.find("d")->first_block, 6u);
    EXPECT_EQ(s.find("c")->body, std::vector<uint8_t>(256, 0x55));  // moving keeps the contents
}

TEST(Rom0Storage, ASmallFileGoesIntoTheFirstHoleThatHoldsIt) {
    Rom0Storage s(20);
    ASSERT_EQ(s.add(file("a", 128)), PlaceResult::Ok);  // 0..1
    ASSERT_EQ(s.add(file("b", 384)), PlaceResult::Ok);  // 2..5
    ASSERT_EQ(s.add(file("c", 128)), PlaceResult::Ok);  // 6..7
    ASSERT_TRUE(s.erase("b"));
    ASSERT_EQ(s.add(file("d", 128)), PlaceResult::Ok);
    EXPECT_EQ(s.find("d")->first_block, 2u);
    // Files are listed in block order, whatever the order they came in.
    std::vector<std::string> order;
    for (const auto& f : s.files()) order.push_back(f.name);
    EXPECT_EQ(order, (std::vector<std::string>{"a", "d", "c"}));
}

TEST(Rom0Storage, AnExistingNameIsRefusedBeforeSpaceIsConsidered) {
    Rom0Storage s(4);
    ASSERT_EQ(s.add(file("a", 10)), PlaceResult::Ok);
    EXPECT_EQ(s.check("a", 10000), PlaceResult::Exists);
    EXPECT_EQ(s.add(file("a", 1)), PlaceResult::Exists);
    EXPECT_EQ(s.files().size(), 1u);
}

}  // namespace
}  // namespace lumora::vconsole
