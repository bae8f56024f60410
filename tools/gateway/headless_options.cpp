#include "headless_options.h"

#include "platform/com_name.h"

namespace lumora::gateway {

ParseResult parse_command_line(const std::vector<std::string>& args) {
    CommandLine cl;
    bool gave_serial_option = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const std::string& name, std::string& out) -> bool {
            const std::string prefix = name + "=";
            if (a.rfind(prefix, 0) == 0) {
                out = a.substr(prefix.size());
                return true;
            }
            if (a == name && i + 1 < args.size()) {
                out = args[++i];
                return true;
            }
            return false;
        };
        std::string v;
        if (a == "--headless") {
            cl.headless = true;
        } else if (a == "--help" || a == "-h") {
            cl.help = true;
        } else if (a == "--version") {
            cl.version = true;
        } else if (a == "--port" || a.rfind("--port=", 0) == 0) {
            if (!value("--port", v)) return {std::nullopt, "option --port needs a value (COM1 to COM4)"};
            if (!platform::com_name_device(v)) return {std::nullopt, "not a port name: " + v};
            cl.port = v;
            if (cl.port.back() != ':') cl.port += ':';
            gave_serial_option = true;
        } else if (a == "--speed" || a.rfind("--speed=", 0) == 0) {
            if (!value("--speed", v)) return {std::nullopt, "option --speed needs a value (9600 or 38400)"};
            if (v == "9600")
                cl.speed = 9600;
            else if (v == "38400")
                cl.speed = 38400;
            else
                return {std::nullopt, "speed must be 9600 or 38400: " + v};
            gave_serial_option = true;
        } else if (a == "--log" || a.rfind("--log=", 0) == 0) {
            if (!value("--log", v) || v.empty()) return {std::nullopt, "option --log needs a file name"};
            cl.log_path = v;
            gave_serial_option = true;
        } else {
            return {std::nullopt, "unknown argument: " + a};
        }
    }
    if (gave_serial_option && !cl.headless && !cl.help && !cl.version)
        return {std::nullopt, "--port, --speed and --log go with --headless"};
    return {cl, {}};
}

std::string usage_text(const std::string& program) {
    return "Usage: " + program +
           " [--headless [--port COMn] [--speed 9600|38400] [--log FILE]]\n"
           "Answers a console network program as its data adapter would.\n"
           "Without --headless the gateway dialog opens.\n"
           "\n"
           "  --headless        run without a window; status texts go to standard output,\n"
           "                    unknown commands to standard error; SIGINT/SIGTERM end it\n"
           "  --port COMn       serial port (default COM1; LUMORA_COMn names its device)\n"
           "  --speed N         9600 (default) or 38400 bit/s\n"
           "  --log FILE        append every frame received and sent to FILE\n"
           "  --help            show this text\n"
           "  --version         show the version\n";
}

}  // namespace lumora::gateway
