#pragma once
// Runs one outside tool of the build (compiler, linker, packers) and feeds
// everything it prints, line by line, to the output while it runs.
//
// The caller's thread stays in charge: between reads the runner waits on the
// tool's pipe for a short moment and calls the pump hook, from which the
// caller may cancel the tool. Nothing here spins a core.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumora::ide {

enum class ToolOutcome {
    Ran,            // started and ended by itself, whatever its exit code
    FailedToStart,  // the "ErrCode = %d (%s)" line was written
    Cancelled,      // stopped by cancel(); the cancel line was written
};

struct ToolHooks {
    // A line the tool printed (raw bytes, to be classified by the receiver).
    // The cancel line also arrives here, as the tool's last line.
    std::function<void(std::string line)> tool_line;
    // A line of the runner itself that is not classified (the ErrCode line).
    std::function<void(std::string line)> plain_line;
    // Called between reads; lets a window repaint or the caller cancel.
    std::function<void()> pump;
    // Called after a read that produced lines (the output pane follows).
    std::function<void()> refresh;
};

class ToolRunner {
  public:
    ToolRunner();
    ~ToolRunner();
    ToolRunner(const ToolRunner&) = delete;
    ToolRunner& operator=(const ToolRunner&) = delete;

    // Starts `command_line` (first word: the program, split as a shell-less
    // command line with double quotes grouping) in `working_folder` and
    // returns when it has ended.
    ToolOutcome run(const std::string& command_line, const std::string& working_folder,
                    const ToolHooks& hooks);

    // Asks the running tool to stop. Safe from inside the pump hook; does
    // nothing when no tool runs.
    void cancel();

    // True while a tool process is held (enables the cancel command).
    bool running() const;

    // How long the runner waits on the pipe before pumping again.
    void set_poll_interval_ms(int ms) { poll_ms_ = ms; }

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int poll_ms_ = 25;
};

struct ProgramAndArguments {
    std::string program;
    std::vector<std::string> arguments;
};

// Splits a command line as the runner starts it: words separated by blanks,
// double quotes grouping. An unquoted program path with blanks in its folders
// is found by trying the words before each blank in turn, shortest first.
ProgramAndArguments split_program(const std::string& command_line, const std::string& working_folder);

// System error number for a program that cannot be started: the reason
// execve would give (missing file, no permission), or 0 when none is seen.
int start_error_number(const std::string& program, const std::string& working_folder);

// The line written for a tool that cannot be started.
std::string start_error_line(int error_number, const std::string& command_line);

// "ﾋﾞﾙﾄﾞを中止しました。" as Shift-JIS bytes.
const std::string& cancelled_line();

}  // namespace lumora::ide
