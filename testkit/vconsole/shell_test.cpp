#include "testkit/vconsole/shell.h"

#include <gtest/gtest.h>

#include <random>

#include "devlink/file_entry.h"

namespace lumora::vconsole {
namespace {

using namespace std::chrono_literals;

std::vector<uint8_t> entry_bytes(const std::string& name, size_t body_size, uint8_t seed = 1) {
    devlink::DirectoryEntry e;
    e.set_name(name);
    e.set_info(name);
    e.set_size(static_cast<int32_t>(body_size));
    e.set_blocks(static_cast<int16_t>((body_size + 127) / 128));
    e.set_mode(devlink::kModeProgram);
    e.set_resource(-1);
    auto bytes = devlink::build_header(e);
    for (size_t i = 0; i < body_size; ++i) bytes.push_back(static_cast<uint8_t>(seed + i * 13));
    return bytes;
}

std::vector<uint8_t> block_of(const std::vector<uint8_t>& entry, size_t i) {
    size_t from = i * 128, n = std::min<size_t>(128, entry.size() - from);
    return make_frame(static_cast<uint8_t>(i + 1), std::span<const uint8_t>(entry.data() + from, n));
}

size_t block_count(const std::vector<uint8_t>& entry) {
    return (entry.size() + 127) / 128;
}

// A console on a clock that only moves when the test says so.
struct Console {
    explicit Console(ShellOptions o = {}) : s(o) {
        s.on_stored = [this](const StoredFile& f) { stored.push_back(f.name); };
        s.on_deleted = [this](const std::string& n) { deleted.push_back(n); };
    }
    std::string send(const std::vector<uint8_t>& bytes) {
        s.receive(bytes, t);
        return out();
    }
    std::string type(const std::string& text) { return send(std::vector<uint8_t>(text.begin(), text.end())); }
    std::string out() {
        auto v = s.take_output(t);
        return std::string(v.begin(), v.end());
    }
    std::string wait(std::chrono::milliseconds d) {
        t += d;
        s.advance(t);
        return out();
    }
    // Sends every block, expecting ACK for each, then EOT; returns what EOT got.
    std::string upload(const std::vector<uint8_t>& entry) {
        for (size_t i = 0; i < block_count(entry); ++i) {
            std::string a = send(block_of(entry, i));
            if (a != std::string(1, char(ACK))) return "block " + std::to_string(i + 1) + " got " + a;
        }
        return send({EOT});
    }

    ShellSession s;
    ShellSession::TimePoint t = ShellSession::TimePoint{} + 1h;
    std::vector<std::string> stored, deleted;
};

const std::string kPutAnswer = "350 ready to receive\r\n\x15";

TEST(Shell, EchoesUntilSttyEchoOffAndIgnoresTheLfOfCrLf) {
    Console c;
    EXPECT_EQ(c.type("stty -echo\r\n"), "stty -echo\r\n200 echo off\r\n");
    EXPECT_FALSE(c.s.echo());
    EXPECT_EQ(c.type("ls\r"), "200 0 files, 2048 of 2048 blocks free, largest hole 2048\r\n");
    // The LF may come in a later read and is still ignored.
    EXPECT_EQ(c.type("\n"), "");
    EXPECT_EQ(c.type("\r"), "") << "an empty line gets no answer";
    EXPECT_EQ(c.type("stty echo\r"), "200 echo on\r\n");
    EXPECT_EQ(c.type("lx\x7Fs\r"),
              "lx\b \bs\r\n200 0 files, 2048 of 2048 blocks free, largest hole 2048\r\n");
}

TEST(Shell, StatusLinesCanEndInLfAlone) {
    ShellOptions o;
    o.crlf = false;
    Console c(o);
    EXPECT_EQ(c.type("stty -echo\r"), "stty -echo\r\n200 echo off\n");
    EXPECT_EQ(c.type("frobnicate\r"), "500 frobnicate: unknown command\n");
    EXPECT_EQ(c.type("put /ram0\r"), "501 put: no such folder\n");
}

TEST(Shell, IdeAndPutwUploadsStoreTheBodyWithoutPadding) {
    for (const char* put : {"put /rom0\r", "put /rom0/\r\n"}) {
        Console c;
        c.type("stty -echo\r");
        ASSERT_EQ(c.type(put), kPutAnswer) << put;
        auto entry = entry_bytes("GAME", 257);
        EXPECT_EQ(c.upload(entry),
                  "\x06"
                  "200 GAME: 257 bytes stored\r\n");
        ASSERT_EQ(c.stored, std::vector<std::string>{"GAME"});
        const StoredFile* f = c.s.storage().find("GAME");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->header, std::vector<uint8_t>(entry.begin(), entry.begin() + 128));
        EXPECT_EQ(f->body, std::vector<uint8_t>(entry.begin() + 128, entry.end()));
        EXPECT_EQ(f->block_count, 4u);
        EXPECT_EQ(c.s.state(), ShellSession::State::Command);
    }
}

TEST(Shell, DamagedAndRepeatedBlocksAreTakenOnce) {
    Console c;
    c.type("put /rom0\r");
    auto entry = entry_bytes("DATA", 300);
    EXPECT_EQ(c.send(block_of(entry, 0)), "\x06");
    auto bad = block_of(entry, 1);
    bad[60] ^= 0xFF;
    EXPECT_EQ(c.send(bad), "\x15");
    EXPECT_EQ(c.send(block_of(entry, 1)), "\x06");
    EXPECT_EQ(c.send(block_of(entry, 1)), "\x06") << "a repeat (our ACK lost) is acknowledged";
    EXPECT_EQ(c.send(block_of(entry, 2)), "\x06");
    EXPECT_EQ(c.send(block_of(entry, 3)), "\x06");
    EXPECT_EQ(c.send({EOT}),
              "\x06"
              "200 DATA: 300 bytes stored\r\n");
    EXPECT_EQ(c.s.storage().find("DATA")->body, std::vector<uint8_t>(entry.begin() + 128, entry.end()));
}

TEST(Shell, InjectedDamageNaksTheBlockOnlyTheFirstTime) {
    ShellOptions o;
    o.corrupt_block = 2;
    Console c(o);
    c.type("put /rom0\r");
    auto entry = entry_bytes("X", 200);
    EXPECT_EQ(c.send(block_of(entry, 0)), "\x06");
    EXPECT_EQ(c.send(block_of(entry, 1)), "\x15");
    EXPECT_EQ(c.send(block_of(entry, 1)), "\x06");
    EXPECT_EQ(c.send(block_of(entry, 2)), "\x06");
    EXPECT_EQ(c.send({EOT}),
              "\x06"
              "200 X: 200 bytes stored\r\n");
    EXPECT_EQ(c.s.storage().find("X")->body, std::vector<uint8_t>(entry.begin() + 128, entry.end()));
}

TEST(Shell, CancelAfterBlockNAbortsTheFirstUploadOnly) {
    ShellOptions o;
    o.cancel_after = 2;
    Console c(o);
    auto entry = entry_bytes("BIG", 600);
    c.type("put /rom0\r");
    EXPECT_EQ(c.send(block_of(entry, 0)), "\x06");
    EXPECT_EQ(c.send(block_of(entry, 1)), "\x06");
    EXPECT_EQ(c.send(block_of(entry, 2)),
              "\x18\x18"
              "426 transfer aborted\r\n");
    EXPECT_TRUE(c.stored.empty());
    EXPECT_EQ(c.s.storage().find("BIG"), nullptr);
    c.wait(1s);
    c.type("put /rom0\r");
    EXPECT_EQ(c.upload(entry),
              "\x06"
              "200 BIG: 600 bytes stored\r\n");
}

TEST(Shell, ExistingNameGets450Or550AndDeleteMakesRoomForIt) {
    for (int code : {450, 550}) {
        ShellOptions o;
        o.exists_code = code;
        Console c(o);
        auto entry = entry_bytes("SAME", 50);
        c.type("stty -echo\r");
        c.type("put /rom0\r");
        ASSERT_EQ(c.upload(entry),
                  "\x06"
                  "200 SAME: 50 bytes stored\r\n");
        EXPECT_EQ(c.type("put /rom0\r"), kPutAnswer);
        // The name is only known from the first block, so that is where the refusal comes.
        EXPECT_EQ(c.send(block_of(entry, 0)), "\x18\x18" + std::to_string(code) + " SAME: file exists\r\n");
        c.wait(1s);
        EXPECT_EQ(c.type("delete \"/rom0/SAME\"\r"), "200 SAME: deleted\r\n");
        EXPECT_EQ(c.deleted, std::vector<std::string>{"SAME"});
        EXPECT_EQ(c.type("delete /rom0/SAME\r\n"), "550 SAME: no such file\r\n");
        c.type("put /rom0\r");
        EXPECT_EQ(c.upload(entry),
                  "\x06"
                  "200 SAME: 50 bytes stored\r\n");
    }
}

TEST(Shell, FragmentedSpaceGets452UntilDefrag) {
    ShellOptions o;
    o.capacity_blocks = 12;
    Console c(o);
    c.type("stty -echo\r");
    for (const char* name : {"A", "B", "C"}) {
        c.type("put /rom0\r");
        ASSERT_EQ(c.upload(entry_bytes(name, 256)),
                  "\x06"
                  "200 " +
                      std::string(name) + ": 256 bytes stored\r\n");
    }
    c.type("delete /rom0/B\r");
    auto d = entry_bytes("D", 512);  // 5 blocks; 6 free but in two holes of 3
    c.type("put /rom0\r");
    EXPECT_EQ(c.send(block_of(d, 0)),
              "\x18\x18"
              "452 D: not enough contiguous space, defrag needed\r\n");
    c.wait(1s);
    EXPECT_EQ(c.type("defrag rom0\r"), "125 defragmenting rom0\r\n200 rom0: 6 blocks free\r\n");
    c.type("put /rom0\r");
    EXPECT_EQ(c.upload(d),
              "\x06"
              "200 D: 512 bytes stored\r\n");
}

TEST(Shell, AFileThatCanNeverFitIsRefusedWithoutAskingForDefrag) {
    ShellOptions o;
    o.capacity_blocks = 4;
    Console c(o);
    c.type("stty -echo\r");
    c.type("put /rom0\r");
    auto reply = c.send(block_of(entry_bytes("HUGE", 1000), 0));
    EXPECT_EQ(reply.substr(0, 6),
              "\x18\x18"
              "426 ");
}

TEST(Shell, UploadsThatAreNotFileEntriesOrEndEarlyStoreNothing) {
    Console c;
    c.type("stty -echo\r");
    c.type("put /rom0\r");
    EXPECT_EQ(c.send(make_frame(1, std::vector<uint8_t>(128, 'x'))),
              "\x18\x18"
              "426 not a file entry\r\n");
    c.wait(1s);
    c.type("put /rom0\r");
    EXPECT_EQ(c.send({EOT}),
              "\x06"
              "426 nothing received\r\n");
    c.type("put /rom0\r");
    auto entry = entry_bytes("SHORT", 400);
    c.send(block_of(entry, 0));
    c.send(block_of(entry, 1));
    EXPECT_EQ(c.send({EOT}),
              "\x06"
              "426 SHORT: incomplete, 128 of 400 bytes\r\n");
    c.type("put /rom0\r");
    c.send(block_of(entry, 0));
    EXPECT_EQ(c.send({CAN, CAN}), "426 transfer cancelled by sender\r\n");
    EXPECT_TRUE(c.stored.empty());
    EXPECT_EQ(c.type("ls\r"), "200 0 files, 2048 of 2048 blocks free, largest hole 2048\r\n");
}

TEST(Shell, BlocksOutOfSequenceAbortTheUpload) {
    Console c;
    c.type("stty -echo\r");
    c.type("put /rom0\r");
    auto entry = entry_bytes("SEQ", 500);
    c.send(block_of(entry, 0));
    EXPECT_EQ(c.send(block_of(entry, 2)),
              "\x18\x18"
              "426 block out of sequence\r\n");
}

TEST(Shell, NakIsRepeatedWhileTheSenderIsQuietThenTheUploadIsGivenUp) {
    ShellOptions o;
    o.nak_interval_ms = 1000;
    o.max_naks = 3;
    Console c(o);
    c.type("stty -echo\r");
    EXPECT_EQ(c.type("put /rom0\r"), kPutAnswer);
    EXPECT_EQ(c.wait(999ms), "");
    EXPECT_EQ(c.wait(1ms), "\x15");
    EXPECT_EQ(c.wait(1s), "\x15");
    EXPECT_EQ(c.wait(1s),
              "\x18\x18"
              "426 transfer timed out\r\n");
    EXPECT_EQ(c.s.state(), ShellSession::State::Command);
}

TEST(Shell, ABlockCutShortIsDroppedAndNaked) {
    Console c;
    c.type("put /rom0\r");
    auto entry = entry_bytes("CUT", 10);
    auto b = block_of(entry, 0);
    EXPECT_EQ(c.send(std::vector<uint8_t>(b.begin(), b.begin() + 40)), "");
    EXPECT_EQ(c.wait(1s), "\x15");
    EXPECT_EQ(c.send(b), "\x06");
}

TEST(Shell, ACommandLineBetweenBlocksAbandonsTheUpload) {
    Console c;
    c.type("stty -echo\r");
    c.type("put /rom0/\r\n");  // the LF arrives while receiving and is noise
    auto entry = entry_bytes("GONE", 300);
    EXPECT_EQ(c.send(block_of(entry, 0)), "\x06");
    EXPECT_EQ(c.send(block_of(entry, 1)), "\x06");
    // Text that is no command (or junk between blocks) changes nothing.
    EXPECT_EQ(c.type("hello\r"), "");
    EXPECT_EQ(c.s.state(), ShellSession::State::Receiving);
    EXPECT_EQ(c.type("exec /rom0/GONE\r\n"), "426 upload abandoned\r\n550 GONE: no such file\r\n");
    EXPECT_EQ(c.s.state(), ShellSession::State::Command);
    EXPECT_TRUE(c.stored.empty());
}

TEST(Shell, ExecAnswers125ThenFinishesAfterTheRunTime) {
    ShellOptions o;
    o.exec_run_ms = 500;
    Console c(o);
    c.type("stty -echo\r");
    EXPECT_EQ(c.type("exec /rom0/NONE\r"), "550 NONE: no such file\r\n");
    c.type("put /rom0\r");
    c.upload(entry_bytes("RUN", 10));
    EXPECT_EQ(c.type("exec \"/rom0/RUN\"\r"), "125 RUN: running\r\n");
    // Typed while the program runs: answered once it has ended.
    EXPECT_EQ(c.type("ls\r"), "");
    EXPECT_EQ(c.wait(499ms), "");
    EXPECT_EQ(c.wait(1ms),
              "200 RUN: finished\r\n"
              "RUN                    10 xwr           0+2\r\n"
              "200 1 files, 2046 of 2048 blocks free, largest hole 2046\r\n");
}

TEST(Shell, SlowAnswersKeepTheirOrder) {
    ShellOptions o;
    o.answer_delay_ms = 300;
    Console c(o);
    EXPECT_EQ(c.type("stty -echo\r"), "stty -echo\r\n") << "echo is not delayed";
    EXPECT_EQ(c.wait(299ms), "");
    EXPECT_EQ(c.wait(1ms), "200 echo off\r\n");
    EXPECT_EQ(c.type("put /rom0\r"), "");
    EXPECT_EQ(c.wait(300ms), kPutAnswer) << "the NAK waits for the status line before it";
}

TEST(Shell, ASilentConsoleAnswersNothingAtAll) {
    ShellOptions o;
    o.silent = true;
    Console c(o);
    EXPECT_EQ(c.type("stty -echo\r"), "");
    EXPECT_EQ(c.type("put /rom0\r"), "");
    EXPECT_EQ(c.wait(10s), "");
    EXPECT_FALSE(c.s.next_wakeup());
}

TEST(Shell, BytesRightAfterARefusalAreDiscarded) {
    Console c;
    c.type("stty -echo\r");
    c.type("put /rom0\r");
    c.send(make_frame(1, std::vector<uint8_t>(128, 'x')));
    // The sender did not see the CAN yet and repeats its block: not a command.
    EXPECT_EQ(c.send(make_frame(1, std::vector<uint8_t>(128, '\r'))), "");
    c.wait(300ms);
    EXPECT_EQ(c.type("stty -echo\r"), "200 echo off\r\n");
}

TEST(Shell, ControlBytesNeverReachAStatusLine) {
    Console c;
    c.type("stty -echo\r");
    EXPECT_EQ(c.type(std::string("x\x15\x18y\r")), "500 x??y: unknown command\r\n");
    c.type("put /rom0\r");
    ASSERT_EQ(c.upload(entry_bytes("a\nb\x06", 3)),
              "\x06"
              "200 a?b?: 3 bytes stored\r\n");
    ASSERT_NE(c.s.storage().find("a\nb\x06"), nullptr) << "the name itself is kept as sent";
}

TEST(Shell, OverlongLinesAreRefusedWhole) {
    Console c;
    c.type("stty -echo\r");
    EXPECT_EQ(c.type(std::string(1000, 'a') + "\r"), "500 line too long\r\n");
    EXPECT_EQ(c.type("ls\r").substr(0, 4), "200 ");
}

TEST(Shell, TranscriptShowsBothDirections) {
    Console c;
    std::vector<std::string> lines;
    c.s.on_log = [&](const std::string& l) { lines.push_back(l); };
    c.type("stty -echo\r");
    c.type("put /rom0\r");
    c.send(block_of(entry_bytes("T", 1), 0));
    std::vector<std::string> want = {
        "< stty -echo", "> 200 echo off",          "< put /rom0", "> 350 ready to receive", "> NAK",
        "< block 1",    "# receiving T (1 bytes)", "> ACK"};
    EXPECT_EQ(lines, want);
}

// Whatever a broken sender puts on the line, the shell neither crashes nor
// stores a file that does not match what was announced.
TEST(Shell, MutatedUploadStreamsAreHandledSafely) {
    std::mt19937 rng(99);
    for (int round = 0; round < 150; ++round) {
        ShellOptions o;
        o.capacity_blocks = 64;
        Console c(o);
        c.type("stty -echo\r");
        auto entry = entry_bytes("M" + std::to_string(round), rng() % 700, uint8_t(rng()));
        std::vector<uint8_t> stream{'p', 'u', 't', ' ', '/', 'r', 'o', 'm', '0', '\r'};
        for (size_t i = 0; i < block_count(entry); ++i) {
            auto b = block_of(entry, i);
            stream.insert(stream.end(), b.begin(), b.end());
        }
        stream.push_back(EOT);
        for (int m = 0, n = int(rng() % 5); m < n; ++m) {
            size_t at = rng() % stream.size();
            if (rng() % 2)
                stream[at] = static_cast<uint8_t>(rng());
            else
                stream.erase(stream.begin() + static_cast<std::ptrdiff_t>(at));
        }
        stream.resize(rng() % (stream.size() + 1));
        size_t pos = 0;
        while (pos < stream.size()) {
            size_t n = std::min<size_t>(1 + rng() % 200, stream.size() - pos);
            c.send(std::vector<uint8_t>(stream.begin() + pos, stream.begin() + pos + n));
            pos += n;
            if (rng() % 4 == 0) c.wait(std::chrono::milliseconds(rng() % 1500));
        }
        c.wait(5s);
        for (const auto& f : c.s.storage().files()) {
            auto e = devlink::read_entry(f.header);
            ASSERT_TRUE(e);
            EXPECT_EQ(f.body.size(), size_t(e->size()));
            EXPECT_LE(c.s.storage().used_blocks(), 64u);
        }
    }
}

}  // namespace
}  // namespace lumora::vconsole
