#include "frame_assembler.h"

#include <algorithm>
#include <cstring>

namespace lumora::gateway {

namespace {
constexpr uint8_t kPowerOn[4] = {0x01, 0x00, 0x01, 0x02};
}

void FrameAssembler::reset() {
    size_ = 0;
    skip_ = 0;
}

bool FrameAssembler::complete_frame(bool powered, size_t& frame_len) {
    if (size_ < 4) return false;
    if (!powered) {
        size_t drop = 0;
        while (size_ - drop >= 4 && std::memcmp(buffer_ + drop, kPowerOn, 4) != 0) ++drop;
        if (drop) {
            std::memmove(buffer_, buffer_ + drop, size_ - drop);
            size_ -= drop;
            discarded_ += drop;
        }
        if (size_ < 4) return false;
    }
    const size_t len = static_cast<size_t>(buffer_[2]) + kHeaderSize;
    if (len > kBufferSize) {
        // The frame can never fit. Drop what we hold and skip the rest of it
        // as it arrives, so its body is not mistaken for further frames.
        discarded_ += size_;
        skip_ = len - size_;
        size_ = 0;
        return false;
    }
    if (size_ < len) return false;
    frame_len = len;
    return true;
}

std::optional<AssembledFrame> FrameAssembler::feed(std::span<const uint8_t> chunk, bool powered) {
    size_t pos = 0;
    while (pos < chunk.size()) {
        if (skip_) {
            const size_t n = std::min(skip_, chunk.size() - pos);
            skip_ -= n;
            pos += n;
            discarded_ += n;
            continue;
        }
        const size_t room = kBufferSize - size_;
        const size_t n = std::min(room, chunk.size() - pos);
        std::memcpy(buffer_ + size_, chunk.data() + pos, n);
        size_ += n;
        pos += n;

        size_t frame_len = 0;
        if (complete_frame(powered, frame_len)) {
            AssembledFrame out;
            out.frame.assign(buffer_, buffer_ + frame_len);
            out.trailing.assign(buffer_ + frame_len, buffer_ + size_);
            out.trailing.insert(out.trailing.end(), chunk.begin() + static_cast<std::ptrdiff_t>(pos),
                                chunk.end());
            discarded_ += out.trailing.size();
            size_ = 0;
            return out;
        }
        // A full buffer always completes a frame (lengths above 256 are
        // skipped, and power-off filtering leaves at most 3 bytes), so the
        // loop always makes progress.
    }
    return std::nullopt;
}

}  // namespace lumora::gateway
