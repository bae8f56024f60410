#pragma once
// The console side of the gateway's serial line: sends request frames and
// reads reply frames from a descriptor (a serial device or a pseudo-terminal).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lumora::netclient {

class FrameLink {
  public:
    explicit FrameLink(int fd) : fd_(fd) {}

    bool send(std::span<const uint8_t> bytes);
    // One reply. Most replies are frames (class, 00, n, n bytes); the two odd
    // ones are known by their first byte: 00 (power-on, six bytes) and 0F
    // (power-off, five bytes). Nothing within timeout_ms: nullopt.
    std::optional<std::vector<uint8_t>> read_reply(int timeout_ms);
    // Everything that arrives until the line has been quiet for quiet_ms
    // (at most max_ms in all).
    std::vector<uint8_t> read_until_quiet(int quiet_ms, int max_ms);
    // Drops anything waiting.
    void drain();

  private:
    bool read_exact(uint8_t* out, size_t n, int timeout_ms);

    int fd_;
};

std::string hex_line(std::span<const uint8_t> bytes);

}  // namespace lumora::netclient
