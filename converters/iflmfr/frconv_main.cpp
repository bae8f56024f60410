// frconv FILE.fr [OUT.png|OUT.bmp]
#include <cstdio>
#include <cstring>
#include <string>

#include "converters/iflmfr/frconv.h"

namespace {

void usage(FILE* to) {
    std::fputs(
        "Usage: frconv FILE.fr [OUT.png|OUT.bmp]\n"
        "Converts a .fr bitmap resource to PNG or BMP (default: FILE.png).\n",
        to);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        usage(stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("frconv " LUMORA_VERSION);
        return 0;
    }
    if (argc < 2 || argc > 3) {
        usage(stderr);
        return 2;
    }
    const std::string input = argv[1];
    const std::string output = argc == 3 ? argv[2] : lumora::fr::default_output_name(input);
    std::string error;
    if (!lumora::fr::convert_file(input, output, error)) {
        std::fprintf(stderr, "frconv: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
