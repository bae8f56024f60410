#include "sound_model.h"

#include <algorithm>
#include <cmath>

namespace lumora::simvane {

uint32_t sampling_rate(uint16_t pitch) {
    const uint32_t p = pitch & 0x7FFu;
    return 3072000u / ((2048u - p) * 32u) * 32u;
}

float channel_gain(uint8_t volume) {
    return static_cast<float>((volume & 15) + (volume >> 4)) / 16.0f;
}

std::array<uint8_t, kWaveSamples> wave_samples(const uint8_t* wave) {
    std::array<uint8_t, kWaveSamples> s{};
    for (int i = 0; i < 16; ++i) {
        s[static_cast<size_t>(2 * i)] = static_cast<uint8_t>((wave[i] & 15) * 16 + 8);
        s[static_cast<size_t>(2 * i + 1)] = static_cast<uint8_t>((wave[i] >> 4) * 16 + 8);
    }
    return s;
}

void Mixer::set_channel(int channel, const ChannelSound& sound) {
    std::lock_guard lock(mutex_);
    channels_[static_cast<size_t>(channel)] = sound;
    phase_[static_cast<size_t>(channel)] = 0;
}

void Mixer::set_rate(int channel, uint32_t rate) {
    std::lock_guard lock(mutex_);
    channels_[static_cast<size_t>(channel)].rate = rate;
}

void Mixer::stop_all() {
    std::lock_guard lock(mutex_);
    for (auto& c : channels_) c.playing = false;
}

ChannelSound Mixer::channel(int channel) const {
    std::lock_guard lock(mutex_);
    return channels_[static_cast<size_t>(channel)];
}

void Mixer::render(int16_t* out, size_t frames) {
    std::lock_guard lock(mutex_);
    std::fill(out, out + frames, int16_t{0});
    for (size_t ch = 0; ch < channels_.size(); ++ch) {
        const ChannelSound& c = channels_[ch];
        if (!c.playing || c.rate == 0) continue;
        const double step = static_cast<double>(c.rate) / output_rate_;
        double phase = phase_[ch];
        for (size_t i = 0; i < frames; ++i) {
            const int s = c.samples[static_cast<size_t>(phase)] - 128;
            // Four channels at full gain stay inside 16 bits: 4 * 127 * 1.875 * 32 < 32767.
            const int v = out[i] + static_cast<int>(std::lround(s * c.gain * 32.0f));
            out[i] = static_cast<int16_t>(std::clamp(v, -32768, 32767));
            phase += step;
            if (phase >= kWaveSamples) phase = std::fmod(phase, kWaveSamples);
        }
        phase_[ch] = phase;
    }
}

void SoundModel::tick(Area area, bool sound_off) {
    if (sound_off || area.u8(sv_flag_init_adr) != 0) {
        if (!silent_) mixer_.stop_all();
        silent_ = true;
        sweeping_ = false;
        return;
    }
    const uint8_t restart = area.u8(sv_flag_sound_adr);
    if (restart) area.set_u8(sv_flag_sound_adr, 0);

    if (sweeping_) {
        if (sweep_counter_ == 0) {
            sweep_counter_ = area.u8(sv_snd_sweep_adr + 1);
            const auto step = static_cast<int8_t>(area.u8(sv_snd_sweep_adr));
            sweep_pitch_ = static_cast<uint16_t>((sweep_pitch_ + step) & 0x7FF);
            mixer_.set_rate(2, sampling_rate(sweep_pitch_));
        } else {
            --sweep_counter_;
        }
    }

    const uint8_t channels = area.u8(sv_snd_ch_adr);
    for (int i = 0; i < 4; ++i) {
        if (!(restart & (1u << i))) continue;
        ChannelSound sound;  // stops whatever played
        if (i == 2) sweeping_ = false;
        if (channels & (1u << i)) {
            const bool second_mode = channels & (0x10u << i);
            uint8_t wave[16];
            for (int b = 0; b < 16; ++b) wave[b] = area.u8(static_cast<size_t>(sv_snd_wave_adr + i * 16 + b));
            const uint16_t pitch = area.u16(static_cast<size_t>(sv_snd_pitch_adr + i * 2));
            if (i == 2 && second_mode) {
                sweeping_ = true;
                sweep_pitch_ = pitch & 0x7FF;
                sweep_counter_ = area.u8(sv_snd_sweep_adr + 1);
            }
            sound.playing = true;
            sound.samples = wave_samples(wave);
            sound.rate = sampling_rate(pitch);
            sound.gain = channel_gain(area.u8(static_cast<size_t>(sv_snd_vol_adr + i)));
            silent_ = false;
        }
        mixer_.set_channel(i, sound);
    }
}

}  // namespace lumora::simvane
