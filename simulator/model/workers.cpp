#include "workers.h"

#include <pthread.h>

#include <chrono>

#include "comm_model.h"
#include "frame_model.h"
#include "key_map.h"

namespace lumora::simvane {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;

}  // namespace

void name_this_thread(const char* name) {
    ::pthread_setname_np(::pthread_self(), name);
}

Workers::Workers(Area area, SimState& state, Mixer& mixer, std::string serial_device)
    : area_(area), state_(state), mixer_(mixer), serial_device_(std::move(serial_device)) {}

Workers::~Workers() {
    stop();
}

void Workers::start() {
    {
        std::lock_guard lock(mutex_);
        stop_ = false;
    }
    frames_ = std::thread([this] { run_frames(); });
    sound_ = std::thread([this] { run_sound(); });
    comm_ = std::thread([this] { run_comm(); });
}

void Workers::stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    cv_.notify_all();
    for (std::thread* t : {&frames_, &sound_, &comm_})
        if (t->joinable()) t->join();
}

void Workers::wake() {
    {
        std::lock_guard lock(mutex_);
        ++wakes_;
    }
    cv_.notify_all();
}

bool Workers::stopping() const {
    std::lock_guard lock(mutex_);
    return stop_;
}

template <class TimePoint>
bool Workers::wait_until(const TimePoint& deadline) {
    std::unique_lock lock(mutex_);
    cv_.wait_until(lock, deadline, [&] { return stop_; });
    return !stop_;
}

void Workers::run_frames() {
    name_this_thread("vblank");
    FrameModel model;
    // Absolute deadlines: the period does not drift with the time a frame takes.
    auto next = Clock::now();
    for (;;) {
        next += microseconds(state_.sv_vb_t.load());
        if (!wait_until(next)) return;
        const auto now = Clock::now();
        // After a long stall (machine suspended, debugger) start afresh
        // instead of running a burst of late frames.
        if (now - next > std::chrono::milliseconds(200)) next = now;
        if (state_.slp.load() & kPauseFrames) continue;
        const bool portrait = state_.mode.load() & kModePortrait;
        model.step(area_, key_word(state_.held_keys.load(), portrait));
    }
}

void Workers::run_sound() {
    name_this_thread("sound");
    SoundModel model(mixer_);
    auto next = Clock::now();
    for (;;) {
        const bool sound_off = state_.slp.load() & kPauseSound;
        const bool idle = sound_off || area_.u8(sv_flag_init_adr) != 0;
        model.tick(area_, sound_off);
        // While idle nothing can start before the flag or switch changes, so
        // look less often; a sound waits at most one such round to begin.
        next += idle ? microseconds(20000) : microseconds(kSoundTickMicros);
        if (!wait_until(next)) break;
        const auto now = Clock::now();
        if (now - next > std::chrono::milliseconds(200)) next = now;
    }
    mixer_.stop_all();
}

void Workers::run_comm() {
    name_this_thread("comm");
    auto paused = [this] { return (state_.slp.load() & kPauseSerial) || area_.u8(sv_flag_init_adr) != 0; };
    CommModel model(serial_device_, [this, paused] { return stopping() || paused(); });
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            const unsigned seen = wakes_;
            cv_.wait_for(lock, std::chrono::milliseconds(10), [&] { return stop_ || wakes_ != seen; });
            if (stop_) break;
        }
        model.round(area_, paused());
    }
}

}  // namespace lumora::simvane
