#pragma once
// Simulator-side settings the control window writes and the workers read at
// their next round (no locks, as each is one word).

#include <atomic>
#include <cstdint>

namespace lumora::simvane {

// `slp` bits.
constexpr int kPauseFrames = 1;
constexpr int kPauseSound = 2;
constexpr int kPauseSerial = 4;

// `mode` bits.
constexpr int kModeInverted = 1;
constexpr int kModePortrait = 2;
constexpr int kModeColour = 4;

constexpr int kDefaultFramePeriod = 13000;
constexpr int kMinFramePeriod = 1000;
constexpr int kMaxFramePeriod = 100000;

struct SimState {
    std::atomic<int> sv_vb_t{kDefaultFramePeriod};  // frame period in microseconds
    std::atomic<int> slp{0};
    std::atomic<int> mode{kModeColour};
    // PC keys held now, as PcKey bits (key_map.h).
    std::atomic<uint32_t> held_keys{0};
};

}  // namespace lumora::simvane
