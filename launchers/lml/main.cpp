// lml: the kit's launcher. Creates, compiles, packs and runs a project
// without the IDE, and starts the kit's other tools.

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "launchers/frontend/qt_tool_runner.h"
#include "lml_window.h"

namespace {

void usage(FILE* to) {
    std::fputs(
        "Usage: lml [--help] [--version]\n"
        "The kit's launcher: create a project, compile it with lcc86, pack it with hdrpack, then run it in\n"
        "the emulator or send it to the console with lmPutw.\n"
        "The kit root is $LUMO_ROOT (default ~/lumo): projects in myprog/, settings in lml.ini,\n"
        "the compiler in lsic86lm/bin, hdrpack in bin, the emulator in tools/sonavo033.\n"
        "scripts/make-kit-root lays out a kit root with the kit's stand-in tools.\n",
        to);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            usage(stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("lml " LUMORA_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv);
    if (argc > 1) {
        std::fprintf(stderr, "lml: unknown argument %s\n", argv[1]);
        usage(stderr);
        return 2;
    }
    lumora::launchers::QtToolRunner runner;
    lumora::lml::LmlWindow window(
        {lumora::launchers::kit_root(), QCoreApplication::applicationDirPath().toStdString()}, runner);
    window.start();
    return app.exec();
}
