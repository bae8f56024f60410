#pragma once
// The cantara2mml command: arguments, reading the save file, writing MML.

#include <ostream>
#include <string>
#include <vector>

namespace lumora::cantara {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;

// Runs cantara2mml with the arguments after the program name; messages go to
// `out`. Returns the exit status.
int run(const std::vector<std::string>& args, std::ostream& out);

}  // namespace lumora::cantara
