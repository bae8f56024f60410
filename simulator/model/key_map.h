#pragma once
// The PC keys that stand in for the console's buttons, and the key word they
// make in landscape and portrait use.

#include <cstdint>

namespace lumora::simvane {

// One bit per PC key in SimState::held_keys.
enum PcKey : uint32_t {
    kPcS = 1u << 0,
    kPcA = 1u << 1,
    kPcB = 1u << 2,
    kPcPad8 = 1u << 3,
    kPcPad6 = 1u << 4,
    kPcPad2 = 1u << 5,
    kPcPad4 = 1u << 6,
    kPcUp = 1u << 7,
    kPcRight = 1u << 8,
    kPcDown = 1u << 9,
    kPcLeft = 1u << 10,
};

// The key word K for the held PC keys.
uint16_t key_word(uint32_t held, bool portrait);

}  // namespace lumora::simvane
