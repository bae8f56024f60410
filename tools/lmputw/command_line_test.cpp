#include "command_line.h"

#include <gtest/gtest.h>

#include <set>

namespace lumora::lmputw {
namespace {

using Strings = std::vector<std::string>;

Invocation parse(const Strings& args, std::set<std::string> local_files = {}) {
    return parse_arguments(args, [&](const std::string& p) { return local_files.count(p) > 0; });
}

TEST(SplitCommandLine, QuotesGroupAndOptionsKeepTheirQuotes) {
    EXPECT_EQ(split_command_line("  -x   \"my game.fx\" /ram0 plain.bin"),
              (Strings{"-x", "my game.fx", "/ram0", "plain.bin"}));
    // Inside an option quotes stay and hide the space.
    EXPECT_EQ(split_command_line("-d\"a b\" c"), (Strings{"-d\"a b\"", "c"}));
    // An unclosed quote runs to the end; an empty pair is an empty token.
    EXPECT_EQ(split_command_line("\"open end"), (Strings{"open end"}));
    EXPECT_EQ(split_command_line("\"\" x"), (Strings{"", "x"}));
    // A token right after a closing quote starts a new one.
    EXPECT_EQ(split_command_line("\"a\"b"), (Strings{"a", "b"}));
    EXPECT_TRUE(split_command_line("   ").empty());
}

TEST(TakeToken, OnlyTheLetterAfterTheDashCounts) {
    TransferOptions o;
    bool folder = false;
    for (const char* t : {"-xd", "-S", "-", "-q", "--"}) take_token(t, o, folder, nullptr);
    EXPECT_TRUE(o.execute);
    EXPECT_FALSE(o.defragment) << "-xd means -x";
    EXPECT_FALSE(o.delete_only);
    EXPECT_FALSE(o.write_log);
    EXPECT_TRUE(o.files.empty());
    for (const char* t : {"-D", "-R", "-#"}) take_token(t, o, folder, nullptr);
    EXPECT_TRUE(o.defragment && o.delete_only && o.write_log);
}

TEST(TakeToken, TheFirstFolderWinsAndWithoutAFileTestSlashIsAlwaysAFolder) {
    TransferOptions o;
    bool folder = false;
    for (const char* t : {"/ram0", "a.fx", "/rom0", "b.fx"}) take_token(t, o, folder, nullptr);
    EXPECT_EQ(o.folder, "/ram0");
    EXPECT_EQ(o.files, (Strings{"a.fx", "b.fx"}));
}

TEST(ParseArguments, DefaultsAndLinuxPaths) {
    Invocation inv =
        parse({"/home/me/game.fx", "/ram0", "/home/me/missing.fx", "/rom0"}, {"/home/me/game.fx"});
    ASSERT_EQ(inv.action, Invocation::Action::Run);
    EXPECT_FALSE(inv.no_window);
    // An existing absolute path is a file; one that does not exist is the folder.
    EXPECT_EQ(inv.options.files, (Strings{"/home/me/game.fx"}));
    EXPECT_EQ(inv.options.folder, "/ram0");

    EXPECT_EQ(parse({"x.fx"}).options.folder, kDefaultFolder);
}

TEST(ParseArguments, EachArgumentIsOneTokenWithQuoteRules) {
    Invocation inv = parse({"\"-d\"", "\"my file.fx\"", "\"/ram0\"", "-xd", "\"/x\"tail"});
    // A leading quote runs to the next and is removed; then the token rules apply.
    // A quoted option is still an option, as on the tool's original command line;
    // "--" is the way to send a file whose name begins with "-".
    EXPECT_TRUE(inv.options.defragment);
    EXPECT_TRUE(inv.options.execute);
    EXPECT_EQ(inv.options.folder, "/ram0");
    EXPECT_EQ(inv.options.files, (Strings{"my file.fx"}));
}

TEST(ParseArguments, DoubleDashEndsTheOptions) {
    Invocation inv = parse({"-x", "--no-window", "--", "-d", "/rom0", "--help", "\"q\""});
    ASSERT_EQ(inv.action, Invocation::Action::Run);
    EXPECT_TRUE(inv.no_window);
    EXPECT_TRUE(inv.options.execute);
    EXPECT_FALSE(inv.options.defragment);
    EXPECT_EQ(inv.options.folder, kDefaultFolder);
    EXPECT_EQ(inv.options.files, (Strings{"-d", "/rom0", "--help", "\"q\""}));
}

TEST(ParseArguments, MoreThanTenFilesAreAllTaken) {
    Strings args = {"-x"};
    for (int i = 0; i < 25; ++i) args.push_back("f" + std::to_string(i));
    Invocation inv = parse(args);
    ASSERT_EQ(inv.options.files.size(), 25u);
    EXPECT_EQ(inv.options.files.back(), "f24");
}

TEST(ParseArguments, OwnLongOptions) {
    EXPECT_EQ(parse({"a", "--help"}).action, Invocation::Action::Help);
    EXPECT_EQ(parse({"--version"}).action, Invocation::Action::Version);
    Invocation bad = parse({"--no-windows", "a"});
    EXPECT_EQ(bad.action, Invocation::Action::UsageError);
    EXPECT_NE(bad.error.find("--no-windows"), std::string::npos);
    EXPECT_TRUE(parse({}).options.files.empty());
}

TEST(Usage, ListsEveryOption) {
    const std::string text = usage_text();
    for (const char* option :
         {"-x", "-d", "-r", "-#", "-s", "/FOLDER", "--no-window", "--help", "--version", " -- "})
        EXPECT_NE(text.find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace lumora::lmputw
