#pragma once
// SocketApi on the host's BSD sockets.

#include "socket_api.h"

namespace lumora::gateway {

class BsdSockets : public SocketApi {
  public:
    int open_stream() override;
    bool connect(int handle, const SocketAddress& address, const CancelFlag& cancel) override;
    long send(int handle, std::span<const uint8_t> data, const CancelFlag& cancel) override;
    WaitResult wait_readable(int handle, int timeout_ms, const CancelFlag& cancel) override;
    int receive_byte(int handle, uint8_t& byte) override;
    void close(int handle) override;
    std::optional<std::array<uint8_t, 4>> lookup_ipv4(const std::string& name,
                                                      const CancelFlag& cancel) override;
};

}  // namespace lumora::gateway
