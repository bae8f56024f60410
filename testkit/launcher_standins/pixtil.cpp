// Stand-in for the bitmap converter: pixtil -cSETTINGS FILE.bmp
// Checks that the settings file after "-c" can be read and that FILE is a
// BMP, writes FILE's stem + ".chr" (the pixel data) and prints "pixtil: ..."
// first; anything wrong gives one error line not beginning with "pixtil".

#include <cstdio>
#include <string>

#include "standin.h"

int main(int argc, char** argv) {
    standin::start("pixtil", argc, argv);
    if (argc != 3 || std::string(argv[1]).rfind("-c", 0) != 0) {
        std::printf("usage: pixtil -cSETTINGS file.bmp\n");
        return 1;
    }
    const std::string settings = std::string(argv[1]).substr(2);
    if (!standin::read_file(standin::host_path(settings))) {
        std::printf("cannot read settings file %s\n", settings.c_str());
        return 1;
    }
    const std::string file = argv[2];
    auto bitmap = standin::read_file(standin::host_path(file));
    if (!bitmap) {
        std::printf("cannot open %s\n", file.c_str());
        return 1;
    }
    if (bitmap->size() < 54 || bitmap->compare(0, 2, "BM") != 0) {
        std::printf("not a BMP file: %s\n", file.c_str());
        return 1;
    }
    const size_t dot = file.rfind('.');
    const std::string output = (dot == std::string::npos ? file : file.substr(0, dot)) + ".chr";
    if (!standin::write_file(standin::host_path(output), bitmap->substr(54))) {
        std::printf("cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("pixtil: %s -> %s\n", file.c_str(), output.c_str());
    return 0;
}
