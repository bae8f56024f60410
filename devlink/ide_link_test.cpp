#include "devlink/ide_link.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "devlink/console_script.h"
#include "devlink/scripted_line.h"
#include "devlink/xmodem.h"

namespace lumora::devlink {
namespace {

using testing::ConsoleScript;

std::string ch(uint8_t b) {
    return std::string(1, static_cast<char>(b));
}

struct IdeFixture : ::testing::Test {
    ScriptedLine line;
    std::vector<std::string> posted;
    int pumps = 0;
    IdeLink link{[this](const std::string& s) { posted.push_back(s); }, [this] { ++pumps; }};
    ConsoleScript console;

    void SetUp() override { link.attach(line); }

    DirectoryEntry entry_named(const std::string& name) {
        return build_plain_entry_at(name, 0, CalendarTime{}, EntryFlavor::Ide);
    }
    std::vector<uint8_t> body_of(size_t n) {
        std::vector<uint8_t> b(n);
        for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7 + 3);
        return b;
    }
};

// ---- status lines ----------------------------------------------------------

TEST_F(IdeFixture, StatusLineCodesAndWhatCountsAsAStatusLine) {
    line.feed("200 done\r\n");
    EXPECT_EQ(link.read_status(1000), 200);
    line.feed(" 125 leading space\n");
    EXPECT_EQ(link.read_status(1000), 0);
    // Chatter is posted but skipped; the next status line answers.
    line.feed("hello world\nok\n350 go\n");
    EXPECT_EQ(link.read_status(1000), 350);
    EXPECT_EQ(posted,
              (std::vector<std::string>{"200 done", " 125 leading space", "hello world", "ok", "350 go"}));
    EXPECT_GT(pumps, 0);
}

TEST_F(IdeFixture, DigitsWithoutSpaceAreNotAStatusAndTheReadTimesOut) {
    line.feed("200\r\n");
    int64_t start = line.now_ms();
    EXPECT_EQ(link.read_status(1000), -1);
    EXPECT_EQ(posted, std::vector<std::string>{"200"});
    // The time-out starts afresh after the posted non-status line.
    EXPECT_GE(line.now_ms() - start, 1000);
}

TEST_F(IdeFixture, TimeOutCountsFromTheStartOfTheLine) {
    line.feed("20", 0);
    line.feed("0 late\n", 1500);
    EXPECT_EQ(link.read_status(1000), -1);
    EXPECT_TRUE(posted.empty());  // an unfinished line is not posted
}

TEST_F(IdeFixture, LineErrorsAreReportedInHex) {
    line.feed("200 ok\n", 50);
    line.set_line_errors(0x2 | 0x8);
    EXPECT_EQ(link.read_status(1000), -1);
    EXPECT_EQ(posted, std::vector<std::string>{"Error = A"});
}

TEST_F(IdeFixture, FailedReadAndClosedLineGiveMinusOne) {
    line.fail_reads(true);
    EXPECT_EQ(link.read_status(1000), -1);
    line.fail_reads(false);
    line.set_open(false);
    EXPECT_EQ(link.read_status(1000), -1);
    EXPECT_FALSE(link.stty());
}

TEST_F(IdeFixture, SttyDeleteDefragExecCommandBytesAndJudgement) {
    console.attach(line);
    console.eol = "\n";
    console.answer = [](const std::string& c) -> std::string {
        if (c.rfind("defrag", 0) == 0) return "125 working\n125 still\n200 done\n";
        if (c.rfind("delete", 0) == 0) return "550 no such file\n";
        return "200 ok\n";
    };
    EXPECT_TRUE(link.stty());
    EXPECT_FALSE(link.delete_file("game"));
    EXPECT_TRUE(link.defrag());
    EXPECT_EQ(line.written_text(), "stty -echo\rdelete \"/rom0/game\"\rdefrag rom0\r");
    line.clear_written();

    // exec: 125 then silence is a running program; 200 then 200 is fine too;
    // a refusal fails at once.
    console.answer = [](const std::string&) { return std::string("125 started\n"); };
    EXPECT_TRUE(link.exec("game"));
    EXPECT_EQ(line.written_text(), "exec \"/rom0/game\"\r");
    console.answer = [](const std::string&) { return std::string("200 ok\n200 ended\n"); };
    EXPECT_TRUE(link.exec("game"));
    console.answer = [](const std::string&) { return std::string("125 started\n426 crashed\n"); };
    EXPECT_FALSE(link.exec("game"));
    console.answer = [](const std::string&) { return std::string("550 not found\n"); };
    EXPECT_FALSE(link.exec("game"));
}

TEST_F(IdeFixture, DefragWaitsLongForTheConsole) {
    console.attach(line);
    console.answer = [](const std::string&) { return std::string("125 defrag\n"); };
    line.on_write([&](ScriptedLine& l, std::span<const uint8_t>) {
        l.feed("125 defrag\n", 1);
        l.feed("200 done\n", 20000);  // well beyond a normal status wait
    });
    EXPECT_TRUE(link.defrag());
}

// ---- uploads ---------------------------------------------------------------

TEST_F(IdeFixture, BodyOf256BytesSendsThreeBlocksWithoutPadding) {
    console.attach(line);
    auto body = body_of(256);
    ASSERT_TRUE(link.upload_entry(entry_named("game"), body));
    ASSERT_EQ(console.blocks.size(), 3u);
    EXPECT_EQ(console.eots, 1);
    auto header = build_header(entry_named("game"));
    EXPECT_EQ(std::vector<uint8_t>(console.stored.begin(), console.stored.begin() + 128), header);
    EXPECT_EQ(std::vector<uint8_t>(console.stored.begin() + 128, console.stored.end()), body);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(console.blocks[i][1], i + 1);
        EXPECT_EQ(console.blocks[i][2], 255 - (i + 1));
    }
    // One write per block.
    size_t block_writes = 0;
    for (const auto& w : line.writes()) block_writes += (w.size() == kBlockSize);
    EXPECT_EQ(block_writes, 3u);
    EXPECT_EQ(line.writes().back(), std::vector<uint8_t>{kEOT});
    EXPECT_EQ(posted.front(), "350 ready");
    EXPECT_EQ(posted.back(), "200 stored");
}

TEST_F(IdeFixture, BodyOf257BytesPadsTheFourthBlockWithSub) {
    console.attach(line);
    auto body = body_of(257);
    ASSERT_TRUE(link.upload_entry(entry_named("game"), body));
    ASSERT_EQ(console.blocks.size(), 4u);
    const auto& last = console.blocks[3];
    EXPECT_EQ(last[3], body[256]);
    for (size_t i = 4; i < 3 + kBlockData; ++i) ASSERT_EQ(last[i], kSUB) << i;
    EXPECT_EQ(last[131], make_block(4, std::span<const uint8_t>(&body[256], 1))[131]);
}

TEST_F(IdeFixture, NakMakesTheSameBlockGoAgain) {
    console.attach(line);
    console.block_answer = [](size_t n, const std::vector<uint8_t>&) { return ch(n == 1 ? kNAK : kACK); };
    auto body = body_of(200);
    ASSERT_TRUE(link.upload_entry(entry_named("game"), body));
    ASSERT_EQ(console.blocks.size(), 4u);
    EXPECT_EQ(console.blocks[1], console.blocks[2]);
    EXPECT_EQ(console.stored.size(), 3 * kBlockData);
}

TEST_F(IdeFixture, CanSeparatedByAnotherByteDoesNotCancel) {
    console.attach(line);
    console.block_answer = [](size_t n, const std::vector<uint8_t>&) {
        return n == 1 ? ch(kCAN) + "x" + ch(kCAN) + ch(kACK) : ch(kACK);
    };
    ASSERT_TRUE(link.upload_entry(entry_named("game"), body_of(100)));
    EXPECT_EQ(console.blocks.size(), 2u);
    EXPECT_EQ(console.eots, 1);
}

TEST_F(IdeFixture, CanPairWith450DeletesAndRestartsFromBlockOne) {
    console.attach(line);
    int puts = 0;
    console.answer = [&](const std::string& c) {
        if (c.rfind("put", 0) == 0) ++puts;
        return console.default_answer(c);
    };
    console.block_answer = [&](size_t n, const std::vector<uint8_t>&) {
        if (n == 0) return ch(kCAN) + ch(kCAN) + "450 exists\r\n" + "200 later code ignored\r\n";
        return ch(kACK);
    };
    auto body = body_of(300);
    ASSERT_TRUE(link.upload_entry(entry_named("game"), body));
    EXPECT_EQ(puts, 2);
    EXPECT_EQ(console.commands,
              (std::vector<std::string>{"put /rom0", "delete \"/rom0/game\"", "put /rom0"}));
    // The restart numbers from 1 again and the console ends up with everything once.
    EXPECT_EQ(console.blocks[1][1], 1);
    EXPECT_EQ(console.stored.size(), 4 * kBlockData);
    EXPECT_TRUE(std::equal(body.begin(), body.end(), console.stored.begin() + 128));
}

TEST_F(IdeFixture, CanPairWith550AndFailingDeleteFails) {
    console.attach(line);
    console.answer = [&](const std::string& c) {
        if (c.rfind("delete", 0) == 0) return std::string("550 locked\r\n");
        return console.default_answer(c);
    };
    console.block_answer = [](size_t, const std::vector<uint8_t>&) {
        return ch(kCAN) + ch(kCAN) + "550 busy\n";
    };
    EXPECT_FALSE(link.upload_entry(entry_named("game"), body_of(10)));
    EXPECT_EQ(console.eots, 0);
}

TEST_F(IdeFixture, CanPairWith452DefragsAndRestarts) {
    console.attach(line);
    console.block_answer = [&](size_t n, const std::vector<uint8_t>&) {
        return n == 1 ? ch(kCAN) + ch(kCAN) + "452 no room\n" : ch(kACK);
    };
    ASSERT_TRUE(link.upload_entry(entry_named("game"), body_of(10)));
    EXPECT_EQ(console.commands, (std::vector<std::string>{"put /rom0", "defrag rom0", "put /rom0"}));
}

TEST_F(IdeFixture, CanPairWith426FailsAndWithoutCodeResends) {
    console.attach(line);
    console.block_answer = [](size_t n, const std::vector<uint8_t>&) {
        return n == 0 ? ch(kCAN) + ch(kCAN) + "999 strange\n" : ch(kACK);
    };
    ASSERT_TRUE(link.upload_entry(entry_named("game"), body_of(10)));
    EXPECT_EQ(console.blocks.size(), 3u);  // header sent twice
    EXPECT_EQ(console.blocks[0], console.blocks[1]);

    ScriptedLine line2;
    ConsoleScript console2;
    console2.attach(line2);
    link.attach(line2);
    console2.block_answer = [](size_t, const std::vector<uint8_t>&) {
        return ch(kCAN) + ch(kCAN) + "426 aborted\n";
    };
    EXPECT_FALSE(link.upload_entry(entry_named("game"), body_of(10)));
    EXPECT_EQ(console2.eots, 0);
}

TEST_F(IdeFixture, SilentConsoleFailsAfterAboutOneSecond) {
    // Nothing answers the echo-off line.
    ASSERT_FALSE(link.upload("/nonexistent-but-never-opened"));
    EXPECT_EQ(line.now_ms(), 1000);
    EXPECT_TRUE(posted.empty());
}

TEST_F(IdeFixture, WaitsAreBounded) {
    console.attach(line);
    // No NAK after 350: 60 s.
    console.answer = [](const std::string&) { return std::string("350 ready\n"); };
    EXPECT_FALSE(link.upload_entry(entry_named("g"), body_of(1)));
    EXPECT_NEAR(static_cast<double>(line.now_ms()), 60000.0, 50.0);

    // No block answer: 1 s after the block.
    ScriptedLine l2;
    ConsoleScript c2;
    c2.attach(l2);
    c2.block_answer = [](size_t, const std::vector<uint8_t>&) { return std::string(); };
    link.attach(l2);
    EXPECT_FALSE(link.upload_entry(entry_named("g"), body_of(1)));
    EXPECT_NEAR(static_cast<double>(l2.now_ms()), 1000.0, 50.0);

    // No answer after EOT: the documented bound, then failure.
    ScriptedLine l3;
    ConsoleScript c3;
    c3.attach(l3);
    c3.eot_answer = "";
    link.attach(l3);
    EXPECT_FALSE(link.upload_entry(entry_named("g"), body_of(1)));
    EXPECT_NEAR(static_cast<double>(l3.now_ms()), static_cast<double>(link.timeouts().eot_answer_ms), 50.0);

    // CAN after EOT fails; CAN while waiting for the first NAK fails.
    ScriptedLine l4;
    ConsoleScript c4;
    c4.attach(l4);
    c4.eot_answer = ch(kCAN);
    link.attach(l4);
    EXPECT_FALSE(link.upload_entry(entry_named("g"), body_of(1)));
    ScriptedLine l5;
    ConsoleScript c5;
    c5.attach(l5);
    c5.answer = [](const std::string&) { return "350 ok\nxyz" + ch(kCAN); };
    link.attach(l5);
    EXPECT_FALSE(link.upload_entry(entry_named("g"), body_of(1)));
    EXPECT_LT(l5.now_ms(), 1000);
}

TEST_F(IdeFixture, EndlessRejectionsAreBounded) {
    console.attach(line);
    console.block_answer = [](size_t, const std::vector<uint8_t>&) { return ch(kNAK); };
    EXPECT_FALSE(link.upload_entry(entry_named("g"), body_of(1)));
    EXPECT_EQ(console.blocks.size(), static_cast<size_t>(link.timeouts().block_tries));

    ScriptedLine l2;
    ConsoleScript c2;
    c2.attach(l2);
    link.attach(l2);
    c2.block_answer = [](size_t, const std::vector<uint8_t>&) {
        return ch(kCAN) + ch(kCAN) + "450 exists\n";
    };
    EXPECT_FALSE(link.upload_entry(entry_named("g"), body_of(1)));
    size_t puts = static_cast<size_t>(std::count(c2.commands.begin(), c2.commands.end(), "put /rom0"));
    EXPECT_EQ(puts, static_cast<size_t>(link.timeouts().restarts) + 1);
}

TEST_F(IdeFixture, PutRefusedFails) {
    console.attach(line);
    console.answer = [](const std::string&) { return std::string("452 full\n"); };
    EXPECT_FALSE(link.upload_entry(entry_named("g"), body_of(1)));
    EXPECT_TRUE(console.blocks.empty());
}

// ---- files -----------------------------------------------------------------

struct TempDir {
    std::filesystem::path path;
    TempDir() {
        char tmpl[] = "/tmp/lumora-ide-XXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string write(const std::string& name, const std::vector<uint8_t>& data) {
        auto p = path / name;
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), data.size());
        return p.string();
    }
};

TEST_F(IdeFixture, UploadOfAFileEntrySendsItsOwnEntryAndBody) {
    TempDir dir;
    DirectoryEntry e =
        build_plain_entry_at("hero", 300, CalendarTime{2024, 5, 6, 7, 8, 10}, EntryFlavor::Ide);
    e.set_mode(kModeProgram);
    // A .fx file's first 64 bytes are not sent as they are. (Sized first:
    // GCC 12 at -O3 misreads an insert behind them as an overflow.)
    std::vector<uint8_t> file(kEntryOffset + kEntrySize, 0x00);
    std::copy_n("#!ws", 4, file.begin());
    std::copy_n(e.bytes, kEntrySize, file.begin() + kEntryOffset);
    auto body = body_of(300);
    file.insert(file.end(), body.begin(), body.end());
    std::string path = dir.write("hero.fx", file);

    console.attach(line);
    ASSERT_TRUE(link.upload(path));
    EXPECT_EQ(console.commands.front(), "stty -echo");
    std::vector<uint8_t> expected = build_header(e);
    expected.insert(expected.end(), body.begin(), body.end());
    expected.resize(128 * 4, kSUB);
    EXPECT_EQ(console.stored, expected);

    EXPECT_EQ(program_name_of_file(path), "hero");
}

TEST_F(IdeFixture, PlainFileGetsAnIdeEntryAndMissingFileFailsAfterStty) {
    TempDir dir;
    std::string path = dir.write("a-rather-long-file-name.txt", body_of(5));
    auto loaded = load_entry_file(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->entry.name(), "a-rather-long-fi");
    EXPECT_EQ(loaded->entry.size(), 5);
    EXPECT_EQ(loaded->entry.mode(), kModePlainFile);
    EXPECT_EQ(loaded->entry.resource(), 0);
    EXPECT_EQ(loaded->body, body_of(5));
    EXPECT_EQ(program_name_of_file(path), "a-rather-long-fi");

    console.attach(line);
    EXPECT_FALSE(link.upload((dir.path / "missing.fx").string()));
    EXPECT_EQ(console.commands, std::vector<std::string>{"stty -echo"});
    EXPECT_FALSE(program_name_of_file((dir.path / "missing.fx").string()));
}

TEST(IdeLinkOpen, UnopenablePortsPostOpenCommError) {
    std::vector<std::string> posted;
    IdeLink link([&](const std::string& s) { posted.push_back(s); });
    EXPECT_FALSE(link.open_device("/nonexistent/tty"));
    EXPECT_FALSE(link.open_device("/dev/null"));  // not a terminal
    EXPECT_EQ(posted, (std::vector<std::string>{"OpenComm Error", "OpenComm Error"}));
    EXPECT_FALSE(link.is_open());
    EXPECT_FALSE(link.exec("x"));
}

}  // namespace
}  // namespace lumora::devlink
