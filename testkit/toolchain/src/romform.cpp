// Stand-in for the SDK's converter: romform EXE BIN
// Turns the linked executable into the flat image the console loads.

#include <cstdio>
#include <string>

#include "standin.h"

int main(int argc, char** argv) {
    standin::start("romform", argc, argv);
    if (argc != 3) {
        std::printf("usage: romform input.exe output.bin\n");
        return 1;
    }
    auto exe = standin::read_file(standin::host_path(argv[1]));
    if (!exe) {
        std::printf("romform: cannot open %s\n", argv[1]);
        return 1;
    }
    const std::string magic = standin::kExeMagic;
    if (exe->rfind(magic, 0) != 0) {
        std::printf("romform: %s is not an executable\n", argv[1]);
        return 1;
    }
    const std::string image = exe->substr(magic.size());
    if (!standin::write_file(standin::host_path(argv[2]), image)) {
        std::printf("romform: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("romform: %s -> %s (%zu bytes)\n", argv[1], argv[2], image.size());
    return 0;
}
