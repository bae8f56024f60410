#pragma once
// For tests: a ToolRunner that runs nothing. It keeps what it was asked to
// run; the test plays the tool (writes its files) and then ends it.

#include <deque>
#include <string>
#include <vector>

#include "tool_runner.h"

namespace lumora::launchers {

class FakeToolRunner : public ToolRunner {
  public:
    struct Pending {
        ToolRequest request;
        std::function<void(const ToolOutcome&)> done;
    };

    void run(const ToolRequest& request, std::function<void(const ToolOutcome&)> done) override {
        waited.push_back(request);
        pending.push_back({request, std::move(done)});
    }
    bool start_detached(const ToolRequest& request, std::string& error) override {
        detached.push_back(request);
        if (!detached_error.empty()) error = detached_error;
        return detached_error.empty();
    }

    // Ends the oldest waited tool with `exit_code` (or as not started).
    void end(int exit_code = 0, bool started = true) {
        ASSERT_FALSE(pending.empty()) << "no tool is running";
        Pending running = std::move(pending.front());
        pending.pop_front();
        ToolOutcome outcome;
        outcome.started = started;
        outcome.exit_code = exit_code;
        if (!started) outcome.error = "No such file or directory";
        running.done(outcome);
    }

    std::vector<ToolRequest> waited;
    std::vector<ToolRequest> detached;
    std::deque<Pending> pending;
    std::string detached_error;  // when set, detached starts fail with it
};

}  // namespace lumora::launchers
