#include "common/bmp.h"

#include <gtest/gtest.h>

#include <random>

#include "converters/testdata/bmp_builder.h"

namespace lumora {
namespace {

using testdata::BmpLayout;
using testdata::build_bmp;

std::vector<uint32_t> ramp(int width, int height, uint32_t scale = 1) {
    std::vector<uint32_t> v;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) v.push_back(static_cast<uint32_t>((y * 16 + x) * scale));
    return v;
}

// Pixels of an 8-bit picture, top row first, as the reader hands them out.
std::vector<uint32_t> read_indices(const std::vector<uint8_t>& file) {
    auto h = parse_bmp_header(file);
    if (!h) return {};
    auto p = bmp_pixels(file, *h);
    if (!p) return {};
    std::vector<uint32_t> out;
    for (uint32_t y = 0; y < p->height(); ++y)
        for (uint32_t x = 0; x < p->width(); ++x) out.push_back(p->row(y)[x]);
    return out;
}

TEST(BmpReader, EveryHeaderFlavourAndRowOrderGivesTheSamePixels) {
    const auto pixels = ramp(16, 8);
    for (uint32_t info : {40u, 108u, 124u}) {
        for (bool top_down : {false, true}) {
            BmpLayout l;
            l.width = 16;
            l.height = 8;
            l.info_size = info;
            l.top_down = top_down;
            const auto file = build_bmp(l, pixels);
            SCOPED_TRACE(testing::Message() << "info " << info << " top_down " << top_down);
            auto h = parse_bmp_header(file);
            ASSERT_TRUE(h);
            EXPECT_EQ(h->bit_count, 8);
            EXPECT_EQ(h->top_down(), top_down);
            EXPECT_EQ(h->abs_height(), 8u);
            EXPECT_EQ(h->palette.size(), 256u);
            EXPECT_EQ(h->pixel_offset, 14u + info + 1024u);
            EXPECT_EQ(read_indices(file), pixels);
        }
    }
}

TEST(BmpReader, CoreHeaderTwentyFourBit) {
    BmpLayout l;
    l.width = 8;
    l.height = 2;
    l.bit_count = 24;
    l.info_size = 12;
    const std::vector<uint32_t> pixels = ramp(8, 2, 0x010203);
    const auto file = build_bmp(l, pixels);
    auto h = parse_bmp_header(file);
    ASSERT_TRUE(h);
    EXPECT_TRUE(h->core_header);
    EXPECT_EQ(h->pixel_offset, 26u);
    auto p = bmp_pixels(file, *h);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->stride(), 24u);
    // Row 0 is the top row; bytes are blue, green, red.
    const auto top = p->row(0);
    EXPECT_EQ(top[0], 0x03 * 0);
    EXPECT_EQ(top[3], 0x03);
    EXPECT_EQ(top[4], 0x02);
    EXPECT_EQ(top[5], 0x01);
    EXPECT_EQ(p->row(1)[0], static_cast<uint8_t>(16 * 0x03));
    EXPECT_TRUE(p->row(2).empty());
}

TEST(BmpReader, PixelOffsetComesFromTheFileHeaderWithAFallback) {
    const auto pixels = ramp(8, 8);
    BmpLayout l;
    l.colors_used = 20;
    l.gap_after_table = 6;  // some writers leave room before the rows
    auto file = build_bmp(l, pixels);
    auto h = parse_bmp_header(file);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->palette.size(), 20u);
    EXPECT_EQ(h->pixel_offset, 54u + 80u + 6u);
    EXPECT_EQ(read_indices(file), pixels);

    // No usable offset in the file header: rows follow the colour table.
    l.gap_after_table = 0;
    l.zero_offset_field = true;
    file = build_bmp(l, pixels);
    h = parse_bmp_header(file);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->pixel_offset, 54u + 80u);
    EXPECT_EQ(read_indices(file), pixels);

    // An offset pointing past the end of the file is not trusted either.
    store_u32le(file.data() + 10, 0xFFFFFF00u);
    EXPECT_EQ(read_indices(file), pixels);
}

TEST(BmpReader, RowsArePaddedToFourBytes) {
    BmpLayout l;
    l.width = 5;
    l.height = 3;
    const auto pixels = ramp(5, 3);
    const auto file = build_bmp(l, pixels);
    auto h = parse_bmp_header(file);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->row_stride(), 8u);
    EXPECT_EQ(read_indices(file), pixels);
    BmpLayout four = l;
    four.bit_count = 4;
    four.width = 9;
    auto h4 = parse_bmp_header(build_bmp(four, ramp(9, 3)));
    ASSERT_TRUE(h4);
    EXPECT_EQ(h4->row_stride(), 8u);
    EXPECT_EQ(h4->palette.size(), 16u);
}

TEST(BmpReader, RejectsWhatIsNotABmpOrHasNoUsableHeader) {
    BmpStatus status = BmpStatus::Ok;
    const std::vector<uint8_t> empty;
    EXPECT_FALSE(parse_bmp_header(empty, &status));
    EXPECT_EQ(status, BmpStatus::NotBmp);

    auto file = build_bmp(BmpLayout{}, ramp(8, 8));
    file[1] = 'A';
    EXPECT_FALSE(parse_bmp_header(file, &status));
    EXPECT_EQ(status, BmpStatus::NotBmp);

    file = build_bmp(BmpLayout{}, ramp(8, 8));
    store_u32le(file.data() + 14, 64);  // OS/2 2.x header: not read
    EXPECT_FALSE(parse_bmp_header(file, &status));
    EXPECT_EQ(status, BmpStatus::UnsupportedHeader);

    file = build_bmp(BmpLayout{}, ramp(8, 8));
    store_u32le(file.data() + 18, static_cast<uint32_t>(-8));
    EXPECT_FALSE(parse_bmp_header(file, &status));
    EXPECT_EQ(status, BmpStatus::UnsupportedHeader);

    file = build_bmp(BmpLayout{}, ramp(8, 8));
    store_u32le(file.data() + 22, 0x80000000u);
    EXPECT_FALSE(parse_bmp_header(file, &status));
    EXPECT_EQ(status, BmpStatus::UnsupportedHeader);

    // Header size says 124 but the file ends inside it.
    BmpLayout v5;
    v5.info_size = 124;
    file = build_bmp(v5, ramp(8, 8));
    file.resize(14 + 100);
    EXPECT_FALSE(parse_bmp_header(file, &status));
    EXPECT_EQ(status, BmpStatus::NotBmp);
}

TEST(BmpReader, ShortPixelDataIsAnErrorNotAnOverrun) {
    auto file = build_bmp(BmpLayout{}, ramp(8, 8));
    auto h = parse_bmp_header(file);
    ASSERT_TRUE(h);
    EXPECT_TRUE(bmp_pixels(file, *h));
    file.pop_back();
    h = parse_bmp_header(file);
    ASSERT_TRUE(h);
    BmpStatus status = BmpStatus::Ok;
    EXPECT_FALSE(bmp_pixels(file, *h, &status));
    EXPECT_EQ(status, BmpStatus::ShortPixelData);

    // Dimensions so large that stride × height would overflow 64 bits.
    file = build_bmp(BmpLayout{}, ramp(8, 8));
    store_u32le(file.data() + 18, 0x7FFFFFFF);
    store_u32le(file.data() + 22, 0x7FFFFFFF);
    store_u16le(file.data() + 28, 32);
    h = parse_bmp_header(file);
    ASSERT_TRUE(h);
    EXPECT_FALSE(bmp_pixels(file, *h, &status));
    EXPECT_EQ(status, BmpStatus::ShortPixelData);

    store_u16le(file.data() + 28, 0);
    h = parse_bmp_header(file);
    ASSERT_TRUE(h);
    EXPECT_FALSE(bmp_pixels(file, *h, &status));
    EXPECT_EQ(status, BmpStatus::UnsupportedDepth);
}

// Every accepted file must hand out rows that lie wholly inside the buffer;
// reading all of them under the address sanitizer proves it.
void read_everything(const std::vector<uint8_t>& file) {
    auto h = parse_bmp_header(file);
    if (!h) return;
    auto p = bmp_pixels(file, *h);
    if (!p) return;
    unsigned sum = 0;
    for (uint32_t y = 0; y < p->height() && y < 4096; ++y)
        for (uint8_t b : p->row(y)) sum += b;
    (void)sum;
}

TEST(BmpReader, TruncatedAndMutatedFilesNeverReadOutside) {
    std::vector<std::vector<uint8_t>> seeds;
    BmpLayout l;
    seeds.push_back(build_bmp(l, ramp(8, 8)));
    l.info_size = 124;
    l.top_down = true;
    seeds.push_back(build_bmp(l, ramp(8, 8)));
    BmpLayout core;
    core.info_size = 12;
    core.bit_count = 24;
    seeds.push_back(build_bmp(core, ramp(8, 8, 0x10101)));

    std::mt19937 rng(1234);
    for (const auto& seed : seeds) {
        for (size_t n = 0; n <= seed.size(); ++n) {
            // A copy of exactly n bytes, so the sanitizer sees any overrun.
            std::vector<uint8_t> cut(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(n));
            read_everything(cut);
        }
        for (int round = 0; round < 3000; ++round) {
            auto m = seed;
            const int flips = 1 + static_cast<int>(rng() % 4);
            for (int i = 0; i < flips; ++i) {
                // Mostly in the headers, where the interesting fields are.
                const size_t at = rng() % (rng() % 2 ? std::min<size_t>(m.size(), 60) : m.size());
                m[at] = static_cast<uint8_t>(rng());
            }
            if (rng() % 3 == 0) m.resize(rng() % m.size());
            read_everything(m);
        }
    }
}

}  // namespace
}  // namespace lumora
