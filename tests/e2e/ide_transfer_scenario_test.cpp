// The IDE's transfer command against the virtual console program, through
// every recovery the console can force: a damaged block, a name that exists
// (450 and 550: delete and start again), storage in pieces (452: defrag and
// start again), a cancel, and a console that never answers.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "common/cp932.h"
#include "devlink/ide_link.h"
#include "ide/project/project_creation.h"
#include "ide/transfer/transfer_commands.h"
#include "tests/e2e/console_process.h"

namespace lumora::e2e {
namespace {

class IdeTransferScenario : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(tmp_.path().empty());
        std::filesystem::create_directories(tmp_ / "demo");
        auto created = ide::create_project(tmp_ / "demo", "demo", nullptr);
        ASSERT_TRUE(created.doc) << created.error;
        doc_ = std::move(created.doc);
        hooks_.device = console_.link();
    }

    // Writes the project's built file entry with this body.
    void build(const std::vector<uint8_t>& body) {
        write_bytes(ide::file_entry_path(*doc_), program_entry("demo", body));
    }

    bool transfer() { return ide::run_transfer_command(*doc_, ide::TransferCommand::Transfer, hooks_); }

    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const auto& m : doc_->messages().messages()) out.push_back(cp932::to_utf8(m.text));
        return out;
    }
    bool has_line_starting(const std::string& prefix) const {
        auto l = lines();
        return std::any_of(l.begin(), l.end(), [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
    }

    testing::TempDir tmp_;
    ConsoleProcess console_{tmp_};
    std::unique_ptr<ide::CKelvaneDoc> doc_;
    ide::TransferHooks hooks_;
};

TEST_F(IdeTransferScenario, ADamagedBlockIsResentAndTheStoredFileIsIdentical) {
    ASSERT_TRUE(console_.start({"--corrupt-block", "3"}));
    auto body = pattern(700, 5);
    build(body);
    EXPECT_TRUE(transfer()) << ::testing::PrintToString(lines());
    EXPECT_EQ(lines().back(), "転送終了");
    EXPECT_EQ(read_bytes(console_.stored("demo")), body);
    EXPECT_EQ(read_bytes(console_.stored("demo.fx")), program_entry("demo", body));
}

TEST_F(IdeTransferScenario, AnExistingNameIsDeletedAndTheUploadStartsAgain) {
    for (const char* code : {"450", "550"}) {
        testing::TempDir dir;
        ConsoleProcess console(dir);
        ASSERT_TRUE(console.start({"--exists-code", code}));
        hooks_.device = console.link();
        build(pattern(300, 1));
        ASSERT_TRUE(transfer()) << ::testing::PrintToString(lines());
        auto second = pattern(450, 2);
        build(second);
        EXPECT_TRUE(transfer()) << ::testing::PrintToString(lines());
        EXPECT_TRUE(has_line_starting(std::string(code) + " demo: file exists"))
            << ::testing::PrintToString(lines());
        EXPECT_TRUE(has_line_starting("200 demo: deleted"));
        EXPECT_EQ(lines().back(), "転送終了");
        EXPECT_EQ(read_bytes(console.stored("demo")), second) << "the new program replaced the old one";
    }
}

TEST_F(IdeTransferScenario, StorageInPiecesIsDefragmentedAndTheUploadStartsAgain) {
    ASSERT_TRUE(console_.start({"--blocks", "12"}));
    {
        // Three files of 3 blocks each, then the middle one deleted: 6 blocks
        // free, but no hole larger than 3.
        devlink::IdeLink link([](const std::string&) {});
        ASSERT_TRUE(link.open_device(console_.link()));
        ASSERT_TRUE(link.stty());
        for (const char* name : {"A", "B", "C"}) {
            devlink::DirectoryEntry e;
            e.set_name(name);
            e.set_size(256);
            e.set_blocks(2);
            e.set_mode(devlink::kModeProgram);
            e.set_resource(devlink::kNoResource);
            auto body = pattern(256, uint8_t(name[0]));
            ASSERT_TRUE(link.upload_entry(e, body)) << name;
        }
        ASSERT_TRUE(link.delete_file("B"));
    }
    auto body = pattern(512, 9);  // 5 blocks with its entry
    build(body);
    EXPECT_TRUE(transfer()) << ::testing::PrintToString(lines());
    EXPECT_TRUE(has_line_starting("452 demo:")) << ::testing::PrintToString(lines());
    EXPECT_TRUE(has_line_starting("200 rom0:"));
    EXPECT_EQ(read_bytes(console_.stored("demo")), body);
    EXPECT_EQ(read_bytes(console_.stored("A")), pattern(256, 'A'));
    EXPECT_EQ(read_bytes(console_.stored("C")), pattern(256, 'C'));
    EXPECT_FALSE(file_exists(console_.stored("B")));
}

TEST_F(IdeTransferScenario, ACancelFailsTheTransferAndNothingIsStored) {
    ASSERT_TRUE(console_.start({"--cancel-after", "2"}));
    build(pattern(1000, 3));
    EXPECT_FALSE(transfer());
    EXPECT_TRUE(has_line_starting("426 ")) << ::testing::PrintToString(lines());
    EXPECT_EQ(lines().back(), "転送失敗");
    EXPECT_FALSE(file_exists(console_.stored("demo")));
}

TEST_F(IdeTransferScenario, ASilentConsoleFailsTheTransfer) {
    ASSERT_TRUE(console_.start({"--silent"}));
    build(pattern(100, 4));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(transfer());
    // Only a generous bound: the point is that it gives up, not how fast.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(lines(), (std::vector<std::string>{"転送開始", "転送失敗"}));
    EXPECT_FALSE(file_exists(console_.stored("demo")));
}

TEST_F(IdeTransferScenario, TransferThenRunWithASlowConsole) {
    ASSERT_TRUE(console_.start({"--slow", "300", "--exec-time", "200"}));
    auto body = pattern(200, 6);
    build(body);
    EXPECT_TRUE(ide::run_transfer_command(*doc_, ide::TransferCommand::TransferExecute, hooks_))
        << ::testing::PrintToString(lines());
    EXPECT_TRUE(has_line_starting("125 demo: running"));
    EXPECT_EQ(lines().back(), "実行終了");
    EXPECT_EQ(read_bytes(console_.stored("demo")), body);
}

}  // namespace
}  // namespace lumora::e2e
