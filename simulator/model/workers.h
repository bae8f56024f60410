#pragma once
// The three worker threads that bring the area to life: "vblank" (frames,
// keys, cursor), "sound" and "comm" (serial). They read SimState at every
// round and stop promptly when asked.

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "area.h"
#include "sim_state.h"
#include "sound_model.h"

namespace lumora::simvane {

class Workers {
  public:
    Workers(Area area, SimState& state, Mixer& mixer, std::string serial_device);
    ~Workers();
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    void start();
    // Stops and joins all three; returns when they have ended.
    void stop();
    // Call after changing SimState so waiting workers look again now (the
    // comm worker closes the device at once when serial is switched off).
    void wake();

  private:
    void run_frames();
    void run_sound();
    void run_comm();
    // Waits until `deadline` or a stop; false when stopping.
    template <class TimePoint>
    bool wait_until(const TimePoint& deadline);
    bool stopping() const;

    Area area_;
    SimState& state_;
    Mixer& mixer_;
    std::string serial_device_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool stop_ = false;
    unsigned wakes_ = 0;
    std::thread frames_, sound_, comm_;
};

// Names the calling thread as tools such as top show it.
void name_this_thread(const char* name);

}  // namespace lumora::simvane
