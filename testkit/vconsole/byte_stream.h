#pragma once
// A byte pipe with time-outs: the serial line as the capture sender sees it.
// FdStream serves any descriptor (pseudo-terminal master, serial device,
// socket); tests may put anything else behind the interface.

#include <cstddef>
#include <cstdint>

namespace lumora::vconsole {

class ByteStream {
  public:
    virtual ~ByteStream() = default;
    // Waits at most timeout_ms for data, then returns what is there (up to n):
    // the count, 0 on time-out, -1 when the line failed or closed.
    virtual long read(uint8_t* buffer, size_t n, int timeout_ms) = 0;
    // Writes everything; false when the line failed.
    virtual bool write(const uint8_t* data, size_t n) = 0;
};

class FdStream final : public ByteStream {
  public:
    explicit FdStream(int fd) : fd_(fd) {}
    long read(uint8_t* buffer, size_t n, int timeout_ms) override;
    bool write(const uint8_t* data, size_t n) override;

  private:
    int fd_;
};

}  // namespace lumora::vconsole
