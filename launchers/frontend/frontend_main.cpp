#include "frontend_main.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "frontend_window.h"
#include "kit_root.h"
#include "qt_tool_runner.h"
#include "sound_preview.h"

namespace lumora::frontend {

namespace {

void print_usage(const FrontendKind& kind, const char* program, FILE* to) {
    std::fprintf(to,
                 "Usage: %s [--help] [--version]\n"
                 "Converts %s files with the kit's %s: pick a file in the window and press \"%s\".\n"
                 "The lists start in the current folder; %s runs in the file's folder and its messages\n"
                 "go to %s there. The kit root is $LUMO_ROOT (default ~/lumo); %s is taken from its bin/.\n",
                 program, kind.pattern.c_str(), kind.converter.c_str(), kind.convert_text.c_str(),
                 kind.converter.c_str(), kind.message_file.c_str(), kind.converter.c_str());
}

}  // namespace

int run_frontend(const FrontendKind& kind, const char* program, const char* version, int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            print_usage(kind, program, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", program, version);
            return 0;
        }
    }
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {  // what Qt left: not ours
        std::fprintf(stderr, "%s: unknown argument %s\n", program, argv[i]);
        print_usage(kind, program, stderr);
        return 2;
    }
    launchers::QtToolRunner runner;
    std::unique_ptr<SoundPreview> sound;
    if (kind.preview == PreviewKind::sound) sound = std::make_unique<SoundPreview>();
    const std::string own_folder = QCoreApplication::applicationDirPath().toStdString();
    const auto exists = [](const std::string& p) { return std::filesystem::is_regular_file(p); };
    FrontendWindow window(kind, {launchers::kit_root(), own_folder, settings_file_path(own_folder, exists)},
                          runner, sound.get());
    window.show();
    return app.exec();
}

}  // namespace lumora::frontend
