#include "ide/cli/command_line.h"

#include <gtest/gtest.h>

namespace lumora::ide {
namespace {

TEST(KelvaneCommandLine, CommandsAndFolders) {
    auto r =
        parse_command_line({"--build", "p.lmp", "--platform-folder", "/sdk", "--compiler-folder", "/dm"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.command, CliCommand::Build);
    EXPECT_EQ(r.options.target, "p.lmp");
    EXPECT_EQ(r.options.platform_folder, "/sdk");
    EXPECT_EQ(r.options.compiler_folder, "/dm");

    auto c = parse_command_line({"--compiler-folder", "x", "--compile", "a.c", "p.lmp"});
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c.options.command, CliCommand::Compile);
    EXPECT_EQ(c.options.source, "a.c");
    EXPECT_EQ(c.options.target, "p.lmp");
    EXPECT_FALSE(c.options.platform_folder);

    EXPECT_EQ(parse_command_line({"--transfer-run", "p.lmp"}).options.command, CliCommand::TransferRun);
    EXPECT_EQ(parse_command_line({"--run", "p.lmp"}).options.command, CliCommand::Run);
    EXPECT_EQ(parse_command_line({"--rebuild", "p.lmp"}).options.command, CliCommand::Rebuild);
    EXPECT_EQ(parse_command_line({"--new-project", "dir/demo"}).options.target, "dir/demo");
    EXPECT_EQ(parse_command_line({}).options.command, CliCommand::Window);
    auto w = parse_command_line({"demo/demo.lmp", "a.c", "--", "--odd.c"});
    ASSERT_TRUE(w.ok()) << w.error;
    EXPECT_EQ(w.options.command, CliCommand::Window);
    EXPECT_EQ(w.options.files, (std::vector<std::string>{"demo/demo.lmp", "a.c", "--odd.c"}));
    EXPECT_EQ(parse_command_line({"--help"}).options.command, CliCommand::Help);
}

TEST(KelvaneCommandLine, MistakesAreRefused) {
    EXPECT_FALSE(parse_command_line({"--build"}).ok());
    EXPECT_FALSE(parse_command_line({"--build", ""}).ok());
    EXPECT_FALSE(parse_command_line({"--compile", "a.c"}).ok());
    EXPECT_FALSE(parse_command_line({"--build", "a.lmp", "--run", "a.lmp"}).ok());
    EXPECT_FALSE(parse_command_line({"--platform-folder"}).ok());
    EXPECT_FALSE(parse_command_line({"--build", "p.lmp", "q.lmp"}).ok());  // files go with the window only
    EXPECT_FALSE(parse_command_line({"--platform-folder", "/sdk", "a.c"}).ok());
    EXPECT_FALSE(parse_command_line({"--bulid", "p.lmp"}).ok());
    EXPECT_NE(parse_command_line({"--frobnicate"}).error.find("--frobnicate"), std::string::npos);
}

}  // namespace
}  // namespace lumora::ide
