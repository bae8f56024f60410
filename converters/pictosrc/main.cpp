// pictosrc: 24-bit BMP to C arrays of palettes, palette masks and pixels.
#include <iostream>
#include <string>
#include <vector>

#include "converters/pictosrc/pictosrc_app.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "pictosrc " LUMORA_VERSION "\n";
        return 0;
    }
    return lumora::pictosrc::run(args, std::cout);
}
