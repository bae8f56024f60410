// orvconv: the converter window, or the same conversion from a command line.
#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "converters/orvconv/orv_headless.h"
#include "converters/orvconv/orvconv_window.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const lumora::orv::Command command = lumora::orv::parse_command_line(args);
    switch (command.kind) {
        case lumora::orv::CommandKind::Help:
            lumora::orv::print_usage(std::cout);
            return 0;
        case lumora::orv::CommandKind::Version:
            std::cout << "orvconv " LUMORA_VERSION "\n";
            return 0;
        case lumora::orv::CommandKind::Misuse:
            std::cerr << "orvconv: " << command.error << '\n';
            lumora::orv::print_usage(std::cerr);
            return 2;
        case lumora::orv::CommandKind::Convert:
            return lumora::orv::run_headless(command, ".", std::cerr);
        case lumora::orv::CommandKind::Window:
            break;
    }
    QApplication app(argc, argv);
    lumora::orv::OrvWindow window;
    window.show();
    return app.exec();
}
