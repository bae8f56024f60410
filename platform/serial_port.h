#pragma once
// A serial line on termios: raw 8N1, poll-based timeouts, line error counts.
//
// Pseudo-terminals have no modem lines, no flow control and no error
// counters; setting or reading those is best effort and never an error.

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumora::platform {

struct SerialSettings {
    int baud = 38400;
    // Flow control: keep what the port has, switch it off, or a given kind.
    enum class Flow { Keep, None, Hardware, Software };
    Flow flow = Flow::Keep;
    // Modem control lines; nullopt-like "Keep" leaves them as they are.
    enum class Line { Keep, On, Off };
    Line dtr = Line::Keep;
    Line rts = Line::Keep;
};

// Line errors since the previous query. flags() packs them as the Windows
// communications error bits (overrun 0x2, parity 0x4, frame 0x8, break 0x10)
// so messages such as "Error = %X" read the same on every host.
struct LineErrors {
    uint32_t overrun = 0;
    uint32_t parity = 0;
    uint32_t frame = 0;
    uint32_t brk = 0;
    bool any() const { return overrun || parity || frame || brk; }
    uint32_t flags() const {
        return (overrun ? 0x2u : 0u) | (parity ? 0x4u : 0u) | (frame ? 0x8u : 0u) | (brk ? 0x10u : 0u);
    }
};

class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(SerialPort&& other) noexcept;
    SerialPort& operator=(SerialPort&& other) noexcept;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens a device without becoming its controlling terminal. On failure
    // returns false and leaves errno's value in last_error().
    bool open(const std::string& device);
    // Adopts an already open descriptor (a pseudo-terminal end in tests).
    void adopt(int fd);
    void close();
    bool is_open() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string& device() const { return device_; }

    // Raw mode, 8 data bits, no parity, 1 stop bit, the given speed and lines.
    bool configure(const SerialSettings& settings);

    // Bytes the driver holds for reading; -1 on error.
    int bytes_waiting() const;

    // Waits at most timeout_ms for data, then reads what is there (up to n).
    // Returns the count, 0 on time-out, -1 on error or hang-up.
    long read(uint8_t* buffer, size_t n, int timeout_ms);
    // Reads exactly n bytes unless timeout_ms passes first; returns the count read or -1.
    long read_exact(uint8_t* buffer, size_t n, int timeout_ms);
    // One byte: 1 read, 0 time-out, -1 error.
    int read_byte(uint8_t& byte, int timeout_ms) { return static_cast<int>(read(&byte, 1, timeout_ms)); }

    // Writes everything, waiting at most timeout_ms in total; false on error or time-out.
    bool write_all(const void* data, size_t n, int timeout_ms = 5000);
    // Waits until everything written has left (tcdrain).
    bool drain();
    // Discards pending input and/or output.
    bool purge(bool input, bool output);

    // Errors counted by the driver since the previous call (TIOCGICOUNT).
    LineErrors take_line_errors();

    // errno of the last failing call.
    int last_error() const { return last_error_; }

private:
    int fd_ = -1;
    int last_error_ = 0;
    std::string device_;
    bool have_counts_ = false;
    uint32_t last_counts_[4] = {0, 0, 0, 0};
};

// Speed constant for termios; 0 when the rate is not a standard one.
unsigned baud_constant(int baud);

}  // namespace lumora::platform
