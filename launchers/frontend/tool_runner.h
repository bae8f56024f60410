#pragma once
// Starting the kit's outside tools from the launchers, without Qt in sight.
//
// A "command.com /c TOOL ARGS > FILE" of the launchers becomes a request with
// the program, its arguments (never a shell: names typed by the user never
// become commands), the folder it runs in and the file its output goes to.
// Waiting happens through the event loop of whoever implements ToolRunner:
// `run` returns at once and calls `done` when the tool has ended.

#include <functional>
#include <string>
#include <vector>

namespace lumora::launchers {

struct ToolRequest {
    std::string program;                 // host path of the program
    std::vector<std::string> arguments;  // passed as they are
    std::string working_folder;          // empty: the launcher's own current folder
    std::string output_file;             // when set: standard output and error replace this file
};

struct ToolOutcome {
    bool started = false;  // false: the program could not be started at all
    bool crashed = false;  // ended by a signal
    int exit_code = 0;
    std::string error;  // why it did not start, for the user
};

class ToolRunner {
  public:
    virtual ~ToolRunner() = default;
    // Starts the tool and returns at once; `done` is called later, from the
    // event loop, when the tool has ended or could not be started.
    virtual void run(const ToolRequest& request, std::function<void(const ToolOutcome&)> done) = 0;
    // Starts a tool nobody waits for (editors, user programs). False, with a
    // reason in `error`, when it cannot be started.
    virtual bool start_detached(const ToolRequest& request, std::string& error) = 0;
};

// The request as one readable line (program and arguments, quoted where they
// hold blanks), for messages and logs.
std::string describe(const ToolRequest& request);

}  // namespace lumora::launchers
