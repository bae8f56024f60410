#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "frame_link.h"
#include "requests.h"

namespace lumora::netclient {
namespace {

Bytes one(const std::string& line) {
    std::string error;
    auto steps = parse_line(line, error);
    EXPECT_TRUE(steps) << line << ": " << error;
    if (!steps || steps->size() != 1) return {};
    return (*steps)[0].bytes;
}

TEST(NetclientScript, CommandsBuildTheConsoleFrames) {
    EXPECT_EQ(one("power-on"), (Bytes{0x01, 0x00, 0x01, 0x02}));
    EXPECT_EQ(one("  status  "), (Bytes{0x02, 0x00, 0x01, 0x01}));
    EXPECT_EQ(one("power-off"), (Bytes{0x0F, 0x00, 0x01, 0xFF}));
    // Family high byte first, port low byte first, address in network order, 8 spare bytes.
    EXPECT_EQ(
        one("connect 2 127.0.0.1 8080"),
        (Bytes{0x11, 0x00, 0x12, 0x03, 2, 0x00, 0x02, 0x90, 0x1F, 127, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(one("lookup localhost"),
              (Bytes{0x11, 0, 11, 0x08, 'l', 'o', 'c', 'a', 'l', 'h', 'o', 's', 't', 0}));
    EXPECT_EQ(one("send 1 OK now\\r\\n"),
              (Bytes{0x11, 0, 10, 0x0E, 1, 'O', 'K', ' ', 'n', 'o', 'w', '\r', '\n'}));
    EXPECT_EQ(one("send 1 \\x00\\x7f"), (Bytes{0x11, 0, 4, 0x0E, 1, 0x00, 0x7F}));
    EXPECT_EQ(one("recv-line 3 0x80"), (Bytes{0x11, 0, 3, 0x0D, 3, 0x80}));
    EXPECT_EQ(one("recv-buf 3 20"), (Bytes{0x11, 0, 3, 0x0F, 3, 20}));
    EXPECT_EQ(one("raw 33 00 01 44"), (Bytes{0x33, 0x00, 0x01, 0x44}));

    std::string error;
    auto blank = parse_line("   # comment", error);
    ASSERT_TRUE(blank);
    EXPECT_TRUE(blank->empty());
}

TEST(NetclientScript, MistakesAreReportedNotSent) {
    for (const char* bad : {"connect 0 localhost 80", "connect 0 1.2.3.4 70000", "close", "close 256",
                            "send 1", "send 1 \\q", "send 1 \\x4", "raw", "raw 100", "raw zz", "recv-line 1",
                            "sleep x", "power-on now", "frobnicate"}) {
        std::string error;
        EXPECT_FALSE(parse_line(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    std::string error;
    EXPECT_FALSE(parse_line("send 0 " + std::string(253, 'a'), error));
    EXPECT_TRUE(parse_line("send 0 " + std::string(252, 'a'), error));
}

TEST(NetclientLink, ReadsFramesAndTheTwoOddRepliesAcrossSplitWrites) {
    int sv[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
    FrameLink link(sv[0]);
    std::thread writer([fd = sv[1]] {
        const Bytes parts[] = {{0x00, 0x55},
                               {0x55, 0x55, 0x55, 0x55},        // power-on, in two writes
                               {0x0F, 0x00, 0x01, 0xFF, 0x00},  // power-off, five bytes
                               {0x11, 0x00},
                               {0x07, 0x0D, 0x00, 0x04, 'O', 'K', '\r', '\n'}};
        for (const auto& p : parts) {
            ASSERT_EQ(::write(fd, p.data(), p.size()), static_cast<ssize_t>(p.size()));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    EXPECT_EQ(link.read_reply(5000), (Bytes{0x00, 0x55, 0x55, 0x55, 0x55, 0x55}));
    EXPECT_EQ(link.read_reply(5000), (Bytes{0x0F, 0x00, 0x01, 0xFF, 0x00}));
    EXPECT_EQ(link.read_reply(5000), (Bytes{0x11, 0x00, 0x07, 0x0D, 0x00, 0x04, 'O', 'K', '\r', '\n'}));
    writer.join();
    EXPECT_FALSE(link.read_reply(50));  // nothing more
    ::close(sv[1]);
    EXPECT_FALSE(link.read_reply(1000));  // closed line
    ::close(sv[0]);
    EXPECT_EQ(hex_line(Bytes{0x0A, 0xFF, 0x00}), "0A FF 00");
}

TEST(NetclientScript, RandomLinesNeverCrashTheParser) {
    uint32_t seed = 99;
    const char* words[] = {"send", "connect", "raw", "recv-line", "lookup", "close", "sleep", "open"};
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245u + 12345u;
        std::string line = words[(seed >> 16) % 8];
        const int n = static_cast<int>((seed >> 8) % 40);
        for (int k = 0; k < n; ++k) {
            seed = seed * 1103515245u + 12345u;
            line += static_cast<char>(" \\x0123456789abcdefXrn.:-"[(seed >> 16) % 25]);
        }
        std::string error;
        auto steps = parse_line(line, error);
        if (steps) {
            for (const auto& s : *steps) {
                if (s.kind == Step::Request) {
                    EXPECT_EQ(s.bytes.size(), static_cast<size_t>(s.bytes[2]) + 3) << line;
                }
            }
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

}  // namespace
}  // namespace lumora::netclient
