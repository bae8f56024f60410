#include "ide/cli/command_line.h"

namespace lumora::ide {

ParsedCli parse_command_line(const std::vector<std::string>& args) {
    ParsedCli r;
    CliOptions& o = r.options;
    auto set_command = [&](CliCommand c) {
        if (o.command != CliCommand::None && o.command != c) {
            r.error = "give only one command";
            return false;
        }
        o.command = c;
        return true;
    };
    bool options_end = false;
    for (size_t i = 0; i < args.size() && r.ok(); ++i) {
        const std::string& a = args[i];
        if (options_end || a.empty() || a[0] != '-' || a == "-") {
            o.files.push_back(a);
            continue;
        }
        if (a == "--") {
            options_end = true;
            continue;
        }
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                r.error = "option " + a + " needs a value";
                return;
            }
            into = args[++i];
        };
        struct Single {
            const char* name;
            CliCommand command;
        };
        static const Single kProjectCommands[] = {
            {"--build", CliCommand::Build},
            {"--rebuild", CliCommand::Rebuild},
            {"--transfer", CliCommand::Transfer},
            {"--run", CliCommand::Run},
            {"--transfer-run", CliCommand::TransferRun},
        };
        bool handled = false;
        for (const Single& s : kProjectCommands) {
            if (a == s.name) {
                handled = true;
                if (set_command(s.command)) value(o.target);
            }
        }
        if (handled) continue;
        if (a == "-h" || a == "--help") {
            set_command(CliCommand::Help);
        } else if (a == "--version") {
            set_command(CliCommand::Version);
        } else if (a == "--new-project") {
            if (set_command(CliCommand::NewProject)) value(o.target);
        } else if (a == "--compile") {
            if (set_command(CliCommand::Compile)) {
                value(o.source);
                if (r.ok()) value(o.target);
            }
        } else if (a == "--platform-folder") {
            std::string v;
            value(v);
            o.platform_folder = v;
        } else if (a == "--compiler-folder") {
            std::string v;
            value(v);
            o.compiler_folder = v;
        } else {
            r.error = "unknown argument: " + a;
        }
    }
    if (!r.ok()) return r;
    if (o.command == CliCommand::None) {
        if (o.platform_folder || o.compiler_folder) {
            r.error = "--platform-folder and --compiler-folder go with a command";
            return r;
        }
        o.command = CliCommand::Window;
    } else if (!o.files.empty() && o.command != CliCommand::Help && o.command != CliCommand::Version) {
        r.error = "unexpected argument: " + o.files.front();
    }
    return r;
}

std::string usage_text(const std::string& program) {
    return "usage: " + program +
           " [FILE...]\n"
           "       " +
           program +
           " COMMAND [--platform-folder DIR] [--compiler-folder DIR]\n"
           "The Lumora IDE. Without a command it opens its window and opens each FILE:\n"
           "a .lmp file as the project, any other file in an editor window.\n"
           "With a command it runs without a window: it builds, transfers or runs a\n"
           "project and prints every line of the output window as it arrives.\n"
           "\n"
           "Commands:\n"
           "  --new-project FOLDER/NAME      create NAME.lmp, NAME.c (an existing one is kept)\n"
           "                                 and NAME.cf in FOLDER/NAME\n"
           "  --build PROJECT.lmp            build what is out of date (then transfer and run\n"
           "                                 when the project asks for it)\n"
           "  --rebuild PROJECT.lmp          build everything\n"
           "  --compile SOURCE PROJECT.lmp   compile one source of the project\n"
           "  --transfer PROJECT.lmp         send the built program to the console (COM1)\n"
           "  --run PROJECT.lmp              start it on the console\n"
           "  --transfer-run PROJECT.lmp     send it, then start it\n"
           "Options:\n"
           "  --platform-folder DIR          Lumora SDK folder for this run\n"
           "  --compiler-folder DIR          C compiler folder for this run\n"
           "  -h, --help                     print this text\n"
           "      --version                  print the version\n"
           "\n"
           "Folders not given come from the IDE's settings. COM1 is the device named by\n"
           "LUMORA_COM1, else /dev/ttyS0. Ctrl+C stops the running tool.\n"
           "Exit status: 0 success, 1 errors in the build or a failed step or an\n"
           "interruption, 2 a project that cannot be read or a wrong command line.\n";
}

}  // namespace lumora::ide
