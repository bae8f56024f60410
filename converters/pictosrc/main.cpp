// pictosrc: 24-bit BMP to C arrays of palettes, palette masks and pixels.
#include <iostream>
#include <string>
#include <vector>

#include "converters/pictosrc/pictosrc_app.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return lumora::pictosrc::run(args, std::cout);
}
