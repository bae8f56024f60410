#pragma once
// The pictosrc command: arguments, reading the picture, progress lines,
// writing the C text.

#include <ostream>
#include <string>
#include <vector>

#include "converters/pictosrc/pictosrc_merge.h"

namespace lumora::pictosrc {

// Every run that gets as far as trying a conversion ends with 1, whatever the
// outcome; build scripts written for this tool expect that.
constexpr int kExitConverted = 1;
constexpr int kExitArguments = 1;
constexpr int kExitHelp = 0;

// Runs pictosrc with the arguments after the program name. Progress and error
// lines go to `out` as UTF-8, each followed by a line feed.
int run(const std::vector<std::string>& args, std::ostream& out, MergeMethod method = MergeMethod::Incremental);

}  // namespace lumora::pictosrc
