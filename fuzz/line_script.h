#pragma once
// Queues fuzz input on a scripted line as the console's side of the
// conversation. Byte 0xFE followed by n makes the line fall silent for
// n × 50 ms before the next byte (0xFE 0x00 is a plain 0xFE), so time-outs
// between and inside answers are reached too. The line runs its own clock,
// so no target ever waits for real.

#include <cstdint>
#include <span>

#include "devlink/scripted_line.h"

namespace lumora::fuzz {

inline constexpr uint8_t kPauseEscape = 0xFE;

inline void feed_script(devlink::ScriptedLine& line, std::span<const uint8_t> bytes) {
    int64_t at = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        uint8_t b = bytes[i];
        if (b == kPauseEscape && i + 1 < bytes.size()) {
            const uint8_t n = bytes[++i];
            if (n != 0) {
                at += 50 * n;
                continue;
            }
        }
        line.feed_byte(b, static_cast<int>(at));
    }
    // Whatever the engine does, the line's clock ends the run.
    line.set_give_up_after_ms(at + 10 * 60 * 1000);
}

}  // namespace lumora::fuzz
