#pragma once
// Writing a score as MML text: tempo, two part headers, one bar per line.

#include <string>
#include <vector>

#include "converters/cantara2mml/cantara_save.h"

namespace lumora::cantara {

struct MmlResult {
    std::string text;
    // Events that could not be written as they stand, one line each (without
    // a line feed), for example a length the length table does not have.
    std::vector<std::string> warnings;
};

MmlResult to_mml(const Score& score);

}  // namespace lumora::cantara
