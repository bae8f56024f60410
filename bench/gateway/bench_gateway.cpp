// Gateway throughput: "check Status" round trips over a pseudo-terminal, and
// bytes per second through "send socket" into a loopback sink.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "frame_link.h"
#include "gateway_controller.h"
#include "platform/pty_pair.h"
#include "requests.h"

namespace {

using lumora::netclient::Bytes;

// A gateway serving one end of a pseudo-terminal; the console side is `link`.
struct Rig {
    std::optional<lumora::platform::PtyPair> pty = lumora::platform::PtyPair::create();
    lumora::gateway::GatewayController controller;
    std::unique_ptr<lumora::netclient::FrameLink> link;

    bool start() {
        if (!pty) return false;
        controller.set_hooks([](std::string_view) {},
                             [](uint8_t, uint8_t, const lumora::gateway::CancelFlag&) {});
        controller.choose_speed(38400);
        if (!controller.open_device(pty->device_path())) return false;
        link = std::make_unique<lumora::netclient::FrameLink>(pty->master_fd());
        return link->send(lumora::netclient::power_on()) && link->read_reply(5000).has_value();
    }
};

// Accepts one connection and reads everything sent to it.
class Sink {
  public:
    Sink() {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(listen_, 1);
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] {
            pollfd p{listen_, POLLIN, 0};
            if (::poll(&p, 1, 10000) != 1) return;
            const int fd = ::accept(listen_, nullptr, nullptr);
            char buf[4096];
            for (;;) {
                const ssize_t n = ::read(fd, buf, sizeof buf);
                if (n <= 0) break;
                received_ += static_cast<uint64_t>(n);
            }
            ::close(fd);
        });
    }
    ~Sink() {
        ::shutdown(listen_, SHUT_RDWR);
        thread_.join();
        ::close(listen_);
    }
    uint16_t port() const { return port_; }

  private:
    int listen_ = -1;
    uint16_t port_ = 0;
    std::atomic<uint64_t> received_{0};
    std::thread thread_;
};

void BM_CheckStatusRoundTrip(benchmark::State& state) {
    Rig rig;
    if (!rig.start()) {
        state.SkipWithError("cannot start the gateway on a pseudo-terminal");
        return;
    }
    const Bytes request = lumora::netclient::check_status();
    for (auto _ : state) {
        rig.link->send(request);
        auto reply = rig.link->read_reply(5000);
        if (!reply) {
            state.SkipWithError("no reply");
            break;
        }
        benchmark::DoNotOptimize(reply);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CheckStatusRoundTrip)->UseRealTime()->MinTime(2.0);

void BM_SendSocketToLoopbackSink(benchmark::State& state) {
    Rig rig;
    if (!rig.start()) {
        state.SkipWithError("cannot start the gateway on a pseudo-terminal");
        return;
    }
    Sink sink;
    rig.link->send(lumora::netclient::open_socket());
    auto opened = rig.link->read_reply(5000);
    const uint8_t slot = opened ? opened->back() : 0xFF;
    rig.link->send(*lumora::netclient::connect_socket(slot, "127.0.0.1", sink.port()));
    auto connected = rig.link->read_reply(5000);
    if (!connected || connected->back() != 0x01) {
        state.SkipWithError("connect failed");
        return;
    }
    const size_t chunk = static_cast<size_t>(state.range(0));
    const Bytes request = lumora::netclient::send_socket(slot, std::string(chunk, 'x'));
    for (auto _ : state) {
        rig.link->send(request);
        auto reply = rig.link->read_reply(5000);
        if (!reply || reply->back() != static_cast<uint8_t>(chunk)) {
            state.SkipWithError("send failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * chunk));
    rig.link->send(lumora::netclient::close_socket(slot));
    rig.link->read_reply(5000);
}
BENCHMARK(BM_SendSocketToLoopbackSink)->Arg(16)->Arg(127)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
