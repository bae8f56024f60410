#include "testkit/vconsole/capture_sender.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "devlink/file_entry.h"
#include "testkit/vconsole/xmodem.h"

namespace lumora::vconsole {
namespace {

std::vector<uint8_t> bmp_like(size_t n) {
    std::vector<uint8_t> d(n);
    for (size_t i = 0; i < n; ++i) d[i] = static_cast<uint8_t>(i * 31 + 7);
    if (n >= 2) d[0] = 'B', d[1] = 'M';
    return d;
}

TEST(CaptureEntry, ABmpIsWrappedInAReadWriteEntryWithoutResources) {
    auto bmp = bmp_like(300);
    std::time_t now = std::time(nullptr);
    auto entry = build_capture_entry(bmp, "a_very_long_capture_name.bmp", now);
    ASSERT_TRUE(entry);
    ASSERT_EQ(entry->size(), 128u + 300u);
    ASSERT_TRUE(devlink::has_header(*entry));
    for (size_t i = 4; i < 64; ++i) EXPECT_EQ((*entry)[i], 0xFF);
    auto e = devlink::read_entry(*entry);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->name(), "a_very_long_capt");
    EXPECT_EQ(e->info(), std::string(kCaptureInfo));
    EXPECT_EQ(e->size(), 300);
    EXPECT_EQ(e->blocks(), 3);
    EXPECT_EQ(e->mode_letters(), "wr");
    EXPECT_EQ(e->resource(), -1);
    EXPECT_EQ(e->date(), devlink::pack_date(devlink::local_calendar_time(now)));
    EXPECT_TRUE(std::equal(bmp.begin(), bmp.end(), entry->begin() + 128));
}

TEST(CaptureEntry, AFileWithAHeaderIsSentAsItIs) {
    devlink::DirectoryEntry e;
    e.set_name("shot");
    e.set_size(5);
    auto fx = devlink::build_header(e);
    fx.insert(fx.end(), {1, 2, 3, 4, 5});
    auto entry = build_capture_entry(fx, "ignored", 0);
    ASSERT_TRUE(entry);
    EXPECT_EQ(*entry, fx);
    // Starts like a header but cannot hold one: refused rather than sent broken.
    std::string error;
    EXPECT_FALSE(build_capture_entry(std::vector<uint8_t>{'#', '!', 'w', 's', 0}, "x", 0, &error));
    EXPECT_FALSE(error.empty());
}

// A receiver on the other end of a socket pair, built from the console's own
// framing code: it asks with `start`, NAKs damaged blocks, takes the rest.
struct Receiver {
    uint8_t start = NAK;
    int starts = 1;  // how many requests are already waiting when the sender looks
    bool cancel_at_block_2 = false;
    std::vector<uint8_t> data;
    int damaged = 0;
    int repeats = 0;
    bool got_eot = false;
    bool ack_eot = true;

    void run(int fd) {
        for (int i = 0; i < starts; ++i) ::write(fd, &start, 1);
        XmodemReceiver rx;
        const size_t frame = start == 'C' ? kFrameSize + 1 : kFrameSize;
        std::vector<uint8_t> buf;
        uint8_t b;
        while (::read(fd, &b, 1) == 1) {
            if (buf.empty() && b == EOT) {
                got_eot = true;
                if (!ack_eot) continue;
                uint8_t ack = ACK;
                ::write(fd, &ack, 1);
                return;
            }
            buf.push_back(b);
            if (buf.size() < frame) continue;
            uint8_t answer = ACK;
            if (start == 'C') {
                uint16_t crc = crc16(std::span<const uint8_t>(buf.data() + 3, 128));
                bool ok =
                    buf[131] == (crc >> 8) && buf[132] == (crc & 0xFF) && uint8_t(buf[1] + buf[2]) == 0xFF;
                if (!ok)
                    answer = NAK, ++damaged;
                else if (buf[1] != rx.expected())
                    ++repeats;
                else
                    data.insert(data.end(), buf.begin() + 3, buf.begin() + 131), rx.accept();
            } else {
                std::optional<XmodemReceiver::Frame> f;
                for (uint8_t x : buf) f = rx.feed(x);
                if (!f || f->kind == XmodemReceiver::Kind::Bad) {
                    answer = NAK, ++damaged;
                } else if (f->kind != XmodemReceiver::Kind::Block) {
                    ++repeats;
                } else {
                    if (cancel_at_block_2 && f->number == 2) {
                        uint8_t can[3] = {CAN, CAN, CAN};
                        ::write(fd, can, 3);
                        return;
                    }
                    data.insert(data.end(), f->data.begin(), f->data.end());
                    rx.accept();
                }
            }
            buf.clear();
            ::write(fd, &answer, 1);
        }
    }
};

struct Pair {
    int fds[2] = {-1, -1};
    Pair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0); }
    ~Pair() {
        ::close(fds[0]);
        ::close(fds[1]);
    }
};

std::vector<uint8_t> padded(std::vector<uint8_t> d) {
    d.resize((d.size() + 127) / 128 * 128, SUB);
    return d;
}

TEST(XmodemSend, DeliversEveryByteAndRepeatsADamagedBlockOnce) {
    for (int corrupt : {0, 1, 3}) {
        Pair p;
        Receiver r;
        std::thread t([&] { r.run(p.fds[1]); });
        FdStream line(p.fds[0]);
        SendOptions o;
        o.corrupt_block = corrupt;
        auto data = bmp_like(333);
        EXPECT_EQ(xmodem_send(line, data, o), SendResult::Ok);
        ::shutdown(p.fds[0], SHUT_RDWR);
        t.join();
        EXPECT_TRUE(r.got_eot);
        EXPECT_EQ(r.data, padded(data)) << corrupt;
        EXPECT_EQ(r.damaged, corrupt ? 1 : 0);
        EXPECT_EQ(r.repeats, 0);
    }
}

TEST(XmodemSend, RequestsQueuedBeforeTheStartDoNotRepeatBlockOne) {
    Pair p;
    Receiver r;
    r.starts = 4;
    std::thread t([&] { r.run(p.fds[1]); });
    FdStream line(p.fds[0]);
    auto data = bmp_like(400);
    EXPECT_EQ(xmodem_send(line, data, SendOptions{}), SendResult::Ok);
    ::shutdown(p.fds[0], SHUT_RDWR);
    t.join();
    EXPECT_EQ(r.repeats, 0);
    EXPECT_EQ(r.data, padded(data));
}

TEST(XmodemSend, AReceiverAskingForCrcGetsCrcBlocks) {
    Pair p;
    Receiver r;
    r.start = 'C';
    std::thread t([&] { r.run(p.fds[1]); });
    FdStream line(p.fds[0]);
    SendOptions o;
    o.corrupt_block = 2;
    auto data = bmp_like(260);
    EXPECT_EQ(xmodem_send(line, data, o), SendResult::Ok);
    ::shutdown(p.fds[0], SHUT_RDWR);
    t.join();
    EXPECT_EQ(r.data, padded(data));
    EXPECT_EQ(r.damaged, 1);
}

TEST(XmodemSend, AnUnacknowledgedEndAfterAllBlocksIsReportedApart) {
    Pair p;
    Receiver r;
    r.ack_eot = false;
    std::thread t([&] { r.run(p.fds[1]); });
    FdStream line(p.fds[0]);
    SendOptions o;
    o.eot_timeout_ms = 50;
    auto data = bmp_like(200);
    EXPECT_EQ(xmodem_send(line, data, o), SendResult::Unconfirmed);
    ::shutdown(p.fds[0], SHUT_RDWR);
    t.join();
    EXPECT_EQ(r.data, padded(data));
}

TEST(XmodemSend, CancelAndSilenceAreFailures) {
    {
        Pair p;
        Receiver r;
        r.cancel_at_block_2 = true;
        std::thread t([&] { r.run(p.fds[1]); });
        FdStream line(p.fds[0]);
        EXPECT_EQ(xmodem_send(line, bmp_like(300), SendOptions{}), SendResult::Cancelled);
        ::shutdown(p.fds[0], SHUT_RDWR);
        t.join();
    }
    {
        Pair p;
        FdStream line(p.fds[0]);
        SendOptions o;
        o.start_timeout_ms = 100;
        EXPECT_EQ(xmodem_send(line, bmp_like(10), o), SendResult::NoReceiver);
    }
    {
        // A receiver that asks and then never answers a block.
        Pair p;
        uint8_t nak = NAK;
        ASSERT_EQ(::write(p.fds[1], &nak, 1), 1);
        FdStream line(p.fds[0]);
        SendOptions o;
        o.answer_timeout_ms = 20;
        o.max_retries = 2;
        EXPECT_EQ(xmodem_send(line, bmp_like(10), o), SendResult::TooManyRetries);
        // Three tries of block 1, then CAN CAN so the receiver knows.
        std::vector<uint8_t> seen(3 * kFrameSize + 2);
        ASSERT_EQ(::read(p.fds[1], seen.data(), seen.size()), long(seen.size()));
        EXPECT_EQ(seen[2 * kFrameSize], SOH);
        EXPECT_EQ(seen[3 * kFrameSize], CAN);
    }
}

}  // namespace
}  // namespace lumora::vconsole
