#include "testkit/vconsole/line_pacer.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

namespace lumora::vconsole {
namespace {

using Clock = LinePacer::Clock;
using std::chrono::microseconds;
using std::chrono::milliseconds;

std::vector<uint8_t> bytes(std::initializer_list<uint8_t> b) {
    return b;
}

TEST(LinePacer, BytesFollowOneAnotherAtTenBitTimesEach) {
    LinePacer pacer(9600);  // 1041.67 us a byte
    const auto t0 = Clock::time_point{} + std::chrono::seconds(100);
    pacer.push(bytes({1, 2, 3}), t0);
    EXPECT_TRUE(pacer.take(t0 + microseconds(1041)).empty()) << "even the first byte takes a byte time";
    EXPECT_EQ(pacer.take(t0 + microseconds(1042)), bytes({1}));
    // Bytes pushed while the line is busy queue behind the others.
    pacer.push(bytes({4}), t0 + microseconds(1500));
    EXPECT_EQ(pacer.take(t0 + microseconds(3125)), bytes({2, 3}));
    EXPECT_EQ(*pacer.next_due() - t0, 4 * pacer.byte_time());
    EXPECT_EQ(pacer.take(t0 + milliseconds(5)), bytes({4}));
    EXPECT_TRUE(pacer.empty());
    EXPECT_FALSE(pacer.next_due());
    // An idle line does not save up time: after a pause a byte again takes one byte time.
    pacer.push(bytes({5}), t0 + milliseconds(100));
    EXPECT_EQ(*pacer.next_due() - (t0 + milliseconds(100)), pacer.byte_time());
}

TEST(LinePacer, WithoutARateEverythingIsDueAtOnce) {
    LinePacer pacer(0);
    const auto t0 = Clock::now();
    pacer.push(bytes({7, 8}), t0);
    EXPECT_EQ(pacer.take(t0), bytes({7, 8}));
}

// Only lower bounds are checked: a busy machine can make a paced line slower,
// never faster.
TEST(PacedFdStream, NeitherDirectionIsFasterThanTheLine) {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    PacedFdStream paced(fds[0], 9600);
    std::vector<uint8_t> block(96, 0x55);  // 100 ms at 9600 bit/s

    auto start = Clock::now();
    ASSERT_TRUE(paced.write(block.data(), block.size()));
    EXPECT_GE(Clock::now() - start, milliseconds(100));
    std::vector<uint8_t> got(200);
    ASSERT_EQ(::read(fds[1], got.data(), got.size()), 96);

    start = Clock::now();
    ASSERT_EQ(::write(fds[1], block.data(), block.size()), 96);
    size_t received = 0;
    while (received < block.size()) {
        long n = paced.read(got.data(), got.size(), 2000);
        ASSERT_GT(n, 0);
        received += static_cast<size_t>(n);
    }
    EXPECT_GE(Clock::now() - start, milliseconds(100));
    // A read that times out leaves nothing behind and returns 0.
    EXPECT_EQ(paced.read(got.data(), got.size(), 5), 0);
    ::close(fds[0]);
    ::close(fds[1]);
}

}  // namespace
}  // namespace lumora::vconsole
