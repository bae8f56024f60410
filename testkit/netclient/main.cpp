// netclient: plays a console network program against the gateway on a serial
// line. Each command sends one request frame and prints the reply in hex.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "platform/com_name.h"
#include "platform/serial_port.h"
#include "requests.h"
#include "script_runner.h"

namespace {

void usage(std::FILE* to) {
    std::fprintf(
        to,
        "Usage: netclient (--port COMn | --device PATH | --fd N) [--speed N] [--timeout MS] "
        "[COMMAND...]\n"
        "Sends gateway request frames and prints \"S> bytes\" and \"R> bytes\" (\"R> -\": no reply).\n"
        "Without COMMAND arguments the commands are read from standard input, one per line.\n"
        "Exit status: 0 all requests answered, 1 some got no reply, 2 usage or script error,\n"
        "3 the line could not be opened or written.\n\n%s",
        lumora::netclient::script_help().c_str());
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lumora::netclient;
    std::string device;
    int fd = -1;
    int speed = 9600;
    RunOptions options;
    std::vector<std::string> commands;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "netclient: %s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            usage(stdout);
            return 0;
        } else if (a == "--version") {
            std::puts("netclient " LUMORA_VERSION);
            return 0;
        } else if (a == "--port") {
            const auto d = lumora::platform::com_name_device(value());
            if (!d) {
                std::fprintf(stderr, "netclient: not a port name\n");
                return 2;
            }
            device = *d;
        } else if (a == "--device") {
            device = value();
        } else if (a == "--fd") {
            fd = std::atoi(value().c_str());
        } else if (a == "--speed") {
            speed = std::atoi(value().c_str());
        } else if (a == "--timeout") {
            options.reply_timeout_ms = std::atoi(value().c_str());
        } else if (a.rfind("--", 0) == 0) {
            std::fprintf(stderr, "netclient: unknown option %s\n", a.c_str());
            usage(stderr);
            return 2;
        } else {
            commands.push_back(a);
        }
    }
    if (device.empty() && fd < 0) {
        usage(stderr);
        return 2;
    }
    if (commands.empty())
        for (std::string line; std::getline(std::cin, line);) commands.push_back(line);

    std::vector<Step> steps;
    for (const auto& c : commands) {
        std::string error;
        auto parsed = parse_line(c, error);
        if (!parsed) {
            std::fprintf(stderr, "netclient: %s\n", error.c_str());
            return 2;
        }
        steps.insert(steps.end(), parsed->begin(), parsed->end());
    }

    lumora::platform::SerialPort port;
    if (fd < 0) {
        lumora::platform::SerialSettings settings;
        settings.baud = speed;
        settings.flow = lumora::platform::SerialSettings::Flow::None;
        if (!port.open(device) || !port.configure(settings)) {
            std::fprintf(stderr, "netclient: cannot open %s\n", device.c_str());
            return 3;
        }
        fd = port.fd();
    }
    FrameLink link(fd);
    const RunStats stats = run_steps(steps, link, options, stdout);
    if (stats.io_error) {
        std::fprintf(stderr, "netclient: cannot write to the line\n");
        return 3;
    }
    return stats.timeouts ? 1 : 0;
}
