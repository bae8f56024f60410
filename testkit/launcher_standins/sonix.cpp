// Stand-in for the sound converter: sonix -w FILE.wav
// Checks its arguments and that FILE is a RIFF WAVE file, writes FILE's
// stem + ".snd" (the sample data) and prints "sonix: ..." first; anything
// wrong gives one error line that does not begin with "sonix".

#include <cstdio>
#include <string>

#include "standin.h"

int main(int argc, char** argv) {
    standin::start("sonix", argc, argv);
    if (argc != 3 || std::string(argv[1]) != "-w") {
        std::printf("usage: sonix -w file.wav\n");
        return 1;
    }
    const std::string file = argv[2];
    auto wave = standin::read_file(standin::host_path(file));
    if (!wave) {
        std::printf("cannot open %s\n", file.c_str());
        return 1;
    }
    if (wave->size() < 44 || wave->compare(0, 4, "RIFF") != 0 || wave->compare(8, 4, "WAVE") != 0) {
        std::printf("not a WAV file: %s\n", file.c_str());
        return 1;
    }
    const size_t dot = file.rfind('.');
    const std::string output = (dot == std::string::npos ? file : file.substr(0, dot)) + ".snd";
    if (!standin::write_file(standin::host_path(output), wave->substr(44))) {
        std::printf("cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("sonix: %s -> %s (%zu bytes)\n", file.c_str(), output.c_str(), wave->size() - 44);
    return 0;
}
