// Frame-counter accuracy: runs simvane's workers on a private area for a
// while at a given frame period and compares the count with the ideal.
//
//   bench_simvane_frames [SECONDS [PERIOD_US]]     (default 10 s, 13000 us)

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "area.h"
#include "sim_state.h"
#include "sound_model.h"
#include "workers.h"

int main(int argc, char** argv) {
    using namespace lumora::simvane;
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int period = argc > 2 ? std::atoi(argv[2]) : kDefaultFramePeriod;
    if (seconds <= 0 || period < kMinFramePeriod || period > kMaxFramePeriod) {
        std::fprintf(stderr, "usage: bench_simvane_frames [SECONDS [PERIOD_US 1000-100000]]\n");
        return 2;
    }
    std::vector<uint8_t> bytes(SIMVANE_AREA_SIZE + 8);
    Area area(bytes.data());
    initialise_area(area, SIMVANE_AREA_SIZE);
    SimState state;
    state.sv_vb_t = period;
    state.slp = kPauseSerial;  // no device here
    Mixer mixer;
    Workers workers(area, state, mixer, "/dev/null");
    workers.start();
    area.set_u8(sv_flag_init_adr, 0);
    // Measure from the first tick, so start-up does not count.
    while (area.u32(sv_tick_adr) == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
    const uint32_t first = area.u32(sv_tick_adr);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const uint32_t last = area.u32(sv_tick_adr);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    workers.stop();
    const double ideal = elapsed * 1e6 / period;
    const double counted = last - first;
    const double error = (counted - ideal) / ideal * 100.0;
    std::printf(
        "frame period %d us, %.3f s: %.0f frames, ideal %.1f, error %+.3f %% (goal within 0.5 %%: %s)\n",
        period, elapsed, counted, ideal, error, std::fabs(error) <= 0.5 ? "met" : "missed");
    return 0;
}
