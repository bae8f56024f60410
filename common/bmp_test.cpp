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

// A picture header with run-length coded data in place of the rows.
std::vector<uint8_t> rle_file(int width, int height, uint16_t bits, std::vector<uint8_t> stream) {
    BmpLayout l;
    l.width = width;
    l.height = height;
    l.bit_count = bits;
    l.compression = bits == 8 ? kBmpRle8 : kBmpRle4;
    auto file = build_bmp(l, std::vector<uint32_t>(static_cast<size_t>(width) * height, 0));
    const auto h = parse_bmp_header(file);
    file.resize(static_cast<size_t>(h->pixel_offset));
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
}

std::vector<uint32_t> decoded(const std::vector<uint8_t>& file, BmpStatus* status = nullptr) {
    std::vector<uint8_t> storage;
    auto h = parse_bmp_header(file);
    if (!h) return {};
    auto p = bmp_decoded_pixels(file, *h, storage, status);
    if (!p) return {};
    std::vector<uint32_t> out;
    for (uint32_t y = 0; y < p->height(); ++y)
        for (uint32_t x = 0; x < p->width(); ++x)
            out.push_back(h->bit_count == 8 ? p->row(y)[x] : (p->row(y)[x / 2] >> (x % 2 ? 0 : 4)) & 0xF);
    return out;
}

TEST(BmpReader, RunLengthCodedRowsAreDecoded) {
    const std::vector<uint8_t> stream = {
        3, 7, 0, 3, 0xA, 0xB, 0xC, 0,  // bottom row: a run, three literal pixels, padding
        0, 0,                          // end of line
        2, 5, 0, 2, 2, 1,              // two pixels, then move 2 right and 1 up
        2, 9, 0, 1,                    // two pixels on the top row, end of picture
    };
    const auto file = rle_file(6, 3, 8, stream);
    EXPECT_EQ(decoded(file), (std::vector<uint32_t>{0, 0, 0, 0, 9, 9,  //
                                                   5, 5, 0, 0, 0, 0,  //
                                                   7, 7, 7, 0xA, 0xB, 0xC}));
    // The plain reader does not pretend to understand coded rows.
    auto h = parse_bmp_header(file);
    BmpStatus status = BmpStatus::Ok;
    EXPECT_FALSE(bmp_pixels(file, *h, &status));
    EXPECT_EQ(status, BmpStatus::UnsupportedCompression);

    // Four-bit coding: runs alternate the two nibbles; literals pack two per byte.
    const auto four = rle_file(7, 1, 4, {5, 0x12, 0, 3, 0x34, 0x50, 0, 1});
    EXPECT_EQ(decoded(four), (std::vector<uint32_t>{1, 2, 1, 2, 1, 3, 4}));

    // Runs longer than the row are cut at its edge.
    EXPECT_EQ(decoded(rle_file(4, 1, 8, {200, 6, 0, 1})), (std::vector<uint32_t>{6, 6, 6, 6}));
}

TEST(BmpReader, RunLengthCodingErrors) {
    BmpStatus status = BmpStatus::Ok;
    // The stream stops after the first of two rows.
    EXPECT_TRUE(decoded(rle_file(2, 2, 8, {2, 1, 0, 0}), &status).empty());
    EXPECT_EQ(status, BmpStatus::ShortPixelData);
    // A literal run cut short.
    EXPECT_TRUE(decoded(rle_file(8, 1, 8, {0, 6, 1, 2}), &status).empty());
    EXPECT_EQ(status, BmpStatus::ShortPixelData);
    // Rows ended by end-of-line marks without the final mark are complete.
    EXPECT_EQ(decoded(rle_file(2, 2, 8, {2, 1, 0, 0, 2, 3, 0, 0})), (std::vector<uint32_t>{3, 3, 1, 1}));

    // 8-bit coding on a 4-bit picture, and coded top-down rows, do not exist.
    auto file = rle_file(2, 1, 4, {2, 1, 0, 1});
    store_u32le(file.data() + 30, kBmpRle8);
    EXPECT_TRUE(decoded(file, &status).empty());
    EXPECT_EQ(status, BmpStatus::UnsupportedCompression);
    file = rle_file(2, 1, 8, {2, 1, 0, 1});
    store_u32le(file.data() + 22, static_cast<uint32_t>(-1));
    EXPECT_TRUE(decoded(file, &status).empty());
    EXPECT_EQ(status, BmpStatus::UnsupportedCompression);

    // A tiny stream must not make the reader allocate for a giant picture.
    file = rle_file(2, 1, 8, {0, 1});
    store_u32le(file.data() + 18, 0x7FFFFFF0);
    store_u32le(file.data() + 22, 0x7FFFFFF0);
    EXPECT_TRUE(decoded(file, &status).empty());
    EXPECT_EQ(status, BmpStatus::UnsupportedHeader);
}

// Every accepted file must hand out rows that lie wholly inside the buffer;
// reading all of them under the address sanitizer proves it.
void read_everything(const std::vector<uint8_t>& file) {
    auto h = parse_bmp_header(file);
    if (!h) return;
    std::vector<uint8_t> storage;
    auto p = bmp_decoded_pixels(file, *h, storage);
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
    seeds.push_back(rle_file(6, 3, 8, {3, 7, 0, 3, 0xA, 0xB, 0xC, 0, 0, 0, 2, 5, 0, 2, 2, 1, 2, 9, 0, 1}));
    seeds.push_back(rle_file(7, 2, 4, {5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 2, 1, 0, 3, 0x11, 0, 1}));

    std::mt19937 rng(1234);
    for (const auto& seed : seeds) {
        for (size_t n = 0; n <= seed.size(); ++n) {
            // A copy of exactly n bytes, so the sanitizer sees any overrun.
            std::vector<uint8_t> cut(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(n));
            read_everything(cut);
        }
        for (int round = 0; round < 1500; ++round) {
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
