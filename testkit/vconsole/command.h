#pragma once
// Parsing of one shell command line. Both PC tools' spellings are served:
// names quoted or plain, the folder written "/rom0" or "/rom0/".

#include <string>
#include <string_view>

namespace lumora::vconsole {

enum class CommandKind {
    Empty,        // blank line: no answer
    EchoOff,      // stty -echo
    EchoOn,       // stty echo
    Put,          // put /rom0
    Delete,       // delete /rom0/NAME
    Defrag,       // defrag rom0
    Exec,         // exec /rom0/NAME
    List,         // ls [/rom0]
    BadArgument,  // a known command with an argument it cannot use
    Unknown,
};

struct Command {
    CommandKind kind = CommandKind::Unknown;
    std::string word;  // the command word as typed
    std::string name;  // file name without folder (Delete, Exec)
    std::string why;   // for BadArgument
};

Command parse_command(std::string_view line);

}  // namespace lumora::vconsole
