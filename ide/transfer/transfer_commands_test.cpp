// Transfer and run against the virtual console on a pseudo-terminal, and
// against a line where no console answers.

#include "ide/transfer/transfer_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "devlink/file_entry.h"
#include "ide/project/project_creation.h"
#include "platform/pty_pair.h"
#include "tests/support/child_process.h"

namespace fs = std::filesystem;

namespace lumora::ide {
namespace {

const std::string kBin = LUMORA_BIN_DIR;

class TransferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(tmp_.path().empty());
        const std::string folder = tmp_ / "demo";
        fs::create_directories(folder);
        auto created = create_project(folder, "demo", nullptr);
        ASSERT_TRUE(created.doc) << created.error;
        doc_ = std::move(created.doc);
        hooks_.refresh = [this] { ++refreshes_; };
    }

    // A built program: the header the packing step writes, then `body`.
    void write_entry(const std::string& path, const std::string& body) {
        devlink::DirectoryEntry entry;
        entry.set_name("demo");
        entry.set_info("demo");
        entry.set_size(static_cast<int32_t>(body.size()));
        entry.set_blocks(static_cast<int16_t>((body.size() + 127) / 128));
        entry.set_mode(devlink::kModeProgram);
        entry.set_resource(devlink::kNoResource);
        std::vector<uint8_t> bytes = devlink::build_header(entry);
        bytes.insert(bytes.end(), body.begin(), body.end());
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    std::optional<testing::Child> start_console(std::vector<std::string> extra = {}) {
        std::vector<std::string> argv = {kBin + "/vconsole", "--pty", link_, "--store", store_};
        argv.insert(argv.end(), extra.begin(), extra.end());
        fs::create_directories(store_);
        testing::ChildOptions launch;
        launch.argv = argv;
        auto child = testing::Child::start(launch);
        if (!child || !child->wait_for_line("ready", 10000)) return std::nullopt;
        hooks_.device = link_;
        return child;
    }

    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const auto& m : doc_->messages().messages()) out.push_back(cp932::to_utf8(m.text));
        return out;
    }

    testing::TempDir tmp_;
    const std::string link_ = tmp_ / "com1";
    const std::string store_ = tmp_ / "rom0";
    std::unique_ptr<CKelvaneDoc> doc_;
    TransferHooks hooks_;
    int refreshes_ = 0;
};

TEST_F(TransferTest, FileEntryPathJoinsTheOutputFolderOnce) {
    const std::string folder = doc_->project_folder();
    EXPECT_EQ(file_entry_path(*doc_), folder + "/demo.fx");
    doc_->record().output_folder = "bin";
    EXPECT_EQ(file_entry_path(*doc_), folder + "/bin/demo.fx");
    doc_->record().output_folder = "bin/";
    EXPECT_EQ(file_entry_path(*doc_), folder + "/bin/demo.fx");
    // An absolute folder is where the build put the program; "../out" is beside the project.
    doc_->record().output_folder = "/srv/out";
    EXPECT_EQ(file_entry_path(*doc_), "/srv/out/demo.fx");
    doc_->record().output_folder = "../out";
    EXPECT_EQ(file_entry_path(*doc_), fs::path(folder).parent_path().string() + "/out/demo.fx");

    CKelvaneDoc win(platform::PathStyle::Windows);
    win.set_path("C:\\work\\demo\\demo.lmp");
    win.record().name = "demo";
    win.record().output_folder = "bin\\";
    EXPECT_EQ(file_entry_path(win), "C:\\work\\demo\\bin\\demo.fx");
    win.record().output_folder = "";
    EXPECT_EQ(file_entry_path(win), "C:\\work\\demo\\demo.fx");
    win.record().output_folder = "D:\\out";
    EXPECT_EQ(file_entry_path(win), "D:\\out\\demo.fx");
}

TEST_F(TransferTest, TransferThenRunOnTheConsoleInOrder) {
    doc_->record().output_folder = "bin";
    const std::string body(300, 'P');
    write_entry(file_entry_path(*doc_), body);
    auto console = start_console();
    ASSERT_TRUE(console);
    doc_->messages().add_message("old line", false);

    EXPECT_TRUE(run_transfer_command(*doc_, TransferCommand::TransferExecute, hooks_));
    const std::vector<std::string> got = lines();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.front(), "転送開始") << "the menu command empties the window first";
    auto at = [&](const std::string& text) { return std::find(got.begin(), got.end(), text) - got.begin(); };
    const auto end_transfer = at("転送終了");
    const auto start_run = at("実行開始");
    ASSERT_LT(end_transfer, static_cast<long>(got.size())) << ::testing::PrintToString(got);
    EXPECT_GT(end_transfer, 1) << "the console's own lines come between";
    EXPECT_EQ(start_run, end_transfer + 1);
    EXPECT_EQ(got.back(), "実行終了");
    EXPECT_GT(got.size() - static_cast<size_t>(start_run), 2u) << "the console answers the exec line";
    EXPECT_GE(refreshes_, static_cast<int>(got.size()));

    // The console holds exactly the program's body under its name.
    std::ifstream stored(store_ + "/demo", std::ios::binary);
    ASSERT_TRUE(stored);
    std::string held((std::istreambuf_iterator<char>(stored)), std::istreambuf_iterator<char>());
    EXPECT_EQ(held, body);
}

TEST_F(TransferTest, MissingFileEntryFailsEachCommand) {
    auto console = start_console();
    ASSERT_TRUE(console);
    EXPECT_FALSE(run_transfer_command(*doc_, TransferCommand::Execute, hooks_));
    EXPECT_EQ(lines(), (std::vector<std::string>{"実行開始", "実行失敗"}));

    EXPECT_FALSE(run_transfer_command(*doc_, TransferCommand::TransferExecute, hooks_));
    const std::vector<std::string> got = lines();
    EXPECT_EQ(got.front(), "転送開始");
    EXPECT_EQ(got.back(), "転送失敗");
    EXPECT_EQ(std::count(got.begin(), got.end(), "実行開始"), 0) << "no run after a failed transfer";
}

TEST_F(TransferTest, PortProblemsAndSilence) {
    hooks_.device = tmp_ / "no-such-port";
    EXPECT_FALSE(run_transfer_command(*doc_, TransferCommand::Transfer, hooks_));
    EXPECT_EQ(lines(), (std::vector<std::string>{"転送開始", "OpenComm Error", "転送失敗"}));

    // A port with nothing behind it: the echo-off answer never comes.
    write_entry(file_entry_path(*doc_), "x");
    auto pty = platform::PtyPair::create();
    ASSERT_TRUE(pty);
    hooks_.device = pty->device_path();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(run_transfer_command(*doc_, TransferCommand::Transfer, hooks_));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(lines().front(), "転送開始");
    EXPECT_EQ(lines().back(), "転送失敗");
    EXPECT_GE(waited, std::chrono::milliseconds(900)) << "it waited for the answer before giving up";
}

}  // namespace
}  // namespace lumora::ide
