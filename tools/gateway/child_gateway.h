#pragma once
// Test helper: the headless gateway as a child process on a pseudo-terminal,
// with its standard output and error captured in files.

#include <optional>
#include <string>
#include <vector>

#include "platform/pty_pair.h"

namespace lumora::gateway::testing {

class ChildGateway {
  public:
    // Starts VantaGatewayServer --headless on COM1 (LUMORA_COM1 = the pty) with extra arguments.
    explicit ChildGateway(std::vector<std::string> extra_args = {});
    ~ChildGateway();

    // True once the gateway reports its port open (waits up to timeout_ms).
    bool wait_ready(int timeout_ms = 20000);
    // Sends a signal and waits for the exit; the exit status, or nullopt if it did not end.
    std::optional<int> stop(int signal_number, int timeout_ms = 20000);

    int master_fd() const { return pty_ ? pty_->master_fd() : -1; }
    const std::string& dir() const { return dir_; }
    std::string out() const;
    std::string err() const;

  private:
    std::optional<platform::PtyPair> pty_;
    std::string dir_;
    int pid_ = -1;
};

std::string read_whole_file(const std::string& path);

}  // namespace lumora::gateway::testing
