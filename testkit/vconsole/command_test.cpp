#include "testkit/vconsole/command.h"

#include <gtest/gtest.h>

namespace lumora::vconsole {
namespace {

struct Case {
    const char* line;
    CommandKind kind;
    const char* name;
};

TEST(ParseCommand, BothToolsSpellingsAreUnderstood) {
    const Case cases[] = {
        {"stty -echo", CommandKind::EchoOff, ""},
        {"stty echo", CommandKind::EchoOn, ""},
        {"put /rom0", CommandKind::Put, ""},   // IDE
        {"put /rom0/", CommandKind::Put, ""},  // lmPutw
        {"delete \"/rom0/GAME\"", CommandKind::Delete, "GAME"},
        {"delete /rom0/GAME", CommandKind::Delete, "GAME"},
        {"defrag rom0", CommandKind::Defrag, ""},
        {"exec \"/rom0/GAME\"", CommandKind::Exec, "GAME"},
        {"exec /rom0/GAME", CommandKind::Exec, "GAME"},
        {"ls", CommandKind::List, ""},
        {"ls /rom0", CommandKind::List, ""},
        {"ls /rom0/", CommandKind::List, ""},
        {"", CommandKind::Empty, ""},
        {"   \t ", CommandKind::Empty, ""},
        {"  exec   /rom0/x.fx  ", CommandKind::Exec, "x.fx"},
        {"delete \"/rom0/two words\"", CommandKind::Delete, "two words"},
    };
    for (const auto& c : cases) {
        Command cmd = parse_command(c.line);
        EXPECT_EQ(cmd.kind, c.kind) << c.line;
        EXPECT_EQ(cmd.name, c.name) << c.line;
    }
}

TEST(ParseCommand, WrongArgumentsAreBadArgumentsNotSomethingElse) {
    const char* bad[] = {
        "stty",
        "stty -raw",
        "put",
        "put /ram0/",
        "put /rom0 /rom0",
        "delete",
        "delete GAME",
        "delete /rom0/",
        "delete /rom0/a/b",
        "delete /rom0x/a",
        "exec /ram0/a",
        "defrag",
        "defrag /rom0",
        "defrag ram0",
        "ls /ram0",
        "delete \"/rom0/open quote",
    };
    for (const char* line : bad) {
        Command cmd = parse_command(line);
        EXPECT_EQ(cmd.kind, CommandKind::BadArgument) << line;
        EXPECT_FALSE(cmd.why.empty()) << line;
        EXPECT_FALSE(cmd.word.empty()) << line;
    }
}

TEST(ParseCommand, CommandWordsAreCaseSensitiveAndUnknownOnesKeepTheirWord) {
    Command cmd = parse_command("PUT /rom0");
    EXPECT_EQ(cmd.kind, CommandKind::Unknown);
    EXPECT_EQ(cmd.word, "PUT");
    EXPECT_EQ(parse_command("format rom0").kind, CommandKind::Unknown);
}

}  // namespace
}  // namespace lumora::vconsole
