#include "headless.h"

#include <signal.h>

#include <cstdio>
#include <cstring>
#include <mutex>

#include "gateway_controller.h"
#include "platform/com_name.h"

namespace lumora::gateway {

int run_headless(const CommandLine& options) {
    // The reader thread must not take the signals: the main thread waits for them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    GatewayController controller;
    std::mutex out_lock;
    controller.set_hooks(
        [&out_lock](std::string_view status) {
            std::lock_guard<std::mutex> lock(out_lock);
            std::fwrite(status.data(), 1, status.size(), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
        },
        [&out_lock](uint8_t cls, uint8_t code, const CancelFlag&) {
            std::lock_guard<std::mutex> lock(out_lock);
            std::fprintf(stderr, "unkown command (%02X:%02X)\n", cls, code);
            std::fflush(stderr);
        });
    controller.set_log_path(options.log_path);
    controller.choose_speed(options.speed);
    if (!controller.choose_port(options.port)) {
        const auto device = platform::com_name_device(options.port);
        std::fprintf(stderr, "VantaGatewayServer: cannot open %s (%s): %s\n", options.port.c_str(),
                     device ? device->c_str() : "?", std::strerror(controller.last_error()));
        return 1;
    }
    std::fprintf(stderr, "VantaGatewayServer: %s (%s) open at %d bit/s\n", options.port.c_str(),
                 controller.port_device().c_str(), options.speed);
    std::fflush(stderr);

    int signal_number = 0;
    while (sigwait(&signals, &signal_number) != 0) {
    }
    controller.shutdown();
    return 0;
}

}  // namespace lumora::gateway
