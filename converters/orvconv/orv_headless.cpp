#include "converters/orvconv/orv_headless.h"

#include <filesystem>
#include <system_error>

#include "converters/orvconv/mapinfo.h"
#include "converters/orvconv/orv_convert.h"

namespace lumora::orv {

Command parse_command_line(const std::vector<std::string>& args) {
    Command c;
    bool options_done = false;
    for (const std::string& a : args) {
        if (!options_done && (a == "--help" || a == "-h")) {
            c.kind = CommandKind::Help;
            return c;
        }
        if (!options_done && a == "--version") {
            c.kind = CommandKind::Version;
            return c;
        }
        if (!options_done && a == "--absolute") {
            c.absolute = true;
        } else if (!options_done && a == "--") {
            options_done = true;
        } else if (!options_done && a.size() > 1 && a[0] == '-') {
            c.kind = CommandKind::Misuse;
            c.error = "unknown option " + a;
            return c;
        } else if (c.fr_path.empty()) {
            c.fr_path = a;
        } else {
            c.kind = CommandKind::Misuse;
            c.error = "only one .fr file can be converted at a time";
            return c;
        }
    }
    if (!c.fr_path.empty()) {
        c.kind = CommandKind::Convert;
    } else if (c.absolute) {
        c.kind = CommandKind::Misuse;
        c.error = "--absolute needs a FILE.fr";
    }
    return c;
}

void print_usage(std::ostream& out) {
    out << "Usage: orvconv                     open the converter window\n"
           "       orvconv [--absolute] FILE.fr\n"
           "Splits a tiled map resource into ORVMAPA.fr and ORVMAPB1.fr..ORVMAPB4.fr in the\n"
           "current folder, with the corners and picture size from mapinfo.dat beside FILE.fr.\n"
           "  --absolute   the corners in mapinfo.dat are map units, not degrees\n";
}

int run_headless(const Command& command, const std::string& out_dir, std::ostream& err) {
    // mapinfo.dat is found through the folder part of the path; a bare name
    // means the current folder.
    std::error_code ec;
    std::string path = std::filesystem::absolute(command.fr_path, ec).string();
    if (ec) path = command.fr_path;
    const MapInfoResult info = read_mapinfo(path);
    if (!info.ok) {
        err << info.message << std::flush;
        return 255;
    }
    ConvertRequest request;
    request.fr_path = path;
    request.out_dir = out_dir;
    request.fields = info.fields;
    request.absolute = command.absolute;
    const ConvertResult result = convert(request);
    if (!result.ok) {
        err << result.message << std::flush;
        return 255;
    }
    return 0;
}

}  // namespace lumora::orv
