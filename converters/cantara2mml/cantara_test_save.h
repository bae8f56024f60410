#pragma once
// Builds save files for the cantara2mml tests.

#include <cstdint>
#include <vector>

#include "converters/cantara2mml/cantara_save.h"

namespace lumora::cantara::test {

inline Event octave_mode(uint16_t mode) { return {kOctaveShift, 0, 0, mode}; }
inline Event key(uint16_t code) { return {kKeySignature, code, 0, 0}; }
inline Event time(uint16_t code) { return {kTimeSignature, code, 0, 0}; }
inline Event note(uint16_t pitch, uint16_t ticks = 480, bool tied = false) {
    return {kNote, ticks, pitch, static_cast<uint16_t>(tied ? 4 : 0)};
}
inline Event rest(uint16_t ticks) { return {kRest, ticks, 0, 0}; }
inline Event accidental(uint16_t kind, uint16_t pitch) { return {kAccidental, kind, pitch, 0}; }
inline Event bar() { return {kBarLine, 0, 0, 0}; }

inline void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

inline std::vector<uint8_t> save_file(uint16_t tempo, const std::vector<Event>& part1,
                                      const std::vector<Event>& part2) {
    std::vector<uint8_t> out(128, 0x20);
    out.push_back('{');
    put16(out, tempo);
    for (const auto* part : {&part1, &part2}) {
        put16(out, 0xABCD);  // not interpreted
        put16(out, static_cast<uint16_t>(part->size()));
        for (const Event& e : *part) {
            put16(out, e.kind);
            put16(out, e.a);
            put16(out, e.b);
            put16(out, e.c);
        }
    }
    return out;
}

inline Score score(uint16_t tempo, std::vector<Event> part1, std::vector<Event> part2 = {}) {
    Score s;
    s.tempo = tempo;
    s.parts[0] = std::move(part1);
    s.parts[1] = std::move(part2);
    return s;
}

}  // namespace lumora::cantara::test
