#include "command_line.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "area.h"

namespace lumora::simvane {

ParsedCommandLine parse_command_line(const std::vector<std::string>& args) {
    CommandLine c;
    std::vector<std::string> loose;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            c.help = true;
        } else if (a == "--version") {
            c.version = true;
        } else if (a == "--render") {
            c.render = true;
        } else if (a == "--mode" || a.rfind("--mode=", 0) == 0) {
            std::string value;
            if (a == "--mode") {
                if (i + 1 >= args.size()) return {std::nullopt, "--mode needs a number 0-7"};
                value = args[++i];
            } else {
                value = a.substr(7);
            }
            if (value.size() != 1 || value[0] < '0' || value[0] > '7')
                return {std::nullopt, "--mode needs a number 0-7, not \"" + value + "\""};
            c.mode = value[0] - '0';
        } else if (a.size() > 1 && a[0] == '-') {
            return {std::nullopt, "unknown option " + a};
        } else {
            loose.push_back(a);
        }
    }
    if (c.help || c.version) return {c, ""};
    if (!c.render) {
        if (!loose.empty()) return {std::nullopt, "unexpected argument " + loose.front()};
        return {c, ""};
    }
    if (loose.size() != 3) return {std::nullopt, "--render needs AREA.bin VIEW OUT.png"};
    c.area_file = loose[0];
    const auto view = view_kind_from_name(loose[1].c_str());
    if (!view)
        return {std::nullopt,
                "unknown view \"" + loose[1] + "\" (character, sprite, screen1, screen2, lcd, segment)"};
    c.view = *view;
    c.out_file = loose[2];
    return {c, ""};
}

std::string usage_text() {
    return "Usage: simvane [--help] [--version]\n"
           "       simvane --render AREA.bin VIEW OUT.png [--mode N]\n"
           "\n"
           "Stands in for the console's hardware while a program for it runs on this PC.\n"
           "simvane creates the shared memory area the program under test attaches to\n"
           "(simvane_attach() in simvane_area.h), counts frames, reads the keyboard, plays\n"
           "the four sound channels, serves serial requests and shows the video memory.\n"
           "\n"
           "Windows: \"Simvane\" (controls: frame speed, display mode, sound and serial\n"
           "switches; closing it quits), \"character\", \"sprite\", \"screen1\", \"screen2\"\n"
           "and \"lcd\". Each picture window's context menu saves its picture as PNG; the\n"
           "control window's saves the whole area (327680 bytes) for --render.\n"
           "\n"
           "Mode buttons: columns landscape, landscape inverted, portrait, portrait\n"
           "inverted; rows monochrome, colour. Mode N is column + 4 * row (4 at start).\n"
           "\n"
           "Keys (landscape): S start, A, B, keypad 8/6/2/4 and the cursor keys for the\n"
           "two pads. Portrait mode turns both pads a quarter turn.\n"
           "\n"
           "  --render AREA.bin VIEW OUT.png   draw VIEW (character, sprite, screen1,\n"
           "                                   screen2, lcd, segment) of a saved area\n"
           "                                   with the windows' own code; no display needed\n"
           "  --mode N                         display mode for --render (default 4)\n"
           "  --help, --version\n"
           "\n"
           "Environment:\n"
           "  SIMVANE_AREA_NAME  shared memory name (default /simvane); the attach\n"
           "                     library reads the same variable\n"
           "  SIMVANE_SERIAL     serial device (default: LUMORA_COM1, else /dev/ttyS0)\n"
           "  SDL_AUDIODRIVER    SDL's audio driver; without a device simvane runs silent\n"
           "\n"
           "Only one simvane runs per area name; it exits with status 1 if another holds it.\n";
}

int run_render(const CommandLine& options) {
    std::ifstream in(options.area_file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "simvane: cannot read %s\n", options.area_file.c_str());
        return 1;
    }
    std::vector<uint8_t> area(SIMVANE_AREA_SIZE, 0);
    in.read(reinterpret_cast<char*>(area.data()), static_cast<std::streamsize>(area.size()));
    const auto got = static_cast<size_t>(in.gcount());
    if (got < kViewBytes) {
        std::fprintf(stderr, "simvane: %s is not an area image (%zu bytes; at least %zu expected)\n",
                     options.area_file.c_str(), got, kViewBytes);
        return 1;
    }
    const QImage picture = render_view(area.data(), options.view, options.mode);
    if (!picture.save(QString::fromStdString(options.out_file), "PNG")) {
        std::fprintf(stderr, "simvane: cannot write %s\n", options.out_file.c_str());
        return 1;
    }
    return 0;
}

}  // namespace lumora::simvane
