#include "folder_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/scratch_folder_test.h"

namespace lumora::launchers {
namespace {

using Names = std::vector<std::string>;

TEST(Pattern, WildcardsMatchWithoutCaseAndWithoutBacktrackingBlowUp) {
    EXPECT_TRUE(matches_pattern("bgm.wav", "*.wav"));
    EXPECT_TRUE(matches_pattern("BGM.WAV", "*.wav"));
    EXPECT_FALSE(matches_pattern("bgm.wave", "*.wav"));
    EXPECT_FALSE(matches_pattern("wav", "*.wav"));
    EXPECT_TRUE(matches_pattern(".wav", "*.wav"));
    EXPECT_TRUE(matches_pattern("a1.bmp", "a?.bmp"));
    EXPECT_FALSE(matches_pattern("a.bmp", "a?.bmp"));
    EXPECT_TRUE(matches_pattern("x.y.bmp", "*.*.bmp"));
    EXPECT_FALSE(matches_pattern(std::string(200, 'a'), std::string(30, '*') + "b"));
}

class ListingTest : public testing::ScratchFolderTest {};

TEST_F(ListingTest, FoldersAndFilesAreSortedAndFiltered) {
    std::filesystem::create_directories(path("zeta"));
    std::filesystem::create_directories(path("alpha"));
    std::filesystem::create_directories(path(".hidden"));
    std::filesystem::create_directories(path("dir.wav"));  // a folder never shows as a file
    write("b.wav", std::string("x"));
    write("A.WAV", std::string("x"));
    write("c.bmp", std::string("x"));
    write("tool", std::string("#!/bin/sh\n"));
    ::chmod(path("tool").c_str(), 0755);

    EXPECT_EQ(sub_folders(dir_.string()), (Names{"alpha", "dir.wav", "zeta"}));
    EXPECT_EQ(matching_files(dir_.string(), "*.wav"), (Names{"A.WAV", "b.wav"}));
    EXPECT_EQ(program_files(dir_.string()), (Names{"tool"}));
    EXPECT_TRUE(sub_folders(path("missing")).empty());
    EXPECT_TRUE(matching_files(path("missing"), "*").empty());
}

TEST(ParentFolder, StopsAtTheRoot) {
    EXPECT_EQ(parent_folder("/a/b"), "/a");
    EXPECT_EQ(parent_folder("/a/b/"), "/a");
    EXPECT_EQ(parent_folder("/a"), "/");
    EXPECT_EQ(parent_folder("/"), "/");
}

}  // namespace
}  // namespace lumora::launchers
