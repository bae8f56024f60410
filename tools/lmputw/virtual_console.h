#pragma once
// Test support: the virtual console program on a pseudo-terminal with a
// store folder and a transcript of what it received.

#include <signal.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace lumora::lmputw {

// vconsole -v on a pseudo-terminal; its transcript is read once it stopped.
class Console {
  public:
    explicit Console(const testing::TempDir& dir) : link_(dir / "COM1"), store_(dir / "rom0") {}
    bool start(const std::vector<std::string>& extra = {}) {
        testing::ChildOptions launch;
        launch.argv = {LUMORA_BIN_DIR "/vconsole", "--pty", link_, "--store", store_, "-v"};
        launch.argv.insert(launch.argv.end(), extra.begin(), extra.end());
        launch.capture_stderr = true;
        child_ = testing::Child::start(launch);
        return child_ && child_->wait_for_line("ready /dev/", 10000);
    }
    // Stops the console; its transcript ("< " what came in).
    std::string transcript() {
        if (!child_) return {};
        child_->signal(SIGINT);
        child_->wait(10000);
        return child_->err();
    }
    const std::string& link() const { return link_; }
    std::string stored(const std::string& name) const { return store_ + "/" + name; }

  private:
    std::string link_, store_;
    std::optional<testing::Child> child_;
};

}  // namespace lumora::lmputw
