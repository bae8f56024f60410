#include "testkit/vconsole/xmodem.h"

#include <algorithm>

namespace lumora::vconsole {

uint8_t checksum(std::span<const uint8_t> data) {
    unsigned sum = 0;
    for (uint8_t b : data) sum += b;
    return static_cast<uint8_t>(sum);
}

uint16_t crc16(std::span<const uint8_t> data) {
    uint16_t crc = 0;
    for (uint8_t b : data) {
        crc ^= static_cast<uint16_t>(b << 8);
        for (int i = 0; i < 8; ++i)
            crc =
                (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021) : static_cast<uint16_t>(crc << 1);
    }
    return crc;
}

std::vector<uint8_t> make_frame(uint8_t number, std::span<const uint8_t> data, bool crc) {
    std::vector<uint8_t> frame;
    frame.reserve(kFrameSize + 1);
    frame.push_back(SOH);
    frame.push_back(number);
    frame.push_back(static_cast<uint8_t>(255 - number));
    size_t n = std::min(data.size(), kDataSize);
    frame.insert(frame.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
    frame.insert(frame.end(), kDataSize - n, SUB);
    std::span<const uint8_t> payload(frame.data() + 3, kDataSize);
    if (crc) {
        uint16_t c = crc16(payload);
        frame.push_back(static_cast<uint8_t>(c >> 8));
        frame.push_back(static_cast<uint8_t>(c));
    } else {
        frame.push_back(checksum(payload));
    }
    return frame;
}

void XmodemReceiver::reset() {
    fill_ = 0;
    expected_ = 1;
    accepted_ = 0;
    last_was_can_ = false;
}

std::optional<XmodemReceiver::Frame> XmodemReceiver::feed(uint8_t byte) {
    if (fill_ == 0) {
        if (byte == SOH) {
            last_was_can_ = false;
            frame_[fill_++] = byte;
            return std::nullopt;
        }
        if (byte == EOT) {
            last_was_can_ = false;
            return Frame{Kind::Eot, 0, {}};
        }
        if (byte == CAN) {
            if (last_was_can_) {
                last_was_can_ = false;
                return Frame{Kind::Cancel, 0, {}};
            }
            last_was_can_ = true;
            return std::nullopt;
        }
        last_was_can_ = false;
        return std::nullopt;
    }
    frame_[fill_++] = byte;
    if (fill_ < kFrameSize) return std::nullopt;
    fill_ = 0;

    Frame f;
    f.number = frame_[1];
    std::copy(frame_.begin() + 3, frame_.begin() + 3 + kDataSize, f.data.begin());
    if (static_cast<uint8_t>(frame_[1] + frame_[2]) != 0xFF || checksum(f.data) != frame_[kFrameSize - 1]) {
        f.kind = Kind::Bad;
    } else if (f.number == expected_) {
        f.kind = Kind::Block;
    } else if (accepted_ > 0 && f.number == static_cast<uint8_t>(expected_ - 1)) {
        f.kind = Kind::Duplicate;
    } else {
        f.kind = Kind::OutOfSequence;
    }
    return f;
}

}  // namespace lumora::vconsole
