// cantara2mml: Cantara score save file to MML text.
#include <iostream>
#include <string>
#include <vector>

#include "converters/cantara2mml/cantara_app.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "cantara2mml " LUMORA_VERSION "\n";
        return 0;
    }
    const int status = lumora::cantara::run(args, std::cout);
    std::cout.flush();
    return status;
}
