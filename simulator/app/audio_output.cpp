#include "audio_output.h"

#include <SDL.h>

namespace lumora::simvane {

AudioOutput::~AudioOutput() {
    close();
}

bool AudioOutput::open() {
    if (!initialised_) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            error_ = SDL_GetError();
            return false;
        }
        initialised_ = true;
    }
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 512;  // about 11 ms: restarts are heard promptly
    want.callback = &AudioOutput::fill;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts, and the disk driver writes exactly this format.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
        error_ = SDL_GetError();
        return false;
    }
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void AudioOutput::close() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    device_ = 0;
    if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    initialised_ = false;
}

void AudioOutput::fill(void* self, uint8_t* stream, int len) {
    auto* out = static_cast<AudioOutput*>(self);
    out->mixer_.render(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(len) / sizeof(int16_t));
}

}  // namespace lumora::simvane
