// simvane: the console's hardware for a program under test on this PC.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "area_host.h"
#include "comm_model.h"
#include "command_line.h"
#include "sv_app.h"

namespace {

int signal_pipe[2] = {-1, -1};

void on_signal(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(signal_pipe[1], &c, 1);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lumora::simvane;
    const ParsedCommandLine parsed = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "simvane: %s\n%s", parsed.error.c_str(), usage_text().c_str());
        return 2;
    }
    const CommandLine& options = *parsed.options;
    if (options.help) {
        std::fputs(usage_text().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts("simvane " LUMORA_VERSION);
        return 0;
    }
    if (options.render) return run_render(options);

    // SIGINT and SIGTERM end the event loop, so the area is removed as on a
    // normal quit; caught from before the area exists.
    if (::pipe2(signal_pipe, O_CLOEXEC) == 0) {
        struct sigaction sa {};
        sa.sa_handler = on_signal;
        ::sigemptyset(&sa.sa_mask);
        ::sigaction(SIGINT, &sa, nullptr);
        ::sigaction(SIGTERM, &sa, nullptr);
    }

    AreaHost host;
    const std::string name = area_name_from_environment();
    switch (host.create(name)) {
        case AreaHost::Status::ok:
            break;
        case AreaHost::Status::in_use:
            std::fprintf(stderr, "simvane: another simvane is running with the area %s; only one may run\n",
                         name.c_str());
            return 1;
        case AreaHost::Status::failed:
            std::printf("error : create_area\n");
            std::fprintf(stderr, "simvane: cannot create the area %s: %s\n", name.c_str(),
                         std::strerror(host.error()));
            return 1;
    }
    // Ready before the line appears: a program under test may attach at once.
    Area area(host.base());
    initialise_area(area, host.size());
    std::printf("ok : area_id=%d  size=%04zx\n", host.id(), host.size());
    std::fflush(stdout);

    QApplication app(argc, argv);
    app.setApplicationName("simvane");
    app.setQuitOnLastWindowClosed(false);
    QSocketNotifier quit_on_signal(signal_pipe[0], QSocketNotifier::Read);
    QObject::connect(&quit_on_signal, &QSocketNotifier::activated, &app, &QApplication::quit);

    SV_app sim(area, serial_device_from_environment());
    QObject::connect(&sim, &SV_app::quit_requested, &app, &QApplication::quit);
    sim.start();
    const int status = app.exec();
    sim.stop();
    return status;
}
