#pragma once
// The capture receiver: an XMODEM (checksum) receiver that asks with NAK
// until the sender starts, collects the blocks and stops at EOT.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "devlink/line.h"
#include "devlink/messages.h"

namespace lumora::devlink {

// Result codes of the receiver's byte reads and writes (printed with %04x).
enum CommCode : uint16_t {
    kCommOk = 0,
    kCommNotOpen = 0x8100,
    kCommTimeout = 0x8101,  // also a driver error other than overrun
    kCommOverrun = 0x8102,
    kCommInterrupted = 0x8103,
};

struct ReceiveOptions {
    int attempt_ms = 13;  // one wait for a byte
    int attempts = 376;   // empty waits before a read counts as timed out (about 4.9 s)
    // A capture is a few tens of KiB; anything beyond this is a runaway sender.
    size_t max_bytes = 16u * 1024 * 1024;
    // Set from the interrupt handler; the next read or write then ends with kCommInterrupted.
    const std::atomic<bool>* interrupted = nullptr;
};

class CaptureReceiver {
  public:
    CaptureReceiver(Line& line, MessageSink messages, ReceiveOptions options = {});

    // Receives one XMODEM stream. On failure the sender has been sent CAN
    // eight times and nothing is returned. The caller closes the line.
    std::optional<std::vector<uint8_t>> receive();

    // Code of the byte operation that ended the last receive (kCommOk otherwise).
    uint16_t last_code() const { return last_code_; }

  private:
    // One byte with the attempt rule; kCommOk or an error code. `timed_out`
    // tells a plain time-out from a driver error (both are kCommTimeout).
    uint16_t receive_char(uint8_t& byte, bool* timed_out = nullptr);
    uint16_t send_char(uint8_t byte);
    bool interrupted() const;
    void message(int level, const std::string& text);
    void cancel();

    Line& line_;
    MessageSink messages_;
    ReceiveOptions options_;
    uint8_t buffer_[512];
    size_t buffered_ = 0;
    size_t next_ = 0;
    uint16_t last_code_ = kCommOk;
};

}  // namespace lumora::devlink
