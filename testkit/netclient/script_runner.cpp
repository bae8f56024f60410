#include "script_runner.h"

#include <chrono>
#include <thread>

namespace lumora::netclient {

RunStats run_steps(const std::vector<Step>& steps, FrameLink& link, const RunOptions& options,
                   std::FILE* out) {
    RunStats stats;
    for (const Step& step : steps) {
        if (step.kind == Step::Sleep) {
            std::this_thread::sleep_for(std::chrono::milliseconds(step.sleep_ms));
            continue;
        }
        std::fprintf(out, "S> %s\n", hex_line(step.bytes).c_str());
        std::fflush(out);
        if (!link.send(step.bytes)) {
            stats.io_error = true;
            return stats;
        }
        ++stats.requests;
        if (step.kind == Step::Raw) {
            const auto got = link.read_until_quiet(options.quiet_ms, options.reply_timeout_ms);
            std::fprintf(out, "R> %s\n", got.empty() ? "-" : hex_line(got).c_str());
        } else {
            const auto reply = link.read_reply(options.reply_timeout_ms);
            if (!reply) ++stats.timeouts;
            std::fprintf(out, "R> %s\n", reply ? hex_line(*reply).c_str() : "-");
        }
        std::fflush(out);
    }
    return stats;
}

}  // namespace lumora::netclient
