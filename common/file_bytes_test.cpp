#include "common/file_bytes.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace lumora {
namespace {

TEST(FileBytes, ReadsWholeFilesAndRefusesWhatIsNotOne) {
    std::string dir = (std::filesystem::temp_directory_path() / "lumora_bytes_XXXXXX").string();
    ASSERT_NE(::mkdtemp(dir.data()), nullptr);
    const std::string file = dir + "/data.bin";
    std::string content(200000, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
    std::ofstream(file, std::ios::binary) << content;

    auto bytes = read_file_bytes(file);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), content);  // across several read chunks
    std::ofstream(dir + "/empty", std::ios::binary).flush();
    ASSERT_TRUE(read_file_bytes(dir + "/empty"));
    EXPECT_TRUE(read_file_bytes(dir + "/empty")->empty());
    EXPECT_FALSE(read_file_bytes(dir + "/missing"));
    EXPECT_FALSE(read_file_bytes(dir));  // a folder opens but is not a file's bytes
    std::filesystem::remove_all(dir);

    EXPECT_EQ(path_base_name("/a/b/c.fx"), "c.fx");
    EXPECT_EQ(path_base_name("c.fx"), "c.fx");
    EXPECT_EQ(path_base_name("/a/b/"), "");
}

}  // namespace
}  // namespace lumora
