// gridex: 8-bit BMP to tile map and block attributes.
#include <iostream>
#include <string>
#include <vector>

#include "converters/gridex/gridex_app.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "gridex " LUMORA_VERSION "\n";
        return 0;
    }
    const int status = lumora::gridex::run(args, std::cout);
    std::cout.flush();
    return status;
}
