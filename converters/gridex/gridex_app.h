#pragma once
// The gridex command: arguments, file reading and writing, messages.

#include <ostream>
#include <string>
#include <vector>

namespace lumora::gridex {

// Exit statuses. Conversion failures end with kExitFailed so build scripts
// notice them.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitFailed = 2;

// Runs gridex with the arguments after the program name; every message goes
// to `out`. Returns the exit status.
int run(const std::vector<std::string>& args, std::ostream& out);

}  // namespace lumora::gridex
