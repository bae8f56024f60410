// snapget: receives a screen capture from the console and saves it as BMP.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/qt_settings_store.h"
#include "snapget_run.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("snapget " LUMORA_VERSION);
        return 0;
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    lumora::platform::QtSettingsStore settings("Quorvi", "Pelorix");
    lumora::snapget::Environment env;
    env.settings = &settings;
    env.err = [](const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    };
    return lumora::snapget::run(argc > 0 ? argv[0] : "snapget", args, env);
}
