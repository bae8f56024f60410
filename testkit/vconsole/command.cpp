#include "testkit/vconsole/command.h"

#include <optional>
#include <vector>

namespace lumora::vconsole {
namespace {

constexpr std::string_view kFolder = "/rom0";

bool is_space(char c) {
    return c == ' ' || c == '\t';
}

// Splits at blanks; a token starting with a double quote runs to the closing
// quote, which must be there.
std::optional<std::vector<std::string>> tokenize(std::string_view line) {
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < line.size()) {
        if (is_space(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '"') {
            size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) return std::nullopt;
            tokens.emplace_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        size_t end = i;
        while (end < line.size() && !is_space(line[end])) ++end;
        tokens.emplace_back(line.substr(i, end - i));
        i = end;
    }
    return tokens;
}

bool is_folder(std::string_view arg) {
    return arg == kFolder || arg == "/rom0/";
}

// "/rom0/NAME" -> NAME; nullopt for any other folder or an empty name.
std::optional<std::string> file_in_folder(std::string_view arg) {
    if (arg.size() <= kFolder.size() + 1 || arg.substr(0, kFolder.size()) != kFolder ||
        arg[kFolder.size()] != '/')
        return std::nullopt;
    std::string_view name = arg.substr(kFolder.size() + 1);
    if (name.find('/') != std::string_view::npos) return std::nullopt;
    return std::string(name);
}

Command bad(std::string word, std::string why) {
    return Command{CommandKind::BadArgument, std::move(word), {}, std::move(why)};
}

}  // namespace

Command parse_command(std::string_view line) {
    auto tokens = tokenize(line);
    if (!tokens) {
        size_t start = line.find_first_not_of(" \t");
        size_t end = line.find_first_of(" \t", start);
        return bad(std::string(line.substr(start, end - start)), "unbalanced quote");
    }
    if (tokens->empty()) return Command{CommandKind::Empty, {}, {}, {}};
    const std::string& word = (*tokens)[0];
    const size_t args = tokens->size() - 1;
    auto arg = [&](size_t i) -> const std::string& { return (*tokens)[i]; };

    if (word == "stty") {
        if (args == 1 && arg(1) == "-echo") return Command{CommandKind::EchoOff, word, {}, {}};
        if (args == 1 && arg(1) == "echo") return Command{CommandKind::EchoOn, word, {}, {}};
        return bad(word, "usage: stty -echo | stty echo");
    }
    if (word == "put") {
        if (args == 1 && is_folder(arg(1))) return Command{CommandKind::Put, word, {}, {}};
        return bad(word, args == 1 ? "no such folder" : "usage: put /rom0");
    }
    if (word == "delete" || word == "exec") {
        CommandKind kind = word == "delete" ? CommandKind::Delete : CommandKind::Exec;
        if (args != 1) return bad(word, "usage: " + word + " /rom0/NAME");
        auto name = file_in_folder(arg(1));
        if (!name) return bad(word, "no such file");
        return Command{kind, word, *name, {}};
    }
    if (word == "defrag") {
        if (args == 1 && arg(1) == "rom0") return Command{CommandKind::Defrag, word, {}, {}};
        return bad(word, args == 1 ? "no such device" : "usage: defrag rom0");
    }
    if (word == "ls") {
        if (args == 0 || (args == 1 && is_folder(arg(1)))) return Command{CommandKind::List, word, {}, {}};
        return bad(word, "no such folder");
    }
    return Command{CommandKind::Unknown, word, {}, {}};
}

}  // namespace lumora::vconsole
