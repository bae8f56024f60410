#pragma once
// Runs a shell session on a descriptor until asked to stop: reads what
// arrives, writes what is due, sleeps in poll() until the next of either.

#include <atomic>

#include "testkit/vconsole/shell.h"

namespace lumora::vconsole {

// Returns 0 when `stop` was set, 1 when the line failed. The descriptor is
// switched to non-blocking so a peer that stops reading cannot stall us.
int serve_shell(int fd, ShellSession& session, const std::atomic<bool>& stop);

}  // namespace lumora::vconsole
