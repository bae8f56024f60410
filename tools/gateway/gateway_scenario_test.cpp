// The headless gateway as a child process, driven over a pseudo-terminal the
// way a console network program drives it, with real sockets on 127.0.0.1.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>

#include "child_gateway.h"
#include "frame_link.h"
#include "requests.h"

namespace lumora::gateway {
namespace {

using netclient::Bytes;
using netclient::FrameLink;
using testing::ChildGateway;
using testing::read_whole_file;

constexpr int kReply = 10000;  // generous: the machine may be busy

Bytes text_bytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}
Bytes join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A TCP peer on 127.0.0.1 for the console's sockets.
class LoopbackServer {
  public:
    LoopbackServer() {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(listen_, 16) == 0 &&
            ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            port_ = ntohs(a.sin_port);
    }
    ~LoopbackServer() {
        for (int fd : accepted_) ::close(fd);
        ::close(listen_);
    }
    uint16_t port() const { return port_; }
    int accept(int timeout_ms = kReply) {
        pollfd p{listen_, POLLIN, 0};
        if (::poll(&p, 1, timeout_ms) != 1) return -1;
        const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) accepted_.push_back(fd);
        return fd;
    }
    static std::string read_some(int fd, size_t want, int timeout_ms = kReply) {
        std::string got;
        while (got.size() < want) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, timeout_ms) != 1) break;
            char buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<size_t>(n));
        }
        return got;
    }

  private:
    int listen_ = -1;
    uint16_t port_ = 0;
    std::vector<int> accepted_;
};

class GatewayScenario : public ::testing::Test {
  protected:
    void start(std::vector<std::string> args = {}) {
        gw_ = std::make_unique<ChildGateway>(std::move(args));
        ASSERT_TRUE(gw_->wait_ready()) << gw_->err();
        link_ = std::make_unique<FrameLink>(gw_->master_fd());
    }
    std::optional<Bytes> ask(const Bytes& request) {
        EXPECT_TRUE(link_->send(request));
        return link_->read_reply(kReply);
    }
    // A request the gateway must not answer: nothing comes back within a while.
    void ask_unanswered(const Bytes& request) {
        EXPECT_TRUE(link_->send(request));
        EXPECT_EQ(link_->read_until_quiet(700, 700), Bytes{});
    }
    void power_on() { ASSERT_EQ(ask(netclient::power_on()), (Bytes{0x00, 0x55, 0x55, 0x55, 0x55, 0x55})); }
    uint8_t open_slot() {
        auto r = ask(netclient::open_socket());
        return r && r->size() == 5 ? (*r)[4] : 0xEE;
    }

    std::unique_ptr<ChildGateway> gw_;
    std::unique_ptr<FrameLink> link_;
};

TEST_F(GatewayScenario, AdapterLifecyclePrintsStatusTextsAndEndsOnSignal) {
    start();
    ask_unanswered(netclient::check_status());  // discarded while powered off
    power_on();
    EXPECT_EQ(ask(netclient::power_on()), (Bytes{0x01, 0x00, 0x03, 0x02, 0x31, 0x30}));
    EXPECT_EQ(ask(netclient::check_status()), (Bytes{0x02, 0x00, 0x02, 0x02, 0x02}));
    EXPECT_EQ(ask(netclient::request(0x01, 0x00)), (Bytes{0x01, 0x00, 0x03, 0x00, 0x00, 0x0F}));
    auto dial = ask(netclient::request(0x01, 0x08));
    ASSERT_TRUE(dial);
    EXPECT_EQ(dial->size(), 24u);
    EXPECT_EQ(ask(netclient::check_status()), (Bytes{0x02, 0x00, 0x02, 0x02, 0x03}));
    EXPECT_EQ(ask(netclient::request(0x01, 0x10, {0x00})), (Bytes{0x01, 0x00, 0x02, 0x10, 0x01}));
    EXPECT_EQ(ask(netclient::request(0x01, 0x11, {0x00})), (Bytes{0x01, 0x00, 0x02, 0x11, 0x01}));
    EXPECT_EQ(ask(netclient::request(0x01, 0x0A)), (Bytes{0x01, 0x00, 0x02, 0x0B, 0xF3}));
    EXPECT_EQ(ask(netclient::check_status()), (Bytes{0x02, 0x00, 0x02, 0x02, 0x02}));
    ask_unanswered(netclient::request(0x33, 0x44));
    EXPECT_EQ(ask(netclient::power_off()), (Bytes{0x0F, 0x00, 0x01, 0xFF, 0x00}));
    ask_unanswered(netclient::check_status());

    EXPECT_EQ(gw_->stop(SIGINT), 0);
    EXPECT_EQ(gw_->out(),
              "power ON\npower ON\ncheck Status\ncheck PDC\ndialup\ncheck Status\nset PPP\nset DNS\nhangup\n"
              "check Status\nunkown command!\npower OFF\n");
    EXPECT_NE(gw_->err().find("unkown command (33:44)\n"), std::string::npos) << gw_->err();
}

TEST_F(GatewayScenario, SocketsAgainstALoopbackServer) {
    LoopbackServer server;
    ASSERT_NE(server.port(), 0);
    start();
    power_on();

    auto found = ask(netclient::lookup("localhost"));
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 3u + 16u);
    EXPECT_EQ(Bytes(found->begin(), found->begin() + 5), (Bytes{0x11, 0x00, 16, 0x08, 0x01}));
    EXPECT_EQ(std::string(found->begin() + 5, found->begin() + 15), std::string("localhost\0", 10));
    EXPECT_EQ((*found)[15], 127);  // a loopback address
    EXPECT_EQ(ask(netclient::lookup("no-such-host.invalid")), (Bytes{0x11, 0x00, 0x02, 0x08, 0x00}));

    EXPECT_EQ(open_slot(), 0);
    EXPECT_EQ(ask(*netclient::connect_socket(0, "127.0.0.1", server.port())),
              (Bytes{0x11, 0x00, 0x03, 0x03, 0x00, 0x01}));
    const int peer = server.accept();
    ASSERT_GE(peer, 0);

    EXPECT_EQ(ask(netclient::send_socket(0, "HELO gateway\r\n")), (Bytes{0x11, 0x00, 0x03, 0x0E, 0x00, 14}));
    EXPECT_EQ(LoopbackServer::read_some(peer, 14), "HELO gateway\r\n");

    ASSERT_EQ(::write(peer, "OK\r\nrest", 8), 8);
    EXPECT_EQ(ask(netclient::recv_line(0, 100)),
              join({0x11, 0x00, 0x07, 0x0D, 0x00, 0x04}, text_bytes("OK\r\n")));
    EXPECT_EQ(ask(netclient::recv_buffer(0, 0x80)), (Bytes{0x11, 0x00, 0x03, 0x0F, 0x00, 0xFF}));
    // "rest" then a one-second pause ends the buffer.
    EXPECT_EQ(ask(netclient::recv_buffer(0, 50)),
              join({0x11, 0x00, 0x07, 0x0F, 0x00, 0x04}, text_bytes("rest")));
    EXPECT_EQ(ask(netclient::recv_buffer(0, 50)), (Bytes{0x11, 0x00, 0x03, 0x0F, 0x00, 0xFF}));
    // The peer closes: the receive ends with what it had.
    ASSERT_EQ(::write(peer, "bye", 3), 3);
    ::shutdown(peer, SHUT_WR);
    EXPECT_EQ(ask(netclient::recv_line(0, 100)),
              join({0x11, 0x00, 0x06, 0x0D, 0x00, 0x03}, text_bytes("bye")));

    EXPECT_EQ(ask(netclient::close_socket(0)), (Bytes{0x11, 0x00, 0x03, 0x07, 0x00, 0x01}));
    EXPECT_EQ(ask(netclient::close_socket(0)), (Bytes{0x11, 0x00, 0x03, 0x07, 0x00, 0x00}));
    EXPECT_EQ(LoopbackServer::read_some(peer, 1, 2000), "");  // closed on our side too

    // Nobody listens on a port just released: connect fails with R = 00.
    uint16_t dead_port;
    {
        LoopbackServer gone;
        dead_port = gone.port();
    }
    EXPECT_EQ(open_slot(), 1);
    EXPECT_EQ(ask(*netclient::connect_socket(1, "127.0.0.1", dead_port)),
              (Bytes{0x11, 0x00, 0x03, 0x03, 0x01, 0x00}));
    EXPECT_EQ(ask(netclient::send_socket(1, "x")), (Bytes{0x11, 0x00, 0x03, 0x0E, 0x01, 0xFF}));
    EXPECT_EQ(gw_->stop(SIGTERM), 0);
}

TEST_F(GatewayScenario, EightSlotsRoundRobinAndTheNinthRefused) {
    start();
    power_on();
    EXPECT_EQ(open_slot(), 0);
    EXPECT_EQ(ask(netclient::close_socket(0)), (Bytes{0x11, 0x00, 0x03, 0x07, 0x00, 0x01}));
    EXPECT_EQ(open_slot(), 1);  // round-robin: not slot 0 again
    for (int slot = 2; slot < 8; ++slot) EXPECT_EQ(open_slot(), slot);
    EXPECT_EQ(open_slot(), 0);  // wrapped round to the one free slot
    EXPECT_EQ(ask(netclient::open_socket()), (Bytes{0x11, 0x00, 0x02, 0x01, 0xFF}));
    EXPECT_EQ(ask(netclient::close_socket(5)), (Bytes{0x11, 0x00, 0x03, 0x07, 0x05, 0x01}));
    EXPECT_EQ(open_slot(), 5);
    EXPECT_EQ(ask(netclient::close_socket(9)), (Bytes{0x11, 0x00, 0x03, 0x07, 0x09, 0x00}));
    EXPECT_EQ(gw_->stop(SIGTERM), 0);
}

TEST_F(GatewayScenario, LogFileHoldsEveryFrameBothWays) {
    char dir[] = "/tmp/gateway-log-XXXXXX";
    ASSERT_TRUE(::mkdtemp(dir));
    const std::string log = std::string(dir) + "/gateway.log";
    start({"--log", log, "--speed", "38400"});
    ask_unanswered(Bytes{0x55, 0x66});  // dropped before power-on: not logged
    power_on();
    EXPECT_EQ(ask(netclient::check_status()), (Bytes{0x02, 0x00, 0x02, 0x02, 0x02}));
    ask_unanswered(netclient::request(0x42, 0x07));
    EXPECT_EQ(gw_->stop(SIGTERM), 0);
    EXPECT_EQ(read_whole_file(log),
              "R> 01 00 01 02 \r\n"
              "S> 00 55 55 55 55 55 \r\n"
              "R> 02 00 01 01 \r\n"
              "S> 02 00 02 02 02 \r\n"
              "R> 42 00 01 07 \r\n");
    std::remove(log.c_str());
    ::rmdir(dir);
}

TEST_F(GatewayScenario, NoiseOnTheLineLeavesTheGatewayAnswering) {
    start();
    power_on();
    std::mt19937 rng(2024);
    for (int i = 0; i < 200; ++i) {
        Bytes junk(1 + rng() % 300);
        for (auto& b : junk) {
            b = static_cast<uint8_t>(rng());
            // No socket work: random connects and look-ups would wander off to the network.
            if (b == 0x11) b = 0x12;
        }
        ASSERT_TRUE(link_->send(junk));
        if (i % 20 == 0) link_->read_until_quiet(50, 500);
    }
    link_->read_until_quiet(300, 5000);
    // Flush whatever half frame the noise left, then it answers again.
    ASSERT_TRUE(link_->send(Bytes(300, 0x00)));
    link_->read_until_quiet(500, 5000);
    // Twice: the first may only complete a stray half frame in front of it.
    for (int i = 0; i < 2; ++i) {
        link_->send(netclient::power_on());
        link_->read_until_quiet(500, 5000);
    }
    auto status = ask(netclient::check_status());
    ASSERT_TRUE(status);
    EXPECT_EQ(status->size(), 5u);
    EXPECT_EQ(gw_->stop(SIGTERM), 0);
}

TEST_F(GatewayScenario, StopsPromptlyInTheMiddleOfAReceive) {
    LoopbackServer server;
    start();
    power_on();
    EXPECT_EQ(open_slot(), 0);
    ASSERT_EQ(ask(*netclient::connect_socket(0, "127.0.0.1", server.port()))->back(), 0x01);
    const int peer = server.accept();
    ASSERT_GE(peer, 0);
    // The peer trickles a byte every 300 ms, so the receive would go on for a long time.
    std::atomic<bool> done{false};
    std::thread trickle([&] {
        while (!done) {
            if (::write(peer, "z", 1) != 1) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
    });
    ASSERT_TRUE(link_->send(netclient::recv_buffer(0, 120)));
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(gw_->stop(SIGTERM), 0);
    // A receive of 120 bytes at this pace takes 36 s; ending well before shows it was cut short.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    done = true;
    trickle.join();
}

TEST_F(GatewayScenario, UsageErrorsAndUnopenablePorts) {
    const std::string bin = LUMORA_BIN_DIR "/VantaGatewayServer";
    auto run = [&](const std::string& args) {
        const int st =
            std::system(("LUMORA_COM9=/nonexistent/tty " + bin + " " + args + " >/dev/null 2>&1").c_str());
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    };
    EXPECT_EQ(run("--help"), 0);
    EXPECT_EQ(run("--headless --speed 19200"), 2);
    EXPECT_EQ(run("--headless --port LPT1"), 2);
    EXPECT_EQ(run("--port COM2"), 2);  // serial options without --headless
    EXPECT_EQ(run("--frobnicate"), 2);
    EXPECT_EQ(run("--headless --port COM9"), 1);  // LUMORA_COM9 names a device that is not there
}

TEST_F(GatewayScenario, NetclientProgramTalksToTheGateway) {
    start();
    // The client inherits the console end of the line.
    ::fcntl(gw_->master_fd(), F_SETFD, 0);
    const std::string script = LUMORA_BIN_DIR "/netclient --fd " + std::to_string(gw_->master_fd()) +
                               " power-on status 'raw 02 00 01' 'raw 01' 'open' 'recv-buf 0 0x80' 'close 7'";
    FILE* p = ::popen(script.c_str(), "r");
    ASSERT_TRUE(p);
    std::string out;
    char buf[512];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    const int st = ::pclose(p);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0) << out;
    EXPECT_EQ(out,
              "S> 01 00 01 02\nR> 00 55 55 55 55 55\n"
              "S> 02 00 01 01\nR> 02 00 02 02 02\n"
              "S> 02 00 01\nR> -\n"
              "S> 01\nR> 02 00 02 02 02\n"
              "S> 11 00 01 01\nR> 11 00 02 01 00\n"
              "S> 11 00 03 0F 00 80\nR> 11 00 03 0F 00 FF\n"
              "S> 11 00 02 07 07\nR> 11 00 03 07 07 00\n");
    EXPECT_EQ(gw_->stop(SIGTERM), 0);
}

}  // namespace
}  // namespace lumora::gateway
