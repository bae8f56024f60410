#pragma once
// One frame of the "vblank" worker: frame counter, key word, hit and
// repeat-hit words, key repeat and cursor blinking.

#include <cstdint>

#include "area.h"

namespace lumora::simvane {

class FrameModel {
  public:
    // Runs one frame when the program under test is ready (init flag 0);
    // returns false and touches nothing otherwise.
    bool step(Area area, uint16_t key_word);

  private:
    void update_keys(Area area, uint16_t k);
    void update_cursor(Area area);

    uint16_t previous_ = 0;     // P
    uint16_t repeat_ = 0xFFFF;  // C
    uint8_t cursor_state_ = 0;  // S
    int32_t cursor_timer_ = 0;  // T; negative: blinking stopped
};

}  // namespace lumora::simvane
