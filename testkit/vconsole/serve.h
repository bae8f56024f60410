#pragma once
// Runs a shell session on a descriptor until asked to stop: reads what
// arrives, writes what is due, sleeps in poll() until the next of either.

#include <atomic>

#include "testkit/vconsole/shell.h"

namespace lumora::vconsole {

// Returns 0 when `stop` was set, 1 when the line failed. The descriptor is
// switched to non-blocking so a peer that stops reading cannot stall us.
// `line_rate` (bits per second, 0 for none) paces both directions as a UART.
int serve_shell(int fd, ShellSession& session, const std::atomic<bool>& stop, int line_rate = 0);

}  // namespace lumora::vconsole
