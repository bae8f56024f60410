#pragma once
// Plays a WAV file without waiting for it, as the front-end's preview does
// when a file is clicked: a new sound replaces the one still playing.

#include <cstdint>
#include <string>

namespace lumora::frontend {

class SoundPreview {
  public:
    SoundPreview() = default;
    ~SoundPreview();
    SoundPreview(const SoundPreview&) = delete;
    SoundPreview& operator=(const SoundPreview&) = delete;

    // Starts playing `path` and returns at once. False (and silence) when the
    // file is no WAV the sound system can read or no audio device opens; the
    // reason is in last_error().
    bool play(const std::string& path);
    void stop();

    // Bytes still queued for the device (0 once a sound has played out).
    uint32_t queued_bytes() const;
    const std::string& last_error() const { return error_; }

  private:
    bool initialised_ = false;
    uint32_t device_ = 0;
    std::string error_;
};

}  // namespace lumora::frontend
