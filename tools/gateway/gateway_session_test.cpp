#include "gateway_session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "fake_sockets.h"
#include "frame_log.h"

namespace lumora::gateway {
namespace {

using Bytes = std::vector<uint8_t>;

struct SessionRig {
    testing::FakeSockets sockets;
    testing::CountingPauses pauses;
    GatewaySession session{sockets, pauses};
    std::vector<std::string> statuses;
    std::vector<std::pair<int, int>> unknowns;
    std::vector<Bytes> sent;

    SessionRig() {
        session.set_hooks(SessionHooks{
            [this](std::string_view s) { statuses.emplace_back(s); },
            [this](uint8_t cls, uint8_t code, const CancelFlag&) { unknowns.emplace_back(cls, code); },
            [this](std::span<const uint8_t> b) {
                sent.emplace_back(b.begin(), b.end());
                return true;
            }});
    }
    void input(const Bytes& b) { session.on_input(b); }
};

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(FrameLog, LineFormat) {
    EXPECT_EQ(format_log_line('R', Bytes{0x01, 0x00, 0x01, 0x02}), "R> 01 00 01 02 \r\n");
    EXPECT_EQ(format_log_line('S', Bytes{0xAB, 0x0F}), "S> AB 0F \r\n");
    EXPECT_EQ(format_log_line('S', Bytes{}), "S> \r\n");
    EXPECT_FALSE(append_log_line("", 'R', Bytes{1}));
    EXPECT_FALSE(append_log_line("/nonexistent-dir/x/gateway.log", 'R', Bytes{1}));
}

TEST(GatewaySession, StatusBeforeWorkThenReplyAndLogLines) {
    SessionRig rig;
    char tmpl[] = "/tmp/gateway-log-XXXXXX";
    const int fd = ::mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    ::close(fd);
    rig.session.set_log_path(tmpl);

    rig.input(Bytes{0x02, 0x00, 0x01, 0x01});  // discarded while off: no status, no log
    rig.input(Bytes{0x01, 0x00, 0x01, 0x02});
    rig.input(Bytes{0x02, 0x00, 0x01, 0x01, 0x77});  // a stray byte behind the frame
    rig.input(Bytes{0x33, 0x00, 0x01, 0x44});

    EXPECT_EQ(rig.statuses, (std::vector<std::string>{"power ON", "check Status", "unkown command!"}));
    EXPECT_EQ(rig.sent,
              (std::vector<Bytes>{{0x00, 0x55, 0x55, 0x55, 0x55, 0x55}, {0x02, 0x00, 0x02, 0x02, 0x02}}));
    EXPECT_EQ(rig.unknowns, (std::vector<std::pair<int, int>>{{0x33, 0x44}}));
    EXPECT_EQ(rig.session.frames_handled(), 3u);
    EXPECT_EQ(read_file(tmpl),
              "R> 01 00 01 02 \r\n"
              "S> 00 55 55 55 55 55 \r\n"
              "R> 02 00 01 01 77 \r\n"
              "S> 02 00 02 02 02 \r\n"
              "R> 33 00 01 44 \r\n");
    // An emptied log field stops logging.
    rig.session.set_log_path("");
    rig.input(Bytes{0x02, 0x00, 0x01, 0x01});
    EXPECT_EQ(rig.sent.size(), 3u);
    EXPECT_EQ(read_file(tmpl).size(), 97u);
    std::remove(tmpl);
}

TEST(GatewaySession, RandomInputKeepsTheGatewayAnswering) {
    SessionRig rig;
    uint32_t seed = 4242;
    auto next = [&seed] {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return static_cast<uint8_t>(seed);
    };
    rig.input(Bytes{0x01, 0x00, 0x01, 0x02});
    for (int i = 0; i < 3000; ++i) {
        Bytes chunk(1 + next() % 280);
        for (auto& b : chunk) b = next();
        if (next() % 3 == 0) {
            chunk[0] = 0x11;
            if (chunk.size() > 3) chunk[3] = next() % 16;
        }
        rig.input(chunk);
    }
    // Flush any half frame or skip in progress, then make sure we are powered.
    rig.input(Bytes(300, 0x00));
    rig.input(Bytes{0x01, 0x00, 0x01, 0x02});
    rig.sent.clear();
    rig.input(Bytes{0x02, 0x00, 0x01, 0x01});
    ASSERT_EQ(rig.sent.size(), 1u);
    EXPECT_EQ(rig.sent[0].size(), 5u);
    EXPECT_EQ(rig.sent[0][0], 0x02);
}

}  // namespace
}  // namespace lumora::gateway
