#pragma once
// The score file the console's music program saves: a tempo and two parts of
// 8-byte events, all numbers big-endian.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lumora::cantara {

enum EventKind : uint16_t {
    kOctaveShift = 1,
    kKeySignature = 2,
    kTimeSignature = 3,
    kNote = 4,
    kRest = 5,
    kAccidental = 6,
    kBarLine = 7,
};

struct Event {
    uint16_t kind = 0;
    uint16_t a = 0;
    uint16_t b = 0;
    uint16_t c = 0;
};

struct Score {
    uint16_t tempo = 0;
    std::vector<Event> parts[2];
};

enum class SaveStatus {
    Ok,
    NotSave,    // byte 128 is not "{"
    Truncated,  // the file ends inside the header or the events it announces
};

// Offset of the "{" that marks a save file.
constexpr size_t kMarkOffset = 128;

std::optional<Score> parse_save(std::span<const uint8_t> file, SaveStatus* status = nullptr);

}  // namespace lumora::cantara
