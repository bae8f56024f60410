// Truncated and randomly damaged resources: decoding either refuses or
// delivers blocks of exactly the announced sizes, and never touches a byte
// outside the given data (the sanitizers watch that).

#include <gtest/gtest.h>

#include <random>

#include "converters/iflmfr/fr_bitmap.h"
#include "converters/iflmfr/fr_test_data.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> samples() {
    std::vector<Bytes> out;
    for (uint8_t mode : {0, 1, 2, 4, 5, 6, 7}) {
        frtest::Resource r;
        r.mode = mode;
        r.width = 3;
        r.height = 2;
        out.push_back(frtest::build(r));
    }
    return out;
}

void check_consistent(std::span<const uint8_t> data) {
    const auto dib = lumora::fr::decode_dib(data);
    const auto h = lumora::fr::parse_complete_bitmap(data);
    ASSERT_EQ(dib.has_value(), h.has_value());
    if (!dib) return;
    EXPECT_EQ(dib->info.size(), h->info_block_bytes());
    EXPECT_EQ(dib->pixels.size(), h->pixel_block_bytes());
    const auto img = lumora::fr::decode_indexed(data);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->indices.size(), size_t(img->width) * size_t(img->height));
}

TEST(FrRobustness, EveryTruncationIsRefusedOrDecodedWithinBounds) {
    for (const Bytes& full : samples()) {
        const size_t need = lumora::fr::parse_bitmap_header(full)->content_size();
        for (size_t n = 0; n <= full.size(); ++n) {
            // An exact-size heap copy so any overrun is caught.
            Bytes cut(full.begin(), full.begin() + static_cast<long>(n));
            cut.shrink_to_fit();
            EXPECT_EQ(lumora::fr::decode_dib(cut).has_value(), n >= need) << n;
            check_consistent(cut);
        }
    }
}

TEST(FrRobustness, MutatedResourcesNeverCrash) {
    std::mt19937 rng(20240611);
    for (const Bytes& full : samples()) {
        for (int round = 0; round < 400; ++round) {
            Bytes bytes = full;
            const int flips = 1 + static_cast<int>(rng() % 4);
            for (int i = 0; i < flips; ++i) {
                // The header is where damage matters most.
                const size_t pos = (rng() % 2) ? rng() % 16 : rng() % bytes.size();
                bytes[pos] = static_cast<uint8_t>(rng());
            }
            if (rng() % 3 == 0) bytes.resize(rng() % (bytes.size() + 1));
            bytes.shrink_to_fit();
            check_consistent(bytes);
        }
    }
}

TEST(FrRobustness, HeaderClaimingHugePictureOverTinyData) {
    // Length field consistent with a 255x255-tile 1-bit picture, but only the header present.
    frtest::Resource r;
    r.mode = 0;
    r.width = 255;
    r.height = 255;
    Bytes bytes = frtest::build(r);
    ASSERT_TRUE(lumora::fr::parse_bitmap_header(bytes));
    bytes.resize(100);
    bytes.shrink_to_fit();
    EXPECT_FALSE(lumora::fr::decode_dib(bytes));
    EXPECT_FALSE(lumora::fr::decode_indexed(bytes));
}

}  // namespace
