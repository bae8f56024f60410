#include "command_line.h"

#include <sys/stat.h>

namespace lumora::lmputw {

std::vector<std::string> split_command_line(std::string_view text) {
    std::vector<std::string> tokens;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        if (text[i] == '"') {
            size_t end = text.find('"', i + 1);
            if (end == std::string_view::npos) end = n;
            tokens.emplace_back(text.substr(i + 1, end - i - 1));
            i = end < n ? end + 1 : n;
        } else if (text[i] == '-') {
            size_t j = i;
            bool quoted = false;
            while (j < n && (quoted || text[j] != ' ')) {
                if (text[j] == '"') quoted = !quoted;
                ++j;
            }
            tokens.emplace_back(text.substr(i, j - i));
            i = j;
        } else {
            size_t end = text.find(' ', i);
            if (end == std::string_view::npos) end = n;
            tokens.emplace_back(text.substr(i, end - i));
            i = end;
        }
    }
    return tokens;
}

void take_token(const std::string& token, TransferOptions& options, bool& folder_given,
                const LocalFileTest& is_local_file) {
    if (!token.empty() && token[0] == '-') {
        // Only the letter after "-" counts: "-xd" is "-x".
        switch (token.size() > 1 ? token[1] : '\0') {
            case 'x':
            case 'X':
                options.execute = true;
                break;
            case 'd':
            case 'D':
                options.defragment = true;
                break;
            case 'r':
            case 'R':
                options.delete_only = true;
                break;
            case '#':
                options.write_log = true;
                break;
            default:  // "-s" and anything else: no effect
                break;
        }
        return;
    }
    if (!token.empty() && token[0] == '/' && !(is_local_file && is_local_file(token))) {
        if (!folder_given) {
            options.folder = token;
            folder_given = true;
        }
        return;
    }
    options.files.push_back(token);
}

namespace {

// One argument as one token: a leading double quote runs to the next.
std::string argument_token(const std::string& arg) {
    if (arg.empty() || arg[0] != '"') return arg;
    size_t end = arg.find('"', 1);
    return arg.substr(1, end == std::string::npos ? std::string::npos : end - 1);
}

}  // namespace

Invocation parse_arguments(const std::vector<std::string>& args, const LocalFileTest& is_local_file) {
    Invocation inv;
    bool folder_given = false;
    bool options_end = false;
    for (const std::string& arg : args) {
        if (options_end) {
            inv.options.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_end = true;
        } else if (arg == "--no-window") {
            inv.no_window = true;
        } else if (arg == "--help") {
            inv.action = Invocation::Action::Help;
            return inv;
        } else if (arg == "--version") {
            inv.action = Invocation::Action::Version;
            return inv;
        } else if (arg.size() > 2 && arg[0] == '-' && arg[1] == '-') {
            // Long options are ours alone; a misspelt one must not pass unseen.
            inv.action = Invocation::Action::UsageError;
            inv.error = "unknown option: " + arg;
            return inv;
        } else {
            take_token(argument_token(arg), inv.options, folder_given, is_local_file);
        }
    }
    return inv;
}

bool local_path_exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string usage_text() {
    return "usage: lmPutw [-x] [-d] [-r] [-#] [-s] [/FOLDER] [--no-window] [--] FILE...\n"
           "Sends files to the Lumora console over the serial line, deletes files there,\n"
           "defragments its storage and starts a program.\n"
           "\n"
           "  -x            run the last file on the console after the transfer\n"
           "                (also: hold Shift when the program starts)\n"
           "  -d            run \"defrag\" on the console before each upload\n"
           "                (also: hold Ctrl when the program starts)\n"
           "  -r            delete the named files on the console; nothing is sent\n"
           "  -#            write the log lmPut.log in the current folder\n"
           "  -s            accepted, no effect\n"
           "  /FOLDER       folder on the console (default /rom0); the first one counts.\n"
           "                An argument beginning with \"/\" is a file to send when such a\n"
           "                local file exists\n"
           "  --            every later argument is a file\n"
           "  --no-window   run without the progress dialog (no display needed)\n"
           "  --help        print this text\n"
           "  --version     print the version\n"
           "\n"
           "Only the letter after \"-\" counts (-xd is -x). Port and speed come from the\n"
           "Pelorix settings (CommPort, BaudRate); COMn is the device in LUMORA_COMn,\n"
           "else /dev/ttyS(n-1). Progress goes to standard error as \"PutStr: TEXT\" and\n"
           "\"PutError: TEXT\" lines. Exit status: 0 when every file was handled, 1 after\n"
           "an error or a cancel, 2 on a usage error or without files.\n";
}

}  // namespace lumora::lmputw
