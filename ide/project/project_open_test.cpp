#include "ide/project/project_open.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "ide/project/project_creation.h"
#include "tests/support/scratch_folder_test.h"

namespace lumora::ide {
namespace {

class ProjectOpen : public lumora::testing::ScratchFolderTest {
  protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        before_ = std::filesystem::current_path();
    }
    void TearDown() override {
        std::filesystem::current_path(before_);
        ScratchFolderTest::TearDown();
    }
    std::filesystem::path before_;
};

TEST_F(ProjectOpen, EntersTheProjectFolderOnlyWhenItOpens) {
    const std::string folder = path("demo");
    ASSERT_TRUE(create_folder_tree(folder));
    auto created = create_project(folder, "demo", [](const std::string&) { return true; });
    ASSERT_TRUE(created.doc) << created.error;

    ProjectFileError error = ProjectFileError::None;
    auto doc = open_project(folder + "/demo.lmp", &error);
    ASSERT_TRUE(doc);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(folder));

    std::filesystem::current_path(before_);
    write("broken.lmp", std::string("\x01\x00", 2));
    EXPECT_FALSE(open_project(path("broken.lmp"), &error));
    EXPECT_EQ(error, ProjectFileError::Malformed);
    EXPECT_EQ(std::filesystem::current_path(), before_);
}

}  // namespace
}  // namespace lumora::ide
