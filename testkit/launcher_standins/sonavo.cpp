// Stand-in for the console emulator: sonavo FILE.fx
// Runs nothing; it checks that it was given a file entry and ends, so tests
// see which file it was started on (LUMORA_STANDIN_LOG) and can keep it
// "running" for a while (LUMORA_STANDIN_SLEEP=sonavo:SECONDS).

#include <cstdio>
#include <string>

#include "standin.h"

int main(int argc, char** argv) {
    standin::start("sonavo", argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: sonavo file.fx\n");
        return 1;
    }
    auto entry = standin::read_file(standin::host_path(argv[1]));
    if (!entry || entry->rfind("#!ws", 0) != 0) {
        std::fprintf(stderr, "sonavo: %s is no file entry\n", argv[1]);
        return 1;
    }
    std::printf("sonavo: ran %s\n", argv[1]);
    return 0;
}
