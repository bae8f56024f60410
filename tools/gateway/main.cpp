// VantaGatewayServer: the network gateway for console programs, as a dialog
// or, with --headless, as a service without a window.

#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "gateway_controller.h"
#include "gateway_dialog.h"
#include "headless.h"
#include "headless_options.h"

int main(int argc, char** argv) {
    using namespace lumora::gateway;
    std::vector<std::string> args(argv + 1, argv + argc);
    const ParseResult parsed = parse_command_line(args);
    if (!parsed.options) {
        std::fprintf(stderr, "VantaGatewayServer: %s\n%s", parsed.error.c_str(),
                     usage_text("VantaGatewayServer").c_str());
        return 2;
    }
    const CommandLine& options = *parsed.options;
    if (options.help) {
        std::fputs(usage_text("VantaGatewayServer").c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts("VantaGatewayServer " LUMORA_VERSION);
        return 0;
    }
    if (options.headless) return run_headless(options);

    QApplication app(argc, argv);
    GatewayController controller;
    GatewayDialog dialog(controller);
    dialog.start();
    dialog.exec();
    controller.shutdown();
    return 0;
}
