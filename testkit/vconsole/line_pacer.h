#pragma once
// A serial line's speed for a pseudo-terminal, which has none: bytes are held
// back as a UART at the given rate would deliver them, 10 bit times each
// (start bit, 8 data bits, stop bit), one after the other. Transfer times
// measured through it are those of a cable at that speed.

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "testkit/vconsole/byte_stream.h"

namespace lumora::vconsole {

class LinePacer {
  public:
    using Clock = std::chrono::steady_clock;

    // 0 bits per second: no pacing, every byte is due at once.
    explicit LinePacer(int bits_per_second);

    // Bytes handed to the line at `now`; each is due one byte time after the
    // previous one has gone, and never before `now` + one byte time.
    void push(std::span<const uint8_t> bytes, Clock::time_point now);
    // The bytes due by `now`, in order.
    std::vector<uint8_t> take(Clock::time_point now);
    std::optional<Clock::time_point> next_due() const;
    bool empty() const { return queue_.empty(); }
    Clock::duration byte_time() const { return byte_time_; }

  private:
    struct Timed {
        Clock::time_point due;
        uint8_t byte;
    };
    Clock::duration byte_time_{0};
    std::deque<Timed> queue_;
    Clock::time_point free_at_{};
};

// A descriptor paced in both directions: a write returns once its last byte
// has crossed the line; a read sees bytes only once they would have arrived.
class PacedFdStream final : public ByteStream {
  public:
    PacedFdStream(int fd, int bits_per_second);
    long read(uint8_t* buffer, size_t n, int timeout_ms) override;
    bool write(const uint8_t* data, size_t n) override;

  private:
    int fd_;
    FdStream raw_;
    LinePacer in_, out_;
    std::vector<uint8_t> ready_;
};

// Waits for `fd` to become readable until `until` (sub-millisecond exact);
// >0 readable, 0 time-out, -1 error.
int wait_readable(int fd, LinePacer::Clock::time_point until);

}  // namespace lumora::vconsole
