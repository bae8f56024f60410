#pragma once
// The sound device: one SDL output stream, 48 000 Hz, signed 16-bit, mono,
// filled from the mixer. Without an audio device simvane runs silently.

#include <cstdint>
#include <string>

#include "sound_model.h"

namespace lumora::simvane {

class AudioOutput {
  public:
    explicit AudioOutput(Mixer& mixer) : mixer_(mixer) {}
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Opens and starts the device; false (with error()) when there is none.
    bool open();
    void close();
    bool is_open() const { return device_ != 0; }
    const std::string& error() const { return error_; }

    static constexpr int kRate = 48000;

  private:
    static void fill(void* self, uint8_t* stream, int len);
    Mixer& mixer_;
    uint32_t device_ = 0;
    bool initialised_ = false;
    std::string error_;
};

}  // namespace lumora::simvane
