#pragma once
#include "headless_options.h"

namespace lumora::gateway {

// Runs the gateway without a window until SIGINT or SIGTERM; returns the exit status.
int run_headless(const CommandLine& options);

}  // namespace lumora::gateway
