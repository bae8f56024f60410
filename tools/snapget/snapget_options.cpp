#include "snapget_options.h"

#include <cctype>

#include "devlink/messages.h"

namespace lumora::snapget {

namespace {

bool starts_with_com(const std::string& arg) {
    if (arg.size() < 4) return false;
    return std::tolower(static_cast<unsigned char>(arg[1])) == 'c' &&
           std::tolower(static_cast<unsigned char>(arg[2])) == 'o' &&
           std::tolower(static_cast<unsigned char>(arg[3])) == 'm';
}

}  // namespace

ParseResult parse_options(const std::vector<std::string>& args) {
    ParseResult result;
    Options& o = result.options;
    auto usage = [&](int status) {
        result.action = ParseResult::Action::Usage;
        result.exit_status = status;
        return result;
    };
    for (const std::string& arg : args) {
        if (arg.empty() || arg[0] != '-') {
            o.output = arg;
            break;  // later arguments are ignored
        }
        if (starts_with_com(arg)) {
            const std::string shown = arg.substr(1);
            int value = 0;
            bool any_digit = false;
            for (size_t i = 4; i < arg.size(); ++i) {
                char c = arg[i];
                if (c < '0' || c > '9') {
                    result.action = ParseResult::Action::Fail;
                    result.exit_status = 1;
                    result.error = devlink::format("invalid comm port (%s)\n", shown.c_str());
                    return result;
                }
                any_digit = true;
                value = value * 10 + (c - '0');
                // Checked after every digit, so "-com01" is refused at its 0.
                if (value < 1 || value > 256) {
                    result.action = ParseResult::Action::Fail;
                    result.exit_status = 1;
                    result.error = devlink::format("invalid comm port number (%s)\n", shown.c_str());
                    return result;
                }
            }
            o.port = any_digit ? value : 0;
        } else if (arg == "-38400") {
            o.baud = 38400;
        } else if (arg == "-9600") {
            o.baud = 9600;
        } else if (arg == "-f") {
            o.force = true;
        } else if (arg == "-v") {
            o.verbose = true;
        } else if (arg == "-h" || arg == "--help") {
            return usage(0);
        } else {
            return usage(1);
        }
    }
    return result;
}

std::string usage_text(const std::string& program) {
    return devlink::format(
               "BMP receiver for Lumora Version 1.00\n(Receive BMP file from \"Pictavo\" using XMODEM)\n\n"
               "usage: %s [<options>] [<BMP filename>]\n\n",
               program.c_str()) +
           "<BMP filename>\n\tsave file name (default: use filename in received data)\n\n<options>\n\t-com1 "
           "to "
           "-com256\n\t\tserial port (default: Pelorix setting)\n\t-9600 or -38400\n\t\tbaudrate (default: "
           "Pelorix setting)\n\t-f\n\t\tforce to write (default: auto rename if already "
           "exists)\n\t-v\n\t\tverbose "
           "mode\n\t-h\n\t\tprint this message\n\n";
}

}  // namespace lumora::snapget
