#include "sound_preview.h"

#include <SDL.h>

namespace lumora::frontend {

SoundPreview::~SoundPreview() {
    stop();
    if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SoundPreview::stop() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
}

bool SoundPreview::play(const std::string& path) {
    stop();
    if (!initialised_) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            error_ = SDL_GetError();
            return false;
        }
        initialised_ = true;
    }
    SDL_AudioSpec wav_format{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path.c_str(), &wav_format, &samples, &length)) {
        error_ = SDL_GetError();
        return false;
    }
    wav_format.callback = nullptr;  // queued, so the call returns at once
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wav_format, nullptr, 0);
    if (device_ == 0) {
        error_ = SDL_GetError();
        SDL_FreeWAV(samples);
        return false;
    }
    const bool queued = SDL_QueueAudio(device_, samples, length) == 0;
    SDL_FreeWAV(samples);
    if (!queued) {
        error_ = SDL_GetError();
        stop();
        return false;
    }
    SDL_PauseAudioDevice(device_, 0);
    error_.clear();
    return true;
}

uint32_t SoundPreview::queued_bytes() const {
    return device_ != 0 ? SDL_GetQueuedAudioSize(device_) : 0;
}

}  // namespace lumora::frontend
