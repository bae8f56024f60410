#include "testkit/vconsole/xmodem.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace lumora::vconsole {
namespace {

std::vector<uint8_t> data_of(size_t n, uint8_t seed) {
    std::vector<uint8_t> d(n);
    for (size_t i = 0; i < n; ++i) d[i] = static_cast<uint8_t>(seed + i * 7);
    return d;
}

std::vector<XmodemReceiver::Frame> feed_all(XmodemReceiver& rx, const std::vector<uint8_t>& bytes) {
    std::vector<XmodemReceiver::Frame> out;
    for (uint8_t b : bytes)
        if (auto f = rx.feed(b)) out.push_back(*f);
    return out;
}

TEST(XmodemFrame, LayoutPaddingAndChecksum) {
    auto d = data_of(5, 1);
    auto f = make_frame(3, d);
    ASSERT_EQ(f.size(), kFrameSize);
    EXPECT_EQ(f[0], SOH);
    EXPECT_EQ(f[1], 3);
    EXPECT_EQ(f[2], 252);
    EXPECT_TRUE(std::equal(d.begin(), d.end(), f.begin() + 3));
    for (size_t i = 3 + 5; i < 131; ++i) EXPECT_EQ(f[i], SUB);
    unsigned sum = 1 + 8 + 15 + 22 + 29 + 123 * SUB;
    EXPECT_EQ(f[131], static_cast<uint8_t>(sum));

    auto c = make_frame(1, d, true);
    ASSERT_EQ(c.size(), kFrameSize + 1);
    uint16_t crc = crc16(std::span<const uint8_t>(c.data() + 3, 128));
    EXPECT_EQ(c[131], crc >> 8);
    EXPECT_EQ(c[132], crc & 0xFF);
    const std::string check = "123456789";
    EXPECT_EQ(crc16(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(check.data()), check.size())),
              0x31C3);
}

TEST(XmodemReceiver, InSequenceBlocksDuplicatesAndDamage) {
    XmodemReceiver rx;
    auto one = make_frame(1, data_of(128, 9));
    auto frames = feed_all(rx, one);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].kind, XmodemReceiver::Kind::Block);
    EXPECT_EQ(frames[0].data[0], 9);
    // Not taken yet: the same block is still the expected one.
    EXPECT_EQ(feed_all(rx, one)[0].kind, XmodemReceiver::Kind::Block);
    rx.accept();
    EXPECT_EQ(feed_all(rx, one)[0].kind, XmodemReceiver::Kind::Duplicate);

    auto two = make_frame(2, data_of(128, 1));
    auto bad_sum = two;
    bad_sum.back() ^= 1;
    EXPECT_EQ(feed_all(rx, bad_sum)[0].kind, XmodemReceiver::Kind::Bad);
    auto bad_complement = two;
    bad_complement[2] ^= 0x10;
    EXPECT_EQ(feed_all(rx, bad_complement)[0].kind, XmodemReceiver::Kind::Bad);
    EXPECT_EQ(feed_all(rx, make_frame(4, data_of(128, 1)))[0].kind, XmodemReceiver::Kind::OutOfSequence);
    EXPECT_EQ(feed_all(rx, two)[0].kind, XmodemReceiver::Kind::Block);
}

TEST(XmodemReceiver, ABlockOneBeforeAnythingWasTakenIsNotADuplicate) {
    XmodemReceiver rx;
    EXPECT_EQ(feed_all(rx, make_frame(0, data_of(1, 0)))[0].kind, XmodemReceiver::Kind::OutOfSequence);
}

TEST(XmodemReceiver, NoiseBetweenFramesCanPairsAndEot) {
    XmodemReceiver rx;
    std::vector<uint8_t> bytes = {'\n', 0x00, 0xFF, CAN, 'x', CAN};
    EXPECT_TRUE(feed_all(rx, bytes).empty()) << "separated CAN bytes do not cancel";
    auto f = feed_all(rx, {CAN});
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].kind, XmodemReceiver::Kind::Cancel);
    f = feed_all(rx, {EOT});
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].kind, XmodemReceiver::Kind::Eot);
    // Inside a frame CAN and EOT are plain data.
    auto frame = make_frame(1, std::vector<uint8_t>(128, CAN));
    f = feed_all(rx, frame);
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].kind, XmodemReceiver::Kind::Block);
}

TEST(XmodemReceiver, BlockNumbersWrapAfter255) {
    XmodemReceiver rx;
    for (int i = 1; i <= 300; ++i) {
        auto f = feed_all(rx, make_frame(static_cast<uint8_t>(i), data_of(128, uint8_t(i))));
        ASSERT_EQ(f.size(), 1u);
        ASSERT_EQ(f[0].kind, XmodemReceiver::Kind::Block) << i;
        rx.accept();
    }
    EXPECT_EQ(rx.accepted_blocks(), 300u);
}

TEST(XmodemReceiver, DroppingAPartialFrameResynchronises) {
    XmodemReceiver rx;
    auto frame = make_frame(1, data_of(128, 3));
    feed_all(rx, std::vector<uint8_t>(frame.begin(), frame.begin() + 50));
    EXPECT_TRUE(rx.in_frame());
    rx.drop_partial();
    EXPECT_FALSE(rx.in_frame());
    auto f = feed_all(rx, frame);
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].kind, XmodemReceiver::Kind::Block);
}

// Mutated streams: whatever arrives, the receiver never reports a Block whose
// bytes do not check out, and never reads outside its frame buffer (ASan).
TEST(XmodemReceiver, MutatedStreamsNeverYieldAnUncheckedBlock) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> stream;
        for (int i = 1; i <= 4; ++i) {
            auto f = make_frame(static_cast<uint8_t>(i), data_of(rng() % 129, uint8_t(rng())));
            stream.insert(stream.end(), f.begin(), f.end());
        }
        stream.push_back(EOT);
        int mutations = static_cast<int>(rng() % 6);
        for (int m = 0; m < mutations && !stream.empty(); ++m) {
            size_t at = rng() % stream.size();
            switch (rng() % 3) {
                case 0:
                    stream[at] = static_cast<uint8_t>(rng());
                    break;
                case 1:
                    stream.erase(stream.begin() + static_cast<std::ptrdiff_t>(at));
                    break;
                case 2:
                    stream.insert(stream.begin() + static_cast<std::ptrdiff_t>(at),
                                  static_cast<uint8_t>(rng()));
                    break;
            }
        }
        stream.resize(rng() % (stream.size() + 1));  // truncated too
        XmodemReceiver rx;
        for (uint8_t b : stream) {
            auto f = rx.feed(b);
            if (f && f->kind == XmodemReceiver::Kind::Block) {
                EXPECT_EQ(f->number, rx.expected());
                rx.accept();
            }
        }
        EXPECT_LE(rx.accepted_blocks(), stream.size() / kFrameSize);
    }
}

}  // namespace
}  // namespace lumora::vconsole
