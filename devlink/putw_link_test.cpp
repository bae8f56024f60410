#include "devlink/putw_link.h"

#include <gtest/gtest.h>

#include "common/cp932.h"
#include "devlink/console_script.h"
#include "devlink/file_entry.h"
#include "devlink/scripted_line.h"

namespace lumora::devlink {
namespace {

using testing::ConsoleScript;

std::string ch(uint8_t b) {
    return std::string(1, static_cast<char>(b));
}

struct PutwFixture : ::testing::Test {
    ScriptedLine line;
    PutwLink link;
    ConsoleScript console;
    std::vector<std::string> debug;
    std::vector<std::pair<size_t, size_t>> progress;
    std::string log;
    TransferLog transfer_log{[this](std::string_view b) { log.append(b); }};

    void SetUp() override {
        link.attach(line);
        link.set_debug([this](const std::string& s) { debug.push_back(s); });
        link.set_progress([this](size_t p, size_t t) { progress.emplace_back(p, t); });
    }

    std::vector<uint8_t> entry_data(size_t body) {
        DirectoryEntry e = build_plain_entry_at("pic.txt", body, CalendarTime{}, EntryFlavor::LmPutw);
        auto data = build_header(e);
        for (size_t i = 0; i < body; ++i) data.push_back(static_cast<uint8_t>(i));
        return data;
    }
};

TEST_F(PutwFixture, FourByteRuleAndRememberedCode) {
    link.set_read_timeout(kPutwSetupReadMs);
    line.feed("200\r\n");  // 4 bytes before LF
    EXPECT_EQ(link.read_status(), 200);
    EXPECT_EQ(link.last_code(), 200);
    line.feed("350\n");  // 3 bytes: too short, remembered code kept
    EXPECT_EQ(link.read_status(), 0);
    EXPECT_EQ(link.last_code(), 200);
    line.feed("ok, fine\n");  // long enough but no digits
    EXPECT_EQ(link.read_status(), 0);
    EXPECT_EQ(link.last_code(), 0);
    line.feed("452 no room\n");
    EXPECT_EQ(link.read_status(), 452);
    // Nothing at all: 0, and the remembered code is cleared.
    int64_t before = line.now_ms();
    EXPECT_EQ(link.read_status(), 0);
    EXPECT_EQ(link.last_code(), 0);
    EXPECT_EQ(line.now_ms() - before, 1 + kPutwSetupReadMs);
}

TEST_F(PutwFixture, OverlongLineIsCutAt1024Bytes) {
    link.set_read_timeout(kPutwSetupReadMs);
    line.feed("426" + std::string(2000, 'x') + "\n200 ok\n");
    EXPECT_EQ(link.read_status(), 426);
    // The rest of the long line is read as the next "line".
    EXPECT_EQ(link.read_status(), 0);
}

TEST_F(PutwFixture, WaitForSkipsOtherCodesAndStopsAtZero) {
    link.set_read_timeout(kPutwSetupReadMs);
    line.feed("125 working\r\n100 x\r\n200 done\r\n");
    EXPECT_EQ(link.wait_for(200), 200);
    line.feed("125 working\r\n");
    EXPECT_EQ(link.wait_for(200), 0);  // then silence
    EXPECT_EQ(link.last_code(), 125);
    EXPECT_EQ(link.wait_for(200), 0);
    EXPECT_EQ(link.last_code(), 0);
}

TEST_F(PutwFixture, LooseWaitReadsASecondLineOnlyAfter125OrNothing) {
    link.set_read_timeout(kPutwSetupReadMs);
    line.feed("125 deleting\r\n200 deleted\r\n550 next\r\n");
    link.wait_loose();
    EXPECT_EQ(link.read_status(), 550);
    line.feed("550 missing\r\n200 other\r\n");
    link.wait_loose();
    EXPECT_EQ(link.read_status(), 200);
}

TEST_F(PutwFixture, CommandLinesEndInCrLf) {
    console.attach(line);
    link.set_read_timeout(kPutwSetupReadMs);
    link.stty();
    link.delete_file("/rom0/game.fx");
    link.defrag("/ram0/");
    link.exec("/rom0/game.fx");
    EXPECT_EQ(line.written_text(),
              "stty -echo\r\ndelete /rom0/game.fx\r\ndefrag ram0\r\nexec /rom0/game.fx\r\n");
}

TEST_F(PutwFixture, DefragTriesTenTimesAndStopsOnCancel) {
    link.set_read_timeout(kPutwSetupReadMs);
    line.on_write([](ScriptedLine& l, std::span<const uint8_t>) {
        for (int i = 0; i < 20; ++i) l.feed("125 busy\r\n", 10);
    });
    link.defrag("/rom0/");
    // Each try waits for 200, gets 0 at the end of the chatter (then silence).
    EXPECT_EQ(line.pending(), 0u);
    int64_t elapsed_one_run = line.now_ms();
    // Ten tries: the first drains the chatter, nine more cost one empty read each.
    EXPECT_GE(elapsed_one_run, 9 * (1 + kPutwSetupReadMs));

    ScriptedLine quiet;
    link.attach(quiet);
    link.set_read_timeout(kPutwSetupReadMs);
    link.cancel_flag() = true;
    link.defrag("/rom0/");
    EXPECT_EQ(quiet.written_text(), "defrag rom0\r\n");
    EXPECT_EQ(quiet.now_ms(), 0);  // cancelled before any wait
}

TEST_F(PutwFixture, UploadSendsEveryBlockOnceWithProgressAndEot) {
    console.attach(line);
    link.set_read_timeout(kPutwUploadReadMs);
    auto data = entry_data(300);
    ASSERT_TRUE(link.upload(data, "/rom0/"));
    EXPECT_EQ(console.commands.front(), "put /rom0/");
    ASSERT_EQ(console.blocks.size(), 4u);  // 428 bytes: 3 whole blocks and 44 bytes
    EXPECT_EQ(console.eots, 1);
    std::vector<uint8_t> expected = data;
    expected.resize(4 * kBlockData, kSUB);
    EXPECT_EQ(console.stored, expected);
    EXPECT_EQ(progress.back(), (std::pair<size_t, size_t>{data.size(), data.size()}));
    EXPECT_EQ(progress.size(), 4u);
    EXPECT_TRUE(debug.empty());
}

TEST_F(PutwFixture, UploadFailuresWriteTheDebugTexts) {
    console.attach(line);
    link.set_read_timeout(kPutwUploadReadMs);
    console.answer = [](const std::string&) { return std::string("350 ready\r\n?"); };
    EXPECT_FALSE(link.upload(entry_data(10), "/rom0/"));
    EXPECT_EQ(debug, std::vector<std::string>{"ACK無し\n"});

    debug.clear();
    console.answer = [](const std::string&) { return std::string("452 full\r\n"); };
    EXPECT_FALSE(link.upload(entry_data(10), "/rom0/"));
    // The refusal stays the remembered code for the caller's defrag-and-retry.
    EXPECT_EQ(link.last_code(), 452);
    EXPECT_TRUE(debug.empty());

    console.answer = nullptr;
    console.block_answer = [](size_t, const std::vector<uint8_t>&) { return std::string(); };
    EXPECT_FALSE(link.upload(entry_data(10), "/rom0/"));
    EXPECT_EQ(debug, std::vector<std::string>{"ACK無し\n"});

    debug.clear();
    line.fail_writes(false);
    console.block_answer = nullptr;
    line.on_write([&](ScriptedLine& l, std::span<const uint8_t> b) {
        if (b.size() != 1 && b[0] == 'p') {
            l.feed("350 ok\r\n" + ch(kNAK));
            l.fail_writes(true);  // the line dies under the first block
        }
    });
    EXPECT_FALSE(link.upload(entry_data(10), "/rom0/"));
    EXPECT_EQ(debug, std::vector<std::string>{"書き込みエラー\n"});
}

TEST_F(PutwFixture, RejectedBlockIsResentAFewTimesThenGivenUp) {
    console.attach(line);
    link.set_read_timeout(kPutwUploadReadMs);
    console.block_answer = [](size_t n, const std::vector<uint8_t>&) { return ch(n == 1 ? kNAK : kACK); };
    auto data = entry_data(200);
    ASSERT_TRUE(link.upload(data, "/rom0/"));
    EXPECT_EQ(console.blocks.size(), 4u);
    EXPECT_EQ(console.blocks[1], console.blocks[2]);

    ScriptedLine l2;
    ConsoleScript c2;
    c2.attach(l2);
    link.attach(l2);
    c2.block_answer = [](size_t, const std::vector<uint8_t>&) { return ch(kNAK); };
    EXPECT_FALSE(link.upload(data, "/rom0/"));
    EXPECT_EQ(c2.blocks.size(), static_cast<size_t>(kPutwBlockTries));
}

TEST_F(PutwFixture, RefusalAfterCanCanLeavesItsCodeForTheCaller) {
    console.attach(line);
    link.set_read_timeout(kPutwUploadReadMs);
    console.block_answer = [](size_t, const std::vector<uint8_t>&) {
        return ch(kCAN) + ch(kCAN) + "452 not enough space\r\n" + "200 later\r\n";
    };
    EXPECT_FALSE(link.upload(entry_data(10), "/rom0/"));
    EXPECT_EQ(link.last_code(), 452);
    EXPECT_EQ(debug, std::vector<std::string>{"ACK無し\n"});
    EXPECT_EQ(console.eots, 0);
}

TEST_F(PutwFixture, CancelBetweenBlocksAbortsWithCanCanAndFails) {
    console.attach(line);
    link.set_read_timeout(kPutwUploadReadMs);
    console.block_answer = [&](size_t n, const std::vector<uint8_t>&) {
        if (n == 1) link.cancel_flag() = true;  // the user presses Cancel during block 2
        return ch(kACK);
    };
    EXPECT_FALSE(link.upload(entry_data(1000), "/rom0/"));
    EXPECT_EQ(console.blocks.size(), 2u);  // the block in flight completes
    EXPECT_EQ(console.eots, 0);
    const auto& last = line.writes().back();
    EXPECT_EQ(last, (std::vector<uint8_t>{kCAN, kCAN}));
    EXPECT_EQ(debug, std::vector<std::string>{"キャンセル終了\n"});
}

TEST_F(PutwFixture, WaitingForACodeEndsOnAChatteringConsole) {
    link.set_read_timeout(kPutwSetupReadMs);
    for (int i = 0; i < kPutwWaitLines + 10; ++i) line.feed("125 still busy\r\n");
    EXPECT_EQ(link.wait_for(200), 0);
    EXPECT_EQ(link.last_code(), 125);
    EXPECT_EQ(line.pending(), 10u * 16);
}

TEST_F(PutwFixture, LogDumpsEveryByteAndTheTimeOuts) {
    link.set_log(&transfer_log);
    link.set_read_timeout(kPutwSetupReadMs);
    line.on_write([](ScriptedLine& l, std::span<const uint8_t>) { l.feed("200\r\n"); });
    link.stty();
    std::string expected = "CLMPLibBase::SetReadTimeOut() GetLastError:0\r\n";
    expected += "\r\n>73 74 74 79 20 2D 65 63 68 6F 0D 0A  (s t t y   - e c h o \r \n )\r\n";
    for (char c : std::string("200\r\n"))
        expected += dump_bytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(&c), 1));
    EXPECT_EQ(log, expected);
    log.clear();
    EXPECT_EQ(link.read_status(), 0);  // nothing more comes
    EXPECT_EQ(log, cp932::from_utf8("読み込みタイムアウト"));
    EXPECT_EQ(dump_bytes(std::vector<uint8_t>{0x41, 0x0A}), "41 0A  (A \n )\r\n");
    EXPECT_EQ(dump_bytes(std::vector<uint8_t>{}), " ()\r\n");
}

TEST_F(PutwFixture, LogOfFailedCalls) {
    link.set_log(&transfer_log);
    line.fail_reads(true);
    EXPECT_EQ(link.read_status(), 0);
    EXPECT_EQ(log, cp932::from_utf8("CLMPLibBase::Read() 読み込み失敗") + "GetLastError:5\r\n");
    log.clear();
    line.fail_writes(true);
    EXPECT_FALSE(link.exec("/rom0/x"));
    EXPECT_EQ(log, "GetLastError:5\r\n");
}

TEST(PutwUploadData, PlainFilesGetAHeaderAndWholeBlocksFileEntriesGoAsTheyAre) {
    std::vector<uint8_t> body(300, 0x41);
    PutwUpload plain = prepare_putw_upload(body, "pic.fr", 0);
    EXPECT_EQ(plain.entry.name(), "pic.fr");
    EXPECT_EQ(plain.entry.mode(), kModePlainFile);
    EXPECT_EQ(plain.entry.resource(), 0);
    ASSERT_EQ(plain.data.size(), 128u + 384u);
    EXPECT_TRUE(has_header(plain.data));
    EXPECT_EQ(plain.data[128 + 299], 0x41);
    EXPECT_EQ(plain.data[128 + 300], kSUB);
    EXPECT_EQ(plain.data.back(), kSUB);
    EXPECT_EQ(prepare_putw_upload(body, "notes.txt", 0).entry.resource(), kNoResource);

    // A file entry is sent byte for byte; padding the last block is the sender's job.
    std::vector<uint8_t> fx(plain.data.begin(), plain.data.end() - 10);
    PutwUpload as_is = prepare_putw_upload(fx, "other.fx", 0);
    EXPECT_EQ(as_is.data, fx);
    EXPECT_EQ(as_is.entry.name(), "pic.fr");

    // Only the magic, no entry: it is an ordinary file.
    PutwUpload tiny = prepare_putw_upload({'#', '!', 'w', 's'}, "tiny", 0);
    EXPECT_EQ(tiny.data.size(), 256u);
    EXPECT_EQ(tiny.entry.size(), 4);

    // Beyond what the block count can say, the body is still sent whole.
    std::vector<uint8_t> huge(5u * 1024 * 1024 + 1, 1);
    EXPECT_EQ(prepare_putw_upload(huge, "big.bin", 0).data.size(), 128u + 5u * 1024 * 1024 + 128u);
}

TEST(PutwLinkOpen, MissingDeviceFailsWithItsError) {
    PutwLink link;
    std::string log;
    TransferLog transfer_log([&](std::string_view b) { log.append(b); });
    link.set_log(&transfer_log);
    EXPECT_FALSE(link.open_device("/nonexistent/tty", 0));
    EXPECT_NE(link.open_error(), 0);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(link.is_open());
    EXPECT_FALSE(link.upload(std::vector<uint8_t>(128), "/rom0/"));
}

}  // namespace
}  // namespace lumora::devlink
