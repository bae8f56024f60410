#pragma once
// The byte line the protocol engines talk over: a serial port in the
// programs, a scripted peer in unit tests. Keeping the engines on this small
// interface lets every recovery path be driven byte by byte without a device.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/serial_port.h"

namespace lumora::devlink {

class Line {
  public:
    virtual ~Line() = default;

    virtual bool is_open() const = 0;
    // Bytes ready to be read; -1 on error.
    virtual int bytes_waiting() = 0;
    // Waits at most timeout_ms for data, then reads what is there (up to n).
    // Returns the count, 0 on time-out, -1 on error or hang-up.
    virtual long read(uint8_t* buffer, size_t n, int timeout_ms) = 0;
    // Writes every byte in one call; false on error or when timeout_ms passes.
    virtual bool write(const uint8_t* data, size_t n, int timeout_ms) = 0;
    // Discards pending input and output.
    virtual bool purge() = 0;
    // Line error flags since the previous call (overrun 0x2, parity 0x4,
    // frame 0x8, break 0x10); 0 when none.
    virtual uint32_t take_line_errors() = 0;
    // System error number of the last failing call.
    virtual int last_error() const = 0;
    // Milliseconds on a steady clock. The scripted line runs its own clock so
    // tests of long time-outs finish at once.
    virtual int64_t now_ms() const = 0;
    // Sleeps (the scripted line only advances its clock).
    virtual void sleep_ms(int ms) = 0;

    bool write(const std::string& text, int timeout_ms) {
        return write(reinterpret_cast<const uint8_t*>(text.data()), text.size(), timeout_ms);
    }
};

// A Line over a termios serial port. Owns the port.
class SerialLine : public Line {
  public:
    SerialLine() = default;
    explicit SerialLine(platform::SerialPort port) : port_(std::move(port)) {}

    platform::SerialPort& port() { return port_; }

    bool is_open() const override { return port_.is_open(); }
    int bytes_waiting() override;
    long read(uint8_t* buffer, size_t n, int timeout_ms) override;
    bool write(const uint8_t* data, size_t n, int timeout_ms) override;
    using Line::write;
    bool purge() override;
    uint32_t take_line_errors() override;
    int last_error() const override { return port_.last_error(); }
    int64_t now_ms() const override;
    void sleep_ms(int ms) override;

  private:
    platform::SerialPort port_;
};

// Steady clock in milliseconds.
int64_t steady_ms();

}  // namespace lumora::devlink
