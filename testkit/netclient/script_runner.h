#pragma once
// Runs netclient script steps over a FrameLink and prints what goes each way.

#include <cstdio>
#include <string>
#include <vector>

#include "frame_link.h"
#include "requests.h"

namespace lumora::netclient {

struct RunOptions {
    int reply_timeout_ms = 5000;  // a receive can take a second per byte pause
    int quiet_ms = 300;           // how long "raw" waits for more bytes
};

struct RunStats {
    int requests = 0;
    int timeouts = 0;  // requests that got no reply
    bool io_error = false;
};

// Prints "S> .." for every request sent and "R> .." for every reply ("R> -" when none).
RunStats run_steps(const std::vector<Step>& steps, FrameLink& link, const RunOptions& options,
                   std::FILE* out);

}  // namespace lumora::netclient
