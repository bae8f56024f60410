#pragma once
// XMODEM (128-byte blocks, 8-bit checksum) framing shared by the console's
// receiver and the capture sender.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lumora::vconsole {

constexpr uint8_t SOH = 0x01;
constexpr uint8_t EOT = 0x04;
constexpr uint8_t ACK = 0x06;
constexpr uint8_t NAK = 0x15;
constexpr uint8_t CAN = 0x18;
constexpr uint8_t SUB = 0x1A;
constexpr size_t kDataSize = 128;
constexpr size_t kFrameSize = 132;

uint8_t checksum(std::span<const uint8_t> data);
// CRC-16/XMODEM, for receivers that ask with 'C'.
uint16_t crc16(std::span<const uint8_t> data);

// One block on the wire: SOH, number, 255 - number, data padded with SUB,
// checksum (or the two CRC bytes, high first, when `crc` is set).
std::vector<uint8_t> make_frame(uint8_t number, std::span<const uint8_t> data, bool crc = false);

// Receiving side: turns the byte stream into frames and judges them against
// the block number it expects. It never decides what to answer; the shell
// does, so that faults can be injected there.
class XmodemReceiver {
  public:
    enum class Kind {
        Block,          // valid and the expected number: call accept() to take it
        Duplicate,      // valid repeat of the block taken last (our ACK was lost)
        Bad,            // complement or checksum wrong
        OutOfSequence,  // valid, but neither expected nor a repeat: fatal
        Eot,
        Cancel,  // two CAN bytes in a row
    };
    struct Frame {
        Kind kind = Kind::Bad;
        uint8_t number = 0;
        std::array<uint8_t, kDataSize> data{};
    };

    void reset();
    // Feeds one byte; a frame comes back when one is complete. Bytes between
    // frames other than SOH, EOT and CAN are line noise and are dropped.
    std::optional<Frame> feed(uint8_t byte);
    // The block handed back as Kind::Block was taken; expect the next one.
    void accept() {
        ++expected_;
        ++accepted_;
    }
    // Forget a half-received frame (the sender paused too long inside it).
    void drop_partial() { fill_ = 0; }

    bool in_frame() const { return fill_ > 0; }
    uint8_t expected() const { return expected_; }
    size_t accepted_blocks() const { return accepted_; }

  private:
    std::array<uint8_t, kFrameSize> frame_{};
    size_t fill_ = 0;
    uint8_t expected_ = 1;
    size_t accepted_ = 0;
    bool last_was_can_ = false;
};

}  // namespace lumora::vconsole
