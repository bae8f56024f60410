#include "common/replace_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>

#include "tests/support/scratch_folder_test.h"

namespace fs = std::filesystem;

namespace lumora {
namespace {

class ReplaceFile : public testing::ScratchFolderTest {
  protected:
    // Names in the folder other than `keep`: a leftover temporary file shows here.
    std::vector<std::string> others(const std::string& keep) const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            if (e.path().filename() != keep) names.push_back(e.path().filename().string());
        return names;
    }
};

TEST_F(ReplaceFile, CreatesReplacesKeepsModeAndLinks) {
    ASSERT_EQ(replace_file(path("a.h"), "first"), ReplaceOutcome::Done);
    EXPECT_EQ(read_text("a.h"), "first");
    fs::permissions(path("a.h"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(replace_file(path("a.h"), "second, longer"), ReplaceOutcome::Done);
    EXPECT_EQ(read_text("a.h"), "second, longer");
    EXPECT_EQ(fs::status(path("a.h")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(replace_file(path("a.h"), ""), ReplaceOutcome::Done);
    EXPECT_EQ(fs::file_size(path("a.h")), 0u);

    fs::create_symlink("a.h", path("link.h"));
    ASSERT_EQ(replace_file(path("link.h"), "through"), ReplaceOutcome::Done);
    EXPECT_TRUE(fs::is_symlink(path("link.h")));
    EXPECT_EQ(read_text("a.h"), "through");
    fs::create_symlink("new.h", path("dangling.h"));
    ASSERT_EQ(replace_file(path("dangling.h"), "made"), ReplaceOutcome::Done);
    EXPECT_EQ(read_text("new.h"), "made");
    EXPECT_TRUE(fs::is_symlink(path("dangling.h")));

    // A device is written, never renamed over.
    ASSERT_EQ(replace_file("/dev/null", "gone"), ReplaceOutcome::Done);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    if (fs::exists("/dev/full")) {
        EXPECT_EQ(replace_file("/dev/full", "x"), ReplaceOutcome::CannotWrite);
    }

    EXPECT_EQ(replace_file(path("missing/x.h"), "x"), ReplaceOutcome::CannotCreate);
    std::vector<std::string> left = others("a.h");
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"dangling.h", "link.h", "new.h"}));
}

// A disk that fills during the write: the limit on file size stands in for it.
TEST_F(ReplaceFile, FullDiskKeepsTheOldFile) {
    write("map.bin", "old contents");
    const std::string big(64 * 1024, 'x');
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {};
        limit.rlim_cur = limit.rlim_max = 4096;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(static_cast<int>(replace_file(path("map.bin"), big)));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(ReplaceOutcome::CannotWrite));
    EXPECT_EQ(read_text("map.bin"), "old contents");
    EXPECT_TRUE(others("map.bin").empty()) << "a temporary file was left behind";
}

}  // namespace
}  // namespace lumora
