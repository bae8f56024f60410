#pragma once
// The run without a window: texts go to standard error only, and Ctrl+C or
// SIGTERM cancel the way the dialog's button does.

#include "transfer_run.h"

namespace lumora::lmputw {

// Returns the exit status; 2 when there are no files.
int run_headless(const TransferOptions& options, RunEnvironment env);

}  // namespace lumora::lmputw
