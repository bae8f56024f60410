#pragma once
// Cuts the serial byte stream from the console into gateway frames.
//
// A frame is: class, 00, n, then n bytes (command code and arguments). The
// assembler keeps at most 256 bytes. While the adapter is powered off only a
// power-on request (01 00 01 02) is accepted; everything in front of one is
// dropped byte by byte. Bytes that arrive behind a complete frame in the same
// read are thrown away with the buffer, which is how the gateway falls back
// into step after line noise while it is powered on.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lumora::gateway {

struct AssembledFrame {
    std::vector<uint8_t> frame;     // exactly n + 3 bytes
    std::vector<uint8_t> trailing;  // bytes behind it from the same read (discarded)
};

class FrameAssembler {
  public:
    static constexpr size_t kBufferSize = 256;
    static constexpr size_t kHeaderSize = 3;

    // Takes one read's worth of input. Returns the frame it completed, if any;
    // everything behind that frame is discarded. `powered` is the adapter's
    // state when the read arrived.
    std::optional<AssembledFrame> feed(std::span<const uint8_t> chunk, bool powered);

    // Bytes currently held waiting for the rest of a frame.
    size_t buffered() const { return size_; }
    // Bytes thrown away so far (power-off filtering, oversize frames, trailing bytes).
    uint64_t discarded() const { return discarded_; }
    // Bytes still to skip from a frame too long to hold.
    size_t skipping() const { return skip_; }
    void reset();

  private:
    // Runs the assembly rules over the buffer; true when a frame is complete
    // at its front (its length is returned in frame_len).
    bool complete_frame(bool powered, size_t& frame_len);

    uint8_t buffer_[kBufferSize] = {};
    size_t size_ = 0;
    size_t skip_ = 0;
    uint64_t discarded_ = 0;
};

}  // namespace lumora::gateway
