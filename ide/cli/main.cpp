// kelvane: the Lumora IDE. Without a command it opens its window; with one
// it runs the build, transfer and run commands headless and prints the
// output window's lines.

#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "ide/app/settings.h"
#include "ide/cli/command_line.h"
#include "ide/cli/headless.h"
#include "ide/window/startup.h"
#include "platform/qt_settings_store.h"

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void on_interrupt(int) {
    g_interrupted = 1;
}

void install_interrupt_handler() {
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

int run_window(int argc, char** argv, const std::vector<std::string>& files) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kelvane");
    QApplication::setApplicationVersion(LUMORA_VERSION);
    lumora::platform::QtSettingsStore store("Umbrane", "Kelvane");
    lumora::ide::AppState state(store);
    state.program_folder = QCoreApplication::applicationDirPath().toStdString();
    lumora::ide::FrameServices services;
    services.beep = [] { QApplication::beep(); };
    std::unique_ptr<lumora::ide::CMainFrame> frame = lumora::ide::start_ide(state, services, files);
    if (!frame) return 1;
    const int status = app.exec();
    frame.reset();
    lumora::ide::exit_ide(state);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program = "kelvane";
    std::vector<std::string> args(argv + 1, argv + argc);
    const lumora::ide::ParsedCli parsed = lumora::ide::parse_command_line(args);
    if (parsed.ok() && parsed.options.command == lumora::ide::CliCommand::Window)
        return run_window(argc, argv, parsed.options.files);
    QCoreApplication app(argc, argv);
    if (!parsed.ok()) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", program.c_str(), parsed.error.c_str(),
                     program.c_str());
        return 2;
    }
    const lumora::ide::CliOptions& options = parsed.options;
    switch (options.command) {
        case lumora::ide::CliCommand::None:
            std::fputs(lumora::ide::usage_text(program).c_str(), stderr);
            return 2;
        case lumora::ide::CliCommand::Help:
            std::fputs(lumora::ide::usage_text(program).c_str(), stdout);
            return 0;
        case lumora::ide::CliCommand::Version:
            std::printf("kelvane %s\n", LUMORA_VERSION);
            return 0;
        default:
            break;
    }

    // The stored folders, unless overridden for this run. Nothing is written
    // back: a headless run leaves the IDE's settings as they were.
    lumora::platform::QtSettingsStore store("Umbrane", "Kelvane");
    lumora::ide::Settings settings = lumora::ide::default_settings();
    lumora::ide::load_settings(settings, store);
    lumora::ide::HeadlessFolders folders{settings.platform_folder, settings.compiler_folder};
    if (options.platform_folder) folders.platform_folder = *options.platform_folder;
    if (options.compiler_folder) folders.compiler_folder = *options.compiler_folder;

    install_interrupt_handler();
    lumora::ide::HeadlessIo io;
    io.out = [](const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    };
    io.err = [&](const std::string& message) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), message.c_str());
    };
    io.interrupted = [] { return g_interrupted != 0; };
    io.abandon = [&] {
        // The port closes with the process; nothing is half-written on our side.
        std::fflush(stdout);
        std::fprintf(stderr, "%s: interrupted\n", program.c_str());
        ::_exit(1);
    };
    return lumora::ide::run_headless(options, folders, io);
}
