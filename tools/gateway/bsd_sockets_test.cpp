#include "bsd_sockets.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "headless_options.h"

namespace lumora::gateway {
namespace {

using Clock = std::chrono::steady_clock;

struct Listener {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    uint16_t port = 0;
    Listener() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd, 4);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    ~Listener() { ::close(fd); }
};

SocketAddress loopback(uint16_t port) {
    return SocketAddress{2, port, {127, 0, 0, 1}};
}

TEST(BsdSockets, ConnectSendReceiveAndPeerClose) {
    BsdSockets s;
    CancelFlag cancel{false};
    Listener server;
    const int h = s.open_stream();
    ASSERT_GE(h, 0);
    SocketAddress wrong_family = loopback(server.port);
    wrong_family.family = 0x0200;  // the family bytes left unswapped
    EXPECT_FALSE(s.connect(h, wrong_family, cancel));
    ASSERT_TRUE(s.connect(h, loopback(server.port), cancel));
    const int peer = ::accept(server.fd, nullptr, nullptr);
    ASSERT_GE(peer, 0);

    const uint8_t hello[] = {'h', 'i'};
    EXPECT_EQ(s.send(h, hello, cancel), 2);
    char got[2] = {};
    EXPECT_EQ(::read(peer, got, 2), 2);
    EXPECT_EQ(std::string(got, 2), "hi");

    EXPECT_EQ(s.wait_readable(h, 50, cancel), WaitResult::TimedOut);
    ASSERT_EQ(::write(peer, "Z", 1), 1);
    EXPECT_EQ(s.wait_readable(h, 5000, cancel), WaitResult::Readable);
    uint8_t b = 0;
    EXPECT_EQ(s.receive_byte(h, b), 1);
    EXPECT_EQ(b, 'Z');
    ::close(peer);
    EXPECT_EQ(s.wait_readable(h, 5000, cancel), WaitResult::Readable);  // the close is news too
    EXPECT_EQ(s.receive_byte(h, b), 0);
    // Sending to a closed peer is an error, not a SIGPIPE.
    long r = 0;
    for (int i = 0; i < 20 && r >= 0; ++i) {
        r = s.send(h, hello, cancel);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(r, -1);
    s.close(h);
    EXPECT_EQ(s.wait_readable(h, 10, cancel), WaitResult::Failed);
}

TEST(BsdSockets, LookupGivesTheFirstIPv4Address) {
    BsdSockets s;
    CancelFlag cancel{false};
    auto a = s.lookup_ipv4("127.0.0.1", cancel);
    ASSERT_TRUE(a);
    EXPECT_EQ(*a, (std::array<uint8_t, 4>{127, 0, 0, 1}));
    EXPECT_FALSE(s.lookup_ipv4("", cancel));
    EXPECT_FALSE(s.lookup_ipv4("no-such-host.invalid", cancel));
    cancel = true;
    EXPECT_FALSE(s.lookup_ipv4("localhost", cancel));  // a stopping reader looks nothing up
}

TEST(BsdSockets, WaitsEndSoonAfterACancel) {
    BsdSockets s;
    RealPauses pauses;
    CancelFlag cancel{false};
    Listener server;
    const int h = s.open_stream();
    ASSERT_TRUE(s.connect(h, loopback(server.port), cancel));
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel = true;
    });
    const auto t0 = Clock::now();
    EXPECT_EQ(s.wait_readable(h, 60000, cancel), WaitResult::TimedOut);
    pauses.pause_ms(60000, cancel);
    // Both would take a minute each without the cancel.
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(30));
    canceller.join();
    s.close(h);
}

TEST(CommandLineOptions, HeadlessChoicesAndMistakes) {
    auto ok = parse_command_line({"--headless", "--port", "com3", "--speed=38400", "--log", "x.log"});
    ASSERT_TRUE(ok.options);
    EXPECT_TRUE(ok.options->headless);
    EXPECT_EQ(ok.options->port, "com3:");
    EXPECT_EQ(ok.options->speed, 38400);
    EXPECT_EQ(ok.options->log_path, "x.log");
    auto defaults = parse_command_line({"--headless"});
    ASSERT_TRUE(defaults.options);
    EXPECT_EQ(defaults.options->port, "COM1:");
    EXPECT_EQ(defaults.options->speed, 9600);
    EXPECT_TRUE(defaults.options->log_path.empty());
    for (std::vector<std::string> bad :
         std::vector<std::vector<std::string>>{{"--headless", "--speed", "19200"},
                                               {"--headless", "--port"},
                                               {"--headless", "--port", "LPT1"},
                                               {"--headless", "--portable"},
                                               {"--headless", "--log="},
                                               {"--speed", "9600"},
                                               {"extra"}}) {
        auto r = parse_command_line(bad);
        EXPECT_FALSE(r.options) << bad.back();
        EXPECT_FALSE(r.error.empty());
    }
}

}  // namespace
}  // namespace lumora::gateway
