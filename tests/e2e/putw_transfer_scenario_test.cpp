// The transfer tool's side against the virtual console program: one file's
// steps as the tool runs them (delete, upload, defrag and upload again on
// 452), with the console's fault options.

#include <gtest/gtest.h>

#include <ctime>

#include "devlink/putw_link.h"
#include "tests/e2e/console_process.h"

namespace lumora::e2e {
namespace {

const std::string kFolder = "/rom0/";

// A plain file as the tool sends it: generated header, body padded with SUB.
std::vector<uint8_t> plain_entry(const std::string& name, const std::vector<uint8_t>& body) {
    auto e = devlink::build_plain_entry(name, body.size(), std::time(nullptr), devlink::EntryFlavor::LmPutw);
    auto bytes = devlink::build_header(e);
    bytes.insert(bytes.end(), body.begin(), body.end());
    bytes.resize(128 + 128 * ((body.size() + 127) / 128), 0x1A);
    return bytes;
}

class PutwScenario : public ::testing::Test {
  protected:
    bool open(const ConsoleProcess& console) {
        if (!link_.open_device(console.link(), 0)) return false;
        link_.set_read_timeout(500);
        link_.purge();
        link_.stty();
        return true;
    }
    // One file of the tool's run: delete, upload, and on 452 defrag and once more.
    bool send_file(const std::string& name, const std::vector<uint8_t>& entry) {
        link_.delete_file(kFolder + name);
        link_.set_read_timeout(1000);
        bool ok = link_.upload(entry, kFolder);
        if (!ok && link_.last_code() == 452) {
            saw_452_ = true;
            link_.defrag(kFolder);
            ok = link_.upload(entry, kFolder);
        }
        link_.set_read_timeout(500);
        return ok;
    }

    testing::TempDir tmp_;
    ConsoleProcess console_{tmp_};
    devlink::PutwLink link_;
    bool saw_452_ = false;
};

TEST_F(PutwScenario, PlainFilesAndFileEntriesAreStoredByteForByte) {
    ASSERT_TRUE(console_.start({}));
    ASSERT_TRUE(open(console_));
    auto pic = pattern(1000, 7);
    ASSERT_TRUE(send_file("pic.fr", plain_entry("pic.fr", pic)));
    EXPECT_EQ(read_bytes(console_.stored("pic.fr")), pic) << "padding is not part of the stored file";
    auto stored_header = read_bytes(console_.stored("pic.fr.fx"));
    ASSERT_GE(stored_header.size(), 128u);
    auto e = devlink::read_entry(stored_header);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->resource(), 0) << "a .fr file is all resource data";
    EXPECT_EQ(e->mode(), devlink::kModePlainFile);

    auto game = pattern(3000, 8);
    ASSERT_TRUE(send_file("game", program_entry("game", game)));
    EXPECT_EQ(read_bytes(console_.stored("game.fx")), program_entry("game", game));
}

TEST_F(PutwScenario, SendingANameAgainReplacesIt) {
    ASSERT_TRUE(console_.start({"--exists-code", "550"}));
    ASSERT_TRUE(open(console_));
    ASSERT_TRUE(send_file("data.bin", plain_entry("data.bin", pattern(300, 1))));
    auto second = pattern(200, 2);
    ASSERT_TRUE(send_file("data.bin", plain_entry("data.bin", second)));
    EXPECT_EQ(read_bytes(console_.stored("data.bin")), second);
}

TEST_F(PutwScenario, StorageInPiecesIsDefragmentedAndTheFileSentAgain) {
    ASSERT_TRUE(console_.start({"--blocks", "12"}));
    ASSERT_TRUE(open(console_));
    for (const char* name : {"a", "b", "c"}) ASSERT_TRUE(send_file(name, plain_entry(name, pattern(256, 1))));
    link_.delete_file(kFolder + "b");
    auto big = pattern(600, 3);  // 6 blocks with its entry; free: 3 + 3
    EXPECT_TRUE(send_file("big", plain_entry("big", big)));
    EXPECT_TRUE(saw_452_);
    EXPECT_EQ(read_bytes(console_.stored("big")), big);
}

TEST_F(PutwScenario, ADamagedBlockIsSentAgain) {
    ASSERT_TRUE(console_.start({"--corrupt-block", "2"}));
    ASSERT_TRUE(open(console_));
    auto body = pattern(500, 4);
    EXPECT_TRUE(send_file("x.bin", plain_entry("x.bin", body)));
    EXPECT_EQ(read_bytes(console_.stored("x.bin")), body);
}

TEST_F(PutwScenario, ACancelByTheConsoleFailsAndStoresNothing) {
    ASSERT_TRUE(console_.start({"--cancel-after", "2"}));
    ASSERT_TRUE(open(console_));
    EXPECT_FALSE(send_file("y.bin", plain_entry("y.bin", pattern(1000, 5))));
    EXPECT_EQ(link_.last_code(), 426);
    EXPECT_FALSE(file_exists(console_.stored("y.bin")));
    // The next file goes through: the console is back at its prompt.
    auto body = pattern(100, 6);
    EXPECT_TRUE(send_file("z.bin", plain_entry("z.bin", body)));
    EXPECT_EQ(read_bytes(console_.stored("z.bin")), body);
}

TEST_F(PutwScenario, ACancelByTheUserAbortsAndTheConsoleKeepsNoHalfFile) {
    ASSERT_TRUE(console_.start({}));
    ASSERT_TRUE(open(console_));
    int blocks = 0;
    link_.set_progress([&](size_t, size_t) {
        if (++blocks == 3) link_.cancel_flag().store(true);
    });
    // The block in flight completes, then CAN CAN aborts the upload.
    EXPECT_FALSE(send_file("w.bin", plain_entry("w.bin", pattern(2000, 7))));
    EXPECT_EQ(blocks, 3);
    EXPECT_EQ(link_.last_code(), 426);
    EXPECT_FALSE(file_exists(console_.stored("w.bin")));
}

TEST_F(PutwScenario, ASilentConsoleFailsTheUpload) {
    ASSERT_TRUE(console_.start({"--silent"}));
    ASSERT_TRUE(open(console_));
    EXPECT_FALSE(send_file("s.bin", plain_entry("s.bin", pattern(10, 1))));
    EXPECT_FALSE(file_exists(console_.stored("s.bin")));
}

}  // namespace
}  // namespace lumora::e2e
