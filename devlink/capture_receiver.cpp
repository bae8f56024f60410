#include "devlink/capture_receiver.h"

#include <cerrno>
#include <new>

#include "devlink/xmodem.h"

namespace lumora::devlink {

namespace {
constexpr size_t kInitialCapacity = 64 * kBlockData;
}

CaptureReceiver::CaptureReceiver(Line& line, MessageSink messages, ReceiveOptions options)
    : line_(line), messages_(std::move(messages)), options_(options) {
    if (options_.attempts < 1) options_.attempts = 1;
    if (options_.attempt_ms < 1) options_.attempt_ms = 1;
}

bool CaptureReceiver::interrupted() const {
    return options_.interrupted && options_.interrupted->load(std::memory_order_relaxed);
}

void CaptureReceiver::message(int level, const std::string& text) {
    if (messages_) messages_(level, text);
}

uint16_t CaptureReceiver::receive_char(uint8_t& byte, bool* timed_out) {
    if (timed_out) *timed_out = false;
    if (!line_.is_open()) return kCommNotOpen;
    if (next_ < buffered_) {
        byte = buffer_[next_++];
        return kCommOk;
    }
    for (int attempt = 0; attempt < options_.attempts; ++attempt) {
        if (interrupted()) return kCommInterrupted;
        uint32_t errors = line_.take_line_errors();
        if (errors) {
            message(kLevelError, format("ReadFile: error = %d\n", EIO));
            return (errors & 0x2u) ? kCommOverrun : kCommTimeout;
        }
        // Take whatever has arrived in one go: a block is 132 bytes and
        // fetching them one system call at a time would cost more than the
        // line itself on a fast link.
        long n = line_.read(buffer_, sizeof buffer_, options_.attempt_ms);
        if (n < 0) {
            if (interrupted()) return kCommInterrupted;
            message(kLevelError, format("ReadFile: error = %d\n", line_.last_error()));
            return kCommTimeout;
        }
        if (n > 0) {
            buffered_ = static_cast<size_t>(n);
            next_ = 1;
            byte = buffer_[0];
            return kCommOk;
        }
    }
    if (timed_out) *timed_out = true;
    return kCommTimeout;
}

uint16_t CaptureReceiver::send_char(uint8_t byte) {
    if (!line_.is_open()) return kCommNotOpen;
    if (interrupted()) return kCommInterrupted;
    if (!line_.write(&byte, 1, options_.attempt_ms * options_.attempts)) {
        if (interrupted()) return kCommInterrupted;
        message(kLevelError, format("WriteFile: error = %d\n", line_.last_error()));
        return kCommTimeout;
    }
    return kCommOk;
}

void CaptureReceiver::cancel() {
    // Sent even after Ctrl+C (which makes send_char refuse): the sender must
    // learn that the transfer is over.
    if (!line_.is_open()) return;
    static const uint8_t cans[8] = {kCAN, kCAN, kCAN, kCAN, kCAN, kCAN, kCAN, kCAN};
    line_.write(cans, sizeof cans, 1000);
}

std::optional<std::vector<uint8_t>> CaptureReceiver::receive() {
    last_code_ = kCommOk;
    buffered_ = next_ = 0;
    std::vector<uint8_t> data;
    try {
        data.reserve(kInitialCapacity);
    } catch (const std::bad_alloc&) {
        message(kLevelError, "can not alloc memory\n");
        cancel();
        return std::nullopt;
    }

    auto fail = [&](uint16_t code) -> std::optional<std::vector<uint8_t>> {
        last_code_ = code;
        cancel();
        return std::nullopt;
    };

    message(kLevelInfo, ">");
    if (uint16_t code = send_char(kNAK)) {
        message(kLevelError, format("comm_send_char(NAK) error (%04x)\n", code));
        return fail(code);
    }
    uint8_t expected = 1;
    bool any_block = false;
    uint8_t block[kBlockData + 1];

    for (;;) {
        uint8_t c = 0;
        bool timed_out = false;
        uint16_t code = receive_char(c, &timed_out);
        if (code) {
            if (timed_out && !any_block) {
                // The sender has not started yet: keep asking, without limit.
                message(kLevelInfo, ">");
                if (uint16_t sent = send_char(kNAK)) {
                    message(kLevelError, format("comm_send_char(NAK) error (%04x)\n", sent));
                    return fail(sent);
                }
                continue;
            }
            message(kLevelError, format("comm_receive_char() error (%04x)\n", code));
            return fail(code);
        }
        if (c == kEOT) {
            message(kLevelInfo, "<\n");
            if (uint16_t sent = send_char(kACK)) {
                message(kLevelError, format("comm_send_char(ACK) error (%04x)\n", sent));
            }
            return data;
        }
        if (c == kCAN) {
            message(kLevelError, "receive cancel char\n");
            return fail(kCommOk);
        }
        if (c != kSOH) {
            message(kLevelError, format("receive invalid char (0x%02x)\n", c));
            return fail(kCommOk);
        }

        uint8_t number = 0, complement = 0;
        if ((code = receive_char(number)) || (code = receive_char(complement))) {
            message(kLevelError, format("comm_receive_char() error (%04x)\n", code));
            return fail(code);
        }
        if (number != static_cast<uint8_t>(255 - complement)) {
            message(kLevelError, format("invalid blocknumber (0x%02x , 0x%02x)", number, complement));
            return fail(kCommOk);
        }
        if (number != expected) {
            message(kLevelWarning,
                    format("Warning: invalid sequence (blocknumber %d != %d)\n", expected, number));
        }
        for (uint8_t& b : block) {
            if ((code = receive_char(b))) {
                message(kLevelError, format("comm_receive_char() error (%04x)\n", code));
                return fail(code);
            }
        }
        if (xmodem_checksum(std::span<const uint8_t>(block, kBlockData)) != block[kBlockData]) {
            message(kLevelInfo, "x");
            if ((code = send_char(kNAK))) {
                message(kLevelError, format("comm_send_char(NAK) error (%04x)\n", code));
                return fail(code);
            }
            continue;
        }
        message(kLevelInfo, "o");
        // A sender that missed our ACK sends the previous block again; it is
        // acknowledged but kept only once.
        bool repeat = any_block && number == static_cast<uint8_t>(expected - 1);
        if (!repeat) {
            if (data.size() + kBlockData > options_.max_bytes) {
                message(kLevelError, "realloc() failed\n");
                return fail(kCommOk);
            }
            try {
                data.insert(data.end(), block, block + kBlockData);
            } catch (const std::bad_alloc&) {
                message(kLevelError, "realloc() failed\n");
                return fail(kCommOk);
            }
            expected = static_cast<uint8_t>(expected + 1);
            any_block = true;
        }
        if ((code = send_char(kACK))) {
            message(kLevelError, format("comm_send_char(ACK) error (%04x)\n", code));
            return fail(code);
        }
    }
}

}  // namespace lumora::devlink
