// The gateway's serial input: frame assembly and the adapter's commands,
// with sockets whose peers deliver bytes taken from the input.
//
// Input: the read size (1-64 bytes per read), whether replies can be sent,
// the count of peer bytes, the peer bytes, then the serial stream.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "fake_sockets.h"
#include "fuzz/fuzz_support.h"
#include "gateway_session.h"

using namespace lumora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputSplitter in(data, size);
    const uint8_t reads = in.take_byte();
    const size_t read_size = (reads & 0x3F) + 1u;
    const bool send_fails = reads & 0x40;
    const auto peer = in.take(in.take_byte());
    const std::string peer_bytes(peer.begin(), peer.end());

    gateway::testing::FakeSockets sockets;
    gateway::testing::CountingPauses pauses;
    sockets.hosts["console.example"] = {192, 0, 2, 1};
    // The first sockets the console opens get the peer's bytes, then a pause
    // and the peer closing.
    for (int handle = 100; handle < 104; ++handle) {
        sockets.deliver(handle, peer_bytes);
        sockets.pause(handle);
        sockets.peer_close(handle);
    }
    gateway::GatewaySession session(sockets, pauses);
    gateway::SessionHooks hooks;
    hooks.status = [](std::string_view) {};
    hooks.unknown = [](uint8_t, uint8_t, const gateway::CancelFlag&) {};
    hooks.send = [&](std::span<const uint8_t> reply) {
        // Every reply is a frame whose length byte covers what follows it,
        // except the two fixed ones the console expects as they are: the
        // power-on greeting and the five bytes answering power off.
        const bool fixed = (reply.size() >= 2 && reply[0] == 0x00 && reply[1] == 0x55) ||
                           (reply.size() == 5 && reply[0] == 0x0F && reply[3] == 0xFF);
        if (!fixed && (reply.size() < 3 || reply.size() != reply[2] + 3u)) std::abort();
        return !send_fails;
    };
    session.set_hooks(std::move(hooks));

    auto stream = in.rest();
    while (!stream.empty()) {
        const size_t n = std::min(read_size, stream.size());
        session.on_input(stream.first(n));
        stream = stream.subspan(n);
    }
    return 0;
}
