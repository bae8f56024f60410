// lmPutw: sends files to the console, deletes files there, defragments its
// storage and starts a program; with a small progress dialog, or none.

#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "headless.h"
#include "platform/qt_settings_store.h"
#include "transfer_run.h"
#include "window_run.h"

int main(int argc, char** argv) {
    using namespace lumora::lmputw;
    std::vector<std::string> args(argv + 1, argv + argc);
    const Invocation inv = parse_arguments(args, local_path_exists);
    switch (inv.action) {
        case Invocation::Action::Help:
            std::fputs(usage_text().c_str(), stdout);
            return 0;
        case Invocation::Action::Version:
            std::puts("lmPutw " LUMORA_VERSION);
            return 0;
        case Invocation::Action::UsageError:
            std::fprintf(stderr, "lmPutw: %s\nTry 'lmPutw --help'.\n", inv.error.c_str());
            return 2;
        case Invocation::Action::Run:
            break;
    }

    RunEnvironment env;
    {
        lumora::platform::QtSettingsStore settings("Quorvi", "Pelorix");
        env.line = read_line_settings(&settings);
    }
    env.diagnostic = [](const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    };
    if (!inv.no_window) return run_with_window(argc, argv, inv.options, std::move(env));
    return run_headless(inv.options, std::move(env));
}
