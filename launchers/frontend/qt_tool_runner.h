#pragma once
// ToolRunner on QProcess: the tool's end arrives as a signal, so the window
// keeps repainting and nothing polls while a tool runs.

#include <memory>
#include <vector>

class QObject;

#include "tool_runner.h"

namespace lumora::launchers {

class QtToolRunner : public ToolRunner {
  public:
    QtToolRunner();
    ~QtToolRunner() override;
    void run(const ToolRequest& request, std::function<void(const ToolOutcome&)> done) override;
    bool start_detached(const ToolRequest& request, std::string& error) override;

  private:
    struct Running;
    std::unique_ptr<QObject> context_;  // owns the deferred reports
    std::vector<std::unique_ptr<Running>> running_;
};

}  // namespace lumora::launchers
