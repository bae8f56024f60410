#include "project.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/scratch_folder_test.h"

namespace lumora::lml {
namespace {

TEST(ProjectName, EightCharactersAcceptedNineRefusedAndPathsNever) {
    EXPECT_EQ(check_project_name("abcdefgh"), NameCheck::ok);
    EXPECT_EQ(check_project_name("abcdefghi"), NameCheck::too_long);
    EXPECT_EQ(check_project_name("ゲームゲームゲーム"), NameCheck::too_long);  // nine characters
    EXPECT_EQ(check_project_name("ゲームゲームゲー"), NameCheck::ok);          // eight, 24 bytes
    EXPECT_EQ(check_project_name(""), NameCheck::empty);
    EXPECT_EQ(check_project_name("a/b"), NameCheck::not_plain);
    EXPECT_EQ(check_project_name("a\\b"), NameCheck::not_plain);
    EXPECT_EQ(check_project_name(".."), NameCheck::not_plain);
    EXPECT_EQ(check_project_name(".game"), NameCheck::not_plain);
    EXPECT_EQ(check_project_name("a\nb"), NameCheck::not_plain);
}

TEST(ProjectTemplates, SevenSourceLinesAndFiveDescriptionLinesWithCrLf) {
    EXPECT_EQ(source_template(),
              "#include <stdlib.h>\r\n#include <sys/bios.h>\r\n\r\nvoid main(void)\r\n{\r\n\r\n}\r\n");
    EXPECT_EQ(description_template("game"),
              "name:game\r\ninfo:game\r\nmode:7\r\nsource:game.bin\r\noutput:game.fx\r\n");
    EXPECT_EQ(launcher_caption("game"), "Lumora Launcher ( game )");
}

class ProjectFolderTest : public testing::ScratchFolderTest {
  protected:
    KitPaths paths() const { return {dir_.string(), "/nowhere"}; }
};

TEST_F(ProjectFolderTest, ANewProjectGetsItsFolderAndTemplates) {
    OpenedProject opened = open_project(paths(), "game");
    ASSERT_TRUE(opened.ok) << opened.error;
    EXPECT_TRUE(opened.created);
    EXPECT_EQ(opened.folder, path("myprog/game"));
    EXPECT_EQ(read_text("myprog/game/game.c"), source_template());
    EXPECT_EQ(read_text("myprog/game/game.cf"), description_template("game"));
    EXPECT_EQ(list_projects(paths()), (std::vector<std::string>{"game"}));
}

TEST_F(ProjectFolderTest, AnExistingProjectIsNeverOverwritten) {
    std::filesystem::create_directories(path("myprog/game"));
    write("myprog/game/game.c", std::string("int main() { return 1; }\n"));
    OpenedProject opened = open_project(paths(), "game");
    ASSERT_TRUE(opened.ok);
    EXPECT_FALSE(opened.created);
    EXPECT_EQ(read_text("myprog/game/game.c"), "int main() { return 1; }\n");
    EXPECT_FALSE(std::filesystem::exists(path("myprog/game/game.cf")));
}

TEST_F(ProjectFolderTest, AFolderThatCannotBeMadeIsAnErrorNotAProject) {
    write("myprog", std::string("a file where the folder belongs"));
    OpenedProject opened = open_project(paths(), "game");
    EXPECT_FALSE(opened.ok);
    EXPECT_FALSE(opened.error.empty());
    EXPECT_TRUE(list_projects(paths()).empty());
}

}  // namespace
}  // namespace lumora::lml
