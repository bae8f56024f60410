#pragma once
// The socket calls the gateway makes on the console's behalf. BsdSockets
// carries them out on the host; tests script them.
//
// Every call that can block takes the reader's cancel flag and gives up soon
// after it is set, so a port change or exit never waits on the network.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace lumora::gateway {

using CancelFlag = std::atomic<bool>;

struct SocketAddress {
    uint16_t family = 0;            // 2 for IPv4
    uint16_t port = 0;              // host order
    std::array<uint8_t, 4> ipv4{};  // network order
};

enum class WaitResult { Readable, TimedOut, Failed };

class SocketApi {
  public:
    virtual ~SocketApi() = default;
    // A new TCP stream socket; a handle >= 0, or -1.
    virtual int open_stream() = 0;
    virtual bool connect(int handle, const SocketAddress& address, const CancelFlag& cancel) = 0;
    // Sends all bytes; the count sent, or -1 on error.
    virtual long send(int handle, std::span<const uint8_t> data, const CancelFlag& cancel) = 0;
    // Readable also covers a closed or failed connection (the next read tells).
    virtual WaitResult wait_readable(int handle, int timeout_ms, const CancelFlag& cancel) = 0;
    // 1 with a byte, 0 when the peer closed, -1 on error.
    virtual int receive_byte(int handle, uint8_t& byte) = 0;
    virtual void close(int handle) = 0;
    // First IPv4 address of a host name.
    virtual std::optional<std::array<uint8_t, 4>> lookup_ipv4(const std::string& name,
                                                              const CancelFlag& cancel) = 0;
};

// Waits for the adapter's fixed delays (1 ms, 500 ms).
class Pauses {
  public:
    virtual ~Pauses() = default;
    virtual void pause_ms(int ms, const CancelFlag& cancel) = 0;
};

// Sleeps for real, in short slices so a cancel ends the wait early.
class RealPauses : public Pauses {
  public:
    void pause_ms(int ms, const CancelFlag& cancel) override;
};

}  // namespace lumora::gateway
