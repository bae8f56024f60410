#include "devlink/scripted_line.h"

#include <algorithm>
#include <cerrno>

namespace lumora::devlink {

void ScriptedLine::feed(std::span<const uint8_t> bytes, int delay_ms) {
    // Bytes keep their order even when queued with a shorter delay than
    // bytes already waiting: a serial line never reorders.
    int64_t at = now_ + std::max(delay_ms, 0);
    if (!incoming_.empty()) at = std::max(at, incoming_.back().at);
    for (uint8_t b : bytes) incoming_.push_back({at, b});
}

void ScriptedLine::feed(const std::string& text, int delay_ms) {
    feed(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()), delay_ms);
}

void ScriptedLine::feed_byte(uint8_t byte, int delay_ms) {
    feed(std::span<const uint8_t>(&byte, 1), delay_ms);
}

int ScriptedLine::bytes_waiting() {
    if (!open_) return -1;
    int n = 0;
    for (const Timed& t : incoming_) {
        if (t.at > now_) break;
        ++n;
    }
    return n;
}

long ScriptedLine::read(uint8_t* buffer, size_t n, int timeout_ms) {
    if (!open_ || fail_reads_ || now_ > give_up_ms_) {
        last_error_ = EIO;
        return -1;
    }
    timeout_ms = std::max(timeout_ms, 0);
    if (incoming_.empty() || incoming_.front().at > now_ + timeout_ms) {
        now_ += timeout_ms;
        waited_ms_ += timeout_ms;
        return 0;
    }
    if (incoming_.front().at > now_) {
        waited_ms_ += incoming_.front().at - now_;
        now_ = incoming_.front().at;
    }
    size_t count = 0;
    while (count < n && !incoming_.empty() && incoming_.front().at <= now_) {
        buffer[count++] = incoming_.front().byte;
        incoming_.pop_front();
    }
    return static_cast<long>(count);
}

bool ScriptedLine::write(const uint8_t* data, size_t n, int /*timeout_ms*/) {
    if (!open_ || fail_writes_) {
        last_error_ = EIO;
        return false;
    }
    written_.insert(written_.end(), data, data + n);
    writes_.emplace_back(data, data + n);
    if (responder_) {
        // The responder may queue answers; copy first since it may also
        // clear what was written.
        std::vector<uint8_t> copy(data, data + n);
        responder_(*this, copy);
    }
    return true;
}

bool ScriptedLine::purge() {
    if (!open_) return false;
    ++purges_;
    // Only what has already arrived is discarded; scheduled bytes are still on their way.
    while (!incoming_.empty() && incoming_.front().at <= now_) incoming_.pop_front();
    return true;
}

uint32_t ScriptedLine::take_line_errors() {
    uint32_t e = pending_errors_;
    pending_errors_ = 0;
    return e;
}

}  // namespace lumora::devlink
