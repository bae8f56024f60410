// The frame worker's words over whole runs of frames, as a program under
// test would read them.

#include "frame_model.h"

#include <gtest/gtest.h>

#include <vector>

#include "key_map.h"
#include "test_area.h"

namespace lumora::simvane {
namespace {

using testing::TestArea;

struct Seen {
    std::vector<int> hit_frames;
    std::vector<int> repeat_frames;
};

// Holds `word` for `frames` frames, clearing the hit words after each frame
// the way a program reading them does, and notes the frames they were set in.
Seen hold(FrameModel& model, TestArea& a, uint16_t word, int frames) {
    Seen seen;
    for (int f = 0; f < frames; ++f) {
        model.step(a.area(), word);
        if (a.get16(sv_key_hit_adr)) seen.hit_frames.push_back(f);
        if (a.get16(sv_key_hitr_adr)) seen.repeat_frames.push_back(f);
        a.put16(sv_key_hit_adr, 0);
        a.put16(sv_key_hitr_adr, 0);
    }
    return seen;
}

TEST(FrameModel, RepeatDelayThirtyPeriodFive) {
    TestArea a;
    a[sv_flag_init_adr] = 0;
    a[sv_key_rep_adr] = 5;
    a[sv_key_rep_adr + 1] = 30;
    FrameModel model;
    const Seen seen = hold(model, a, SV_KEY_A, 50);
    EXPECT_EQ(seen.hit_frames, (std::vector<int>{0}));
    EXPECT_EQ(seen.repeat_frames, (std::vector<int>{0, 31, 37, 43, 49}));
    EXPECT_EQ(a.get16(sv_key_adr), SV_KEY_A);

    // Released and pressed again: a fresh press, with the full delay again.
    hold(model, a, 0, 3);
    EXPECT_EQ(a.get16(sv_key_adr), 0);
    const Seen again = hold(model, a, SV_KEY_A | SV_KEY_B, 32);
    EXPECT_EQ(again.hit_frames, (std::vector<int>{0}));
    EXPECT_EQ(again.repeat_frames, (std::vector<int>{0, 31}));
}

TEST(FrameModel, AddedKeyRestartsTheDelayAndOnlyNewBitsAreHit) {
    TestArea a;
    a[sv_flag_init_adr] = 0;
    a[sv_key_rep_adr] = 1;
    a[sv_key_rep_adr + 1] = 4;
    FrameModel model;
    hold(model, a, SV_KEY_A, 3);
    model.step(a.area(), SV_KEY_A | SV_KEY_B);
    EXPECT_EQ(a.get16(sv_key_hit_adr), SV_KEY_B);
    EXPECT_EQ(a.get16(sv_key_hitr_adr), SV_KEY_B);
    a.put16(sv_key_hit_adr, 0);
    a.put16(sv_key_hitr_adr, 0);
    const Seen seen = hold(model, a, SV_KEY_A | SV_KEY_B, 10);
    EXPECT_TRUE(seen.hit_frames.empty());
    EXPECT_EQ(seen.repeat_frames, (std::vector<int>{4, 6, 8}));
}

TEST(FrameModel, DelayZeroNeverRepeatsWhateverThePeriod) {
    for (uint8_t period : {0, 1, 5, 255}) {
        TestArea a;
        a[sv_flag_init_adr] = 0;
        a[sv_key_rep_adr] = period;
        a[sv_key_rep_adr + 1] = 0;
        FrameModel model;
        const Seen seen = hold(model, a, SV_KEY_START, 300);
        EXPECT_EQ(seen.repeat_frames, (std::vector<int>{0})) << int(period);
    }
}

TEST(FrameModel, NothingMovesWhileTheProgramIsNotReady) {
    TestArea a;
    FrameModel model;
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(model.step(a.area(), SV_KEY_A));
    EXPECT_EQ(a.area().u32(sv_tick_adr), 0u);
    EXPECT_EQ(a.get16(sv_key_adr), 0);
    EXPECT_EQ(a.get16(sv_key_hit_adr), 0);
    a[sv_flag_init_adr] = 0;
    for (int i = 0; i < 7; ++i) EXPECT_TRUE(model.step(a.area(), SV_KEY_A));
    EXPECT_EQ(a.area().u32(sv_tick_adr), 7u);
    EXPECT_EQ(a.get16(sv_key_hit_adr), SV_KEY_A);
    a[sv_flag_init_adr] = 1;
    model.step(a.area(), SV_KEY_B);
    EXPECT_EQ(a.area().u32(sv_tick_adr), 7u);
    EXPECT_EQ(a.get16(sv_key_adr), SV_KEY_A);
    // The counter wraps as a u32.
    a[sv_flag_init_adr] = 0;
    a.area().set_u32(sv_tick_adr, 0xFFFFFFFFu);
    model.step(a.area(), 0);
    EXPECT_EQ(a.area().u32(sv_tick_adr), 0u);
}

TEST(KeyMap, LandscapeAndPortraitWords) {
    const uint32_t keys[] = {kPcS,    kPcA,  kPcB,     kPcPad8, kPcPad6, kPcPad2,
                             kPcPad4, kPcUp, kPcRight, kPcDown, kPcLeft};
    std::vector<uint16_t> landscape, portrait;
    for (uint32_t k : keys) {
        landscape.push_back(key_word(k, false));
        portrait.push_back(key_word(k, true));
    }
    EXPECT_EQ(landscape, (std::vector<uint16_t>{0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040, 0x0080,
                                                0x0100, 0x0200, 0x0400, 0x0800}));
    EXPECT_EQ(portrait, (std::vector<uint16_t>{0x0002, 0x0004, 0x0008, 0x0020, 0x0040, 0x0080, 0x0010, 0x0200,
                                               0x0400, 0x0800, 0x0100}));
    EXPECT_EQ(key_word(kPcPad8 | kPcLeft | kPcA, true), 0x0020 | 0x0100 | 0x0004);
    EXPECT_EQ(key_word(0, true), 0);
}

std::vector<int> cursor_states(FrameModel& model, TestArea& a, int frames) {
    std::vector<int> states;
    for (int f = 0; f < frames; ++f) {
        model.step(a.area(), 0);
        states.push_back(a[sv_cur_stt_adr]);
    }
    return states;
}

TEST(FrameModel, CursorBlinkStates) {
    TestArea a;
    a[sv_flag_init_adr] = 0;
    FrameModel model;
    a[sv_cur_type_adr + 1] = 3;
    EXPECT_EQ(cursor_states(model, a, 3), (std::vector<int>{0, 0, 0}));  // off
    a[sv_cur_adr] = 1;
    EXPECT_EQ(cursor_states(model, a, 13), (std::vector<int>{3, 3, 3, 1, 1, 1, 3, 3, 3, 1, 1, 1, 3}));
    a[sv_cur_adr] = 0;
    EXPECT_EQ(cursor_states(model, a, 4), (std::vector<int>{0, 0, 0, 0}));
    // Period 0: shown steadily.
    a[sv_cur_type_adr + 1] = 0;
    a[sv_cur_adr] = 1;
    EXPECT_EQ(cursor_states(model, a, 6), (std::vector<int>{3, 3, 3, 3, 3, 3}));
    // Switched off in the dark half of a blink, then on again: shown at once.
    a[sv_cur_adr] = 0;
    cursor_states(model, a, 1);
    a[sv_cur_type_adr + 1] = 2;
    a[sv_cur_adr] = 1;
    EXPECT_EQ(cursor_states(model, a, 4), (std::vector<int>{3, 3, 1, 1}));
    a[sv_cur_adr] = 0;
    EXPECT_EQ(cursor_states(model, a, 1), (std::vector<int>{0}));
    a[sv_cur_adr] = 1;
    EXPECT_EQ(cursor_states(model, a, 3), (std::vector<int>{3, 3, 1}));
}

}  // namespace
}  // namespace lumora::simvane
