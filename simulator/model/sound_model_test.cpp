// Channel sounds taken from the area, and the mixed output they make.

#include "sound_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "test_area.h"

namespace lumora::simvane {
namespace {

using testing::TestArea;

TEST(SoundFormulas, RateGainAndSamples) {
    EXPECT_EQ(sampling_rate(0), 1472u);     // 3072000 / 65536 = 46, times 32
    EXPECT_EQ(sampling_rate(1024), 2976u);  // 3072000 / 32768 = 93 in integers, times 32
    EXPECT_EQ(sampling_rate(2047), 3072000u);
    // Only 11 bits count: nonsense pitches never divide by zero.
    EXPECT_EQ(sampling_rate(2048), sampling_rate(0));
    EXPECT_EQ(sampling_rate(0xFFFF), sampling_rate(2047));
    EXPECT_FLOAT_EQ(channel_gain(0x00), 0.0f);
    EXPECT_FLOAT_EQ(channel_gain(0x88), 1.0f);
    EXPECT_FLOAT_EQ(channel_gain(0xFF), 30.0f / 16.0f);
    const uint8_t wave[16] = {0x10, 0xF0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x21};
    const auto s = wave_samples(wave);
    EXPECT_EQ(s[0], 8);
    EXPECT_EQ(s[1], 24);
    EXPECT_EQ(s[2], 8);
    EXPECT_EQ(s[3], 248);
    EXPECT_EQ(s[30], 24);
    EXPECT_EQ(s[31], 40);
}

void square_wave(TestArea& a, int channel) {
    for (int b = 0; b < 16; ++b) a[sv_snd_wave_adr + channel * 16 + b] = b < 8 ? 0x00 : 0xFF;
}

TEST(SoundModel, RestartTakesTheRegistersAndOnlyThen) {
    TestArea a;
    a[sv_flag_init_adr] = 0;
    Mixer mixer;
    SoundModel model(mixer);
    square_wave(a, 1);
    a.put16(sv_snd_pitch_adr + 2, 1024);
    a[sv_snd_vol_adr + 1] = 0x88;
    a[sv_snd_ch_adr] = 0x02;
    model.tick(a.area(), false);
    EXPECT_FALSE(mixer.channel(1).playing);  // nothing until asked for
    a[sv_flag_sound_adr] = 0x02;
    model.tick(a.area(), false);
    EXPECT_EQ(a[sv_flag_sound_adr], 0);
    ChannelSound c = mixer.channel(1);
    EXPECT_TRUE(c.playing);
    EXPECT_EQ(c.rate, sampling_rate(1024));
    EXPECT_FLOAT_EQ(c.gain, 1.0f);
    EXPECT_EQ(c.samples[0], 8);
    EXPECT_EQ(c.samples[31], 248);

    a.put16(sv_snd_pitch_adr + 2, 0);
    model.tick(a.area(), false);
    EXPECT_EQ(mixer.channel(1).rate, sampling_rate(1024));  // unchanged until restarted
    // Restart with the channel off: it stops.
    a[sv_snd_ch_adr] = 0x00;
    a[sv_flag_sound_adr] = 0x02;
    model.tick(a.area(), false);
    EXPECT_FALSE(mixer.channel(1).playing);

    // Sound switched off, or the program not ready: everything stops.
    a[sv_snd_ch_adr] = 0x0F;
    a[sv_flag_sound_adr] = 0x0F;
    model.tick(a.area(), false);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(mixer.channel(i).playing);
    model.tick(a.area(), true);
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(mixer.channel(i).playing);
    a[sv_flag_sound_adr] = 0x01;
    a[sv_flag_init_adr] = 1;
    model.tick(a.area(), false);
    EXPECT_EQ(a[sv_flag_sound_adr], 0x01);  // not taken while idle
    EXPECT_FALSE(mixer.channel(0).playing);
}

TEST(SoundModel, ChannelTwoSweep) {
    TestArea a;
    a[sv_flag_init_adr] = 0;
    Mixer mixer;
    SoundModel model(mixer);
    a.put16(sv_snd_pitch_adr + 4, 2040);
    a[sv_snd_sweep_adr] = 3;      // +3 a step
    a[sv_snd_sweep_adr + 1] = 1;  // every second tick
    a[sv_snd_ch_adr] = 0x44;      // channel 2 on, in sweep mode
    a[sv_flag_sound_adr] = 0x04;
    std::vector<uint32_t> rates;
    for (int t = 0; t < 7; ++t) {
        model.tick(a.area(), false);
        rates.push_back(mixer.channel(2).rate);
    }
    // Pitch 2040, then 2043 and 2046, then wrapping to 11 bits: 2049 & 0x7FF = 1.
    EXPECT_EQ(rates, (std::vector<uint32_t>{sampling_rate(2040), sampling_rate(2040), sampling_rate(2043),
                                            sampling_rate(2043), sampling_rate(2046), sampling_rate(2046),
                                            sampling_rate(1)}));
    // Without the mode bit there is no sweep.
    a[sv_snd_ch_adr] = 0x04;
    a[sv_flag_sound_adr] = 0x04;
    for (int t = 0; t < 5; ++t) model.tick(a.area(), false);
    EXPECT_EQ(mixer.channel(2).rate, sampling_rate(2040));
}

// Zero crossings upward per second of mixed output.
double measured_frequency(Mixer& mixer, int output_rate, int seconds) {
    std::vector<int16_t> out(static_cast<size_t>(output_rate * seconds));
    mixer.render(out.data(), out.size());
    int ups = 0;
    for (size_t i = 1; i < out.size(); ++i) ups += out[i - 1] < 0 && out[i] >= 0;
    return static_cast<double>(ups) / seconds;
}

TEST(Mixer, LoopsEachChannelAtItsRate) {
    Mixer mixer(48000);
    ChannelSound square;
    square.playing = true;
    for (int i = 0; i < 32; ++i) square.samples[static_cast<size_t>(i)] = i < 16 ? 8 : 248;
    square.rate = 32 * 440;
    square.gain = 1.0f;
    mixer.set_channel(0, square);
    EXPECT_NEAR(measured_frequency(mixer, 48000, 2), 440.0, 1.0);
    // The loudest mix stays inside 16 bits.
    square.gain = channel_gain(0xFF);
    for (int i = 0; i < 4; ++i) mixer.set_channel(i, square);
    std::vector<int16_t> out(4800);
    mixer.render(out.data(), out.size());
    EXPECT_EQ(*std::max_element(out.begin(), out.end()),
              static_cast<int16_t>(4 * std::lround(120 * square.gain * 32)));
    mixer.stop_all();
    mixer.render(out.data(), out.size());
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 0);
}

}  // namespace
}  // namespace lumora::simvane
