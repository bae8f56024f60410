#pragma once
// One press of "Convert": run the converter on the chosen file, then judge
// its first message line.

#include <functional>
#include <string>

#include "frontend_kind.h"
#include "tool_runner.h"

namespace lumora::frontend {

struct ConvertResult {
    std::string line;     // what the result label shows (UTF-8)
    bool failed = false;  // label on red
};

// The verdict on a finished converter. Its first message line is shown; the
// run failed when that line does not begin with the converter's name. A
// converter that did not start, or left a missing or empty message file,
// failed too, with a line that says so.
ConvertResult judge_conversion(const FrontendKind& kind, const launchers::ToolOutcome& outcome,
                               const std::string& message_file_path, const std::string& program);

// Removes the old message file (so a converter that never ran cannot show an
// old success), starts the converter and reports the verdict through `done`
// from the runner's event loop.
void start_conversion(const FrontendKind& kind, const FrontendPaths& paths, const std::string& folder,
                      const std::string& file, launchers::ToolRunner& runner,
                      std::function<void(const ConvertResult&)> done);

}  // namespace lumora::frontend
