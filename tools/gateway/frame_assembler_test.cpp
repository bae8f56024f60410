#include "frame_assembler.h"

#include <gtest/gtest.h>

#include <vector>

namespace lumora::gateway {
namespace {

using Bytes = std::vector<uint8_t>;
const Bytes kPowerOn{0x01, 0x00, 0x01, 0x02};
const Bytes kCheckStatus{0x02, 0x00, 0x01, 0x01};

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(FrameAssemblerPoweredOff, DiscardsEverythingButAPowerOnRequest) {
    FrameAssembler a;
    // A status request before power-on is dropped byte by byte, never answered.
    EXPECT_FALSE(a.feed(kCheckStatus, false));
    EXPECT_LT(a.buffered(), 4u);
    EXPECT_FALSE(a.feed(Bytes{0xFF, 0x01, 0x00}, false));
    EXPECT_LT(a.buffered(), 4u);

    auto f = a.feed(cat({{0x33, 0x44}, kPowerOn}), false);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->frame, kPowerOn);
    EXPECT_TRUE(f->trailing.empty());
    EXPECT_EQ(a.buffered(), 0u);
}

TEST(FrameAssemblerPoweredOff, PowerOnSplitOverReadsAndHiddenBehindLookalikes) {
    FrameAssembler a;
    // "01 00 01" then a wrong fourth byte: must slide on, not lose the real request behind it.
    EXPECT_FALSE(a.feed(Bytes{0x01, 0x00, 0x01}, false));
    EXPECT_FALSE(a.feed(Bytes{0x01, 0x00}, false));
    EXPECT_FALSE(a.feed(Bytes{0x01}, false));
    auto f = a.feed(Bytes{0x02}, false);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->frame, kPowerOn);
}

TEST(FrameAssemblerPoweredOn, JoinsSplitFramesAndDropsWhatFollowsInTheSameRead) {
    FrameAssembler a;
    const Bytes send{0x11, 0x00, 0x05, 0x0E, 0x00, 'a', 'b', 'c'};
    EXPECT_FALSE(a.feed(Bytes(send.begin(), send.begin() + 2), true));
    EXPECT_FALSE(a.feed(Bytes(send.begin() + 2, send.begin() + 6), true));
    auto f = a.feed(Bytes(send.begin() + 6, send.end()), true);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->frame, send);

    // Two frames in one read: the first is handled, the rest goes with the buffer.
    f = a.feed(cat({kCheckStatus, kCheckStatus}), true);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->frame, kCheckStatus);
    EXPECT_EQ(f->trailing, kCheckStatus);
    EXPECT_EQ(a.buffered(), 0u);
    // And assembly starts clean for the next read.
    f = a.feed(kCheckStatus, true);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->frame, kCheckStatus);
}

TEST(FrameAssemblerPoweredOn, ShortFramesStillNeedFourBytes) {
    FrameAssembler a;
    EXPECT_FALSE(a.feed(Bytes{0x02, 0x00, 0x00}, true));
    auto f = a.feed(Bytes{0x09}, true);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->frame, (Bytes{0x02, 0x00, 0x00}));
    EXPECT_EQ(f->trailing, Bytes{0x09});
}

TEST(FrameAssemblerLimits, LargestFrameFitsTheBufferExactly) {
    FrameAssembler a;
    Bytes big{0x11, 0x00, 253, 0x0E, 0x00};
    big.resize(256, 'x');
    auto f = a.feed(big, true);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->frame.size(), 256u);
}

TEST(FrameAssemblerLimits, OversizeLengthIsSkippedWithoutOverrunOrWedge) {
    for (int n : {254, 255}) {
        SCOPED_TRACE(n);
        FrameAssembler a;
        Bytes big{0x11, 0x00, static_cast<uint8_t>(n), 0x0E};
        big.resize(static_cast<size_t>(n) + 3, 'y');
        // In pieces of various sizes, including one larger than the buffer.
        EXPECT_FALSE(a.feed(Bytes(big.begin(), big.begin() + 10), true));
        EXPECT_FALSE(a.feed(Bytes(big.begin() + 10, big.end()), true));
        EXPECT_EQ(a.skipping(), 0u);
        EXPECT_EQ(a.buffered(), 0u);
        // The body was not taken for frames; the next request is answered.
        auto f = a.feed(kCheckStatus, true);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->frame, kCheckStatus);
    }
}

TEST(FrameAssemblerLimits, OneHugeReadFindsTheFrameInsideIt) {
    FrameAssembler a;
    Bytes input(1000, 0x55);  // not a power-on request anywhere
    input.insert(input.begin() + 600, kPowerOn.begin(), kPowerOn.end());
    auto f = a.feed(input, false);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->frame, kPowerOn);
    EXPECT_EQ(f->trailing.size(), 400u);
}

TEST(FrameAssemblerRobustness, RandomInputNeverOverrunsAndValidFramesStillPass) {
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<uint8_t>(seed >> 16);
    };
    FrameAssembler a;
    for (int round = 0; round < 5000; ++round) {
        Bytes chunk(next() % 300);
        for (auto& b : chunk) b = next();
        auto f = a.feed(chunk, round % 3 != 0);
        if (f) {
            EXPECT_EQ(f->frame.size(), static_cast<size_t>(f->frame[2]) + 3);
            EXPECT_LE(f->frame.size(), FrameAssembler::kBufferSize);
        }
        EXPECT_LE(a.buffered(), FrameAssembler::kBufferSize);
    }
    // Whatever state the noise left: at most one frame's worth of input
    // (256 + 2 bytes) restores it.
    a.feed(Bytes(300, 0x00), true);
    auto f = a.feed(kCheckStatus, true);
    if (!f) f = a.feed(kCheckStatus, true);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->frame, kCheckStatus);
}

}  // namespace
}  // namespace lumora::gateway
