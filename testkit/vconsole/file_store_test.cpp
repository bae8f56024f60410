#include "testkit/vconsole/file_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/child_process.h"

namespace lumora::vconsole {
namespace {

std::vector<uint8_t> read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(HostFileName, ConsoleNamesCannotLeaveTheFolderOrPassForAnEntryFile) {
    EXPECT_EQ(host_file_name("GAME"), "GAME");
    EXPECT_EQ(host_file_name("pic.fr"), "pic.fr");
    EXPECT_EQ(host_file_name("../x"), "%2E.%2Fx");
    EXPECT_EQ(host_file_name(".."), "%2E.");
    EXPECT_EQ(host_file_name("a/b"), "a%2Fb");
    EXPECT_EQ(host_file_name("two words"), "two%20words");
    EXPECT_EQ(host_file_name("\x83\x41"), "%83A");
    EXPECT_EQ(host_file_name(""), "%00");
    EXPECT_EQ(host_file_name("x.fx"), "x%2Efx");
    EXPECT_EQ(host_file_name(".fx"), "%2Efx");
}

TEST(FileStore, KeepsBodyAndEntryAndRemovesBoth) {
    testing::TempDir dir;
    FileStore store(dir.path());
    StoredFile f;
    f.name = "x";
    f.header.assign(128, 0xAB);
    f.body = {1, 2, 3};
    ASSERT_TRUE(store.save(f));
    StoredFile g = f;
    g.name = "x.fx";
    g.body = {9};
    ASSERT_TRUE(store.save(g));
    EXPECT_EQ(read_all(dir / "x"), f.body);
    auto entry = read_all(dir / "x.fx");
    ASSERT_EQ(entry.size(), 131u) << "the body of \"x.fx\" did not overwrite the entry of \"x\"";
    EXPECT_EQ(entry[127], 0xAB);
    EXPECT_EQ(entry[128], 1);
    EXPECT_EQ(read_all(dir / "x%2Efx"), g.body);
    store.remove("x");
    EXPECT_FALSE(std::filesystem::exists(dir / "x"));
    EXPECT_FALSE(std::filesystem::exists(dir / "x.fx"));
    EXPECT_TRUE(std::filesystem::exists(dir / "x%2Efx"));
    std::string error;
    FileStore nowhere(dir / "missing/folder");
    EXPECT_FALSE(nowhere.save(f, &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace lumora::vconsole
