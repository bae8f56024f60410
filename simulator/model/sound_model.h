#pragma once
// The "sound" worker's model: which channel plays what, taken from the area
// every sound tick, and the mixer that turns the four looping channel sounds
// into one output stream. No audio library here; the program feeds
// Mixer::render to its output device.

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "area.h"

namespace lumora::simvane {

constexpr int kSoundTickMicros = 2600;
constexpr int kWaveSamples = 32;

// One channel's looping sound.
struct ChannelSound {
    bool playing = false;
    std::array<uint8_t, kWaveSamples> samples{};  // unsigned 8-bit, 128 is silence
    uint32_t rate = 0;                            // frames per second
    float gain = 0;
};

// Frames per second for a pitch word: (3072000 / ((2048 - p) * 32)) * 32.
// Only 11 bits of the pitch count, so 2048 - p is never 0.
uint32_t sampling_rate(uint16_t pitch);
// ((v & 15) + (v >> 4)) / 16.
float channel_gain(uint8_t volume);
// 32 samples from 16 wave bytes, low nibble first, nibble n as n * 16 + 8.
std::array<uint8_t, kWaveSamples> wave_samples(const uint8_t* wave);

// Mixes the channels at a fixed output rate, each channel looping its 32 samples.
class Mixer {
  public:
    explicit Mixer(int output_rate = 48000) : output_rate_(output_rate) {}
    void set_channel(int channel, const ChannelSound& sound);
    // Sweep: only the rate changes, the sound goes on where it was.
    void set_rate(int channel, uint32_t rate);
    void stop_all();
    ChannelSound channel(int channel) const;
    // Signed 16-bit mono frames.
    void render(int16_t* out, size_t frames);

  private:
    mutable std::mutex mutex_;
    int output_rate_;
    std::array<ChannelSound, 4> channels_{};
    std::array<double, 4> phase_{};  // position in the 32 samples
};

class SoundModel {
  public:
    explicit SoundModel(Mixer& mixer) : mixer_(mixer) {}
    // One sound tick. `sound_off` is the `slp` sound bit.
    void tick(Area area, bool sound_off);

  private:
    Mixer& mixer_;
    bool silent_ = true;
    bool sweeping_ = false;  // channel 2 started in its second mode
    uint16_t sweep_pitch_ = 0;
    uint8_t sweep_counter_ = 0;
};

}  // namespace lumora::simvane
