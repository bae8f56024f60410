#include "frame_model.h"

namespace lumora::simvane {

bool FrameModel::step(Area area, uint16_t key_word) {
    if (area.u8(sv_flag_init_adr) != 0) return false;
    area.set_u32(sv_tick_adr, area.u32(sv_tick_adr) + 1);
    update_keys(area, key_word);
    update_cursor(area);
    return true;
}

void FrameModel::update_keys(Area area, uint16_t k) {
    area.set_u16(sv_key_adr, k);
    if (const uint16_t fresh = k & ~previous_) area.or_u16(sv_key_hit_adr, fresh);
    const uint8_t period = area.u8(sv_key_rep_adr);
    const uint8_t delay = area.u8(sv_key_rep_adr + 1);
    if (k != 0 && k == previous_) {
        if (delay != 0) {
            if (repeat_-- == 0) {
                // Every held key counts as pressed again.
                previous_ = 0;
                repeat_ = period;
            }
        }
    } else {
        repeat_ = delay;
    }
    if (const uint16_t fresh = k & ~previous_) area.or_u16(sv_key_hitr_adr, fresh);
    previous_ = k;
}

void FrameModel::update_cursor(Area area) {
    const bool on = area.u8(sv_cur_adr) != 0;
    if (cursor_state_ != 0 && !on) {
        cursor_state_ = 0;
        cursor_timer_ = 0;
    } else if (cursor_state_ == 0 && on) {
        cursor_state_ = 3;
        cursor_timer_ = 0;
    }
    if (cursor_timer_ > 0) {
        if (--cursor_timer_ != 0) return;
        cursor_state_ ^= 2;
    }
    if (cursor_timer_ != 0) return;
    area.set_u8(sv_cur_stt_adr, cursor_state_);
    const uint8_t period = area.u8(sv_cur_type_adr + 1);
    cursor_timer_ = (cursor_state_ == 0 || period == 0) ? -1 : period;
}

}  // namespace lumora::simvane
