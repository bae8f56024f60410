#pragma once
// lmPutw's command line: the option letters, the target folder and the files.
//
// Tokens follow the tool's own rules (only the letter after "-" counts, the
// first "/folder" wins, quotes group). On Linux the arguments arrive already
// split, and every absolute path begins with "/", so an argument beginning
// with "/" is a file when a local file of that path exists.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::lmputw {

constexpr const char* kDefaultFolder = "/rom0/";

struct TransferOptions {
    bool execute = false;      // -x: run the last file afterwards
    bool defragment = false;   // -d: "defrag" before each upload
    bool delete_only = false;  // -r: the files are console names to delete
    bool write_log = false;    // -#: write lmPut.log
    std::string folder = kDefaultFolder;
    std::vector<std::string> files;
};

// Splits a whole command line into tokens: a token beginning with a double
// quote runs to the next one (quotes removed), one beginning with "-" runs to
// the next space outside quotes (quotes kept), any other to the next space.
// Every token is kept, however many there are.
std::vector<std::string> split_command_line(std::string_view text);

// Tells whether a path names an existing local file.
using LocalFileTest = std::function<bool(const std::string& path)>;

// Takes one token into the options. `folder_given` remembers that a folder
// was already taken (later ones are ignored). Without `is_local_file` a token
// beginning with "/" is always the folder.
void take_token(const std::string& token, TransferOptions& options, bool& folder_given,
                const LocalFileTest& is_local_file);

struct Invocation {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    bool no_window = false;
    TransferOptions options;
    std::string error;  // for UsageError
};

// The arguments after the program name. Each argument is one token (a
// leading double quote runs to the next); "--" ends the options, so every
// later argument is a file. --no-window, --help and --version are our own.
Invocation parse_arguments(const std::vector<std::string>& args, const LocalFileTest& is_local_file);

// True when `path` exists on the local file system (any kind of file).
bool local_path_exists(const std::string& path);

std::string usage_text();

}  // namespace lumora::lmputw
