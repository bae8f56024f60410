#pragma once
// The pictosrc command: arguments, reading the picture, progress lines,
// writing the C text.

#include <ostream>
#include <string>
#include <vector>

#include "converters/pictosrc/pictosrc_merge.h"

namespace lumora::pictosrc {

// Exit statuses, so scripts can tell a good run from a failed one and from
// a wrong command line.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the picture could not be converted or the text not written
constexpr int kExitUsage = 2;   // wrong number of arguments
constexpr int kExitHelp = 0;

// Runs pictosrc with the arguments after the program name. Progress and error
// lines go to `out` as UTF-8, each followed by a line feed.
int run(const std::vector<std::string>& args, std::ostream& out,
        MergeMethod method = MergeMethod::Incremental);

}  // namespace lumora::pictosrc
