// lmPutw as a program against the virtual console on a pseudo-terminal, with
// its progress dialog (Qt offscreen) and with --no-window.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "devlink/file_entry.h"
#include "tests/e2e/console_process.h"
#include "tests/support/child_process.h"
#include "virtual_console.h"

namespace lumora::lmputw {
namespace {

using e2e::pattern;
using e2e::program_entry;
using e2e::read_bytes;
using e2e::write_bytes;
using testing::Child;
using testing::ChildOptions;
using testing::TempDir;
using Lines = std::vector<std::string>;

const std::string kLmputw = LUMORA_BIN_DIR "/lmPutw";

enum class Mode { Window, NoWindow };

struct Outcome {
    std::optional<int> status;
    std::string output;  // standard error
    Lines put_lines;     // the PutStr:/PutError: lines
};

class LmputwScenario : public ::testing::TestWithParam<Mode> {
  protected:
    void SetUp() override { std::filesystem::create_directories(work_); }

    std::string work(const std::string& name) const { return work_ + "/" + name; }

    Child start(const Lines& args) {
        ChildOptions launch;
        // Standard error joins standard output, where the child support reads lines.
        launch.argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1", kLmputw};
        if (GetParam() == Mode::NoWindow) launch.argv.push_back("--no-window");
        launch.argv.insert(launch.argv.end(), args.begin(), args.end());
        launch.workdir = work_;
        launch.env = {"LUMORA_COM1=" + console_.link(), "XDG_CONFIG_HOME=" + (tmp_ / "config"),
                      "HOME=" + tmp_.path()};
        launch.env.insert(launch.env.end(), extra_env_.begin(), extra_env_.end());
        auto child = Child::start(launch);
        EXPECT_TRUE(child);
        return std::move(*child);
    }

    static Outcome finish(Child& child, int timeout_ms = 60000) {
        Outcome o;
        o.status = child.wait(timeout_ms);
        o.output = child.out();
        std::istringstream in(o.output);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("PutStr: ", 0) == 0 || line.rfind("PutError: ", 0) == 0)
                o.put_lines.push_back(line);
        return o;
    }

    Outcome run(const Lines& args) {
        Child child = start(args);
        return finish(child);
    }

    TempDir tmp_;
    Console console_{tmp_};
    std::string work_ = tmp_ / "work";
    Lines extra_env_;
};

bool has_line(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST_P(LmputwScenario, AFileEntryLandsUnderItsHeaderNameAndIsRun) {
    ASSERT_TRUE(console_.start());
    auto body = pattern(3000, 11);
    write_bytes(work("hello.fx"), program_entry("game", body));
    Outcome o = run({"-x", "hello.fx"});
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_EQ(o.put_lines, (Lines{"PutStr: 初期化中...", "PutStr: ファイル読み込み...",
                                  "PutStr: ファイル削除中...", "PutStr: ファイル送信中..."}));
    EXPECT_EQ(read_bytes(console_.stored("game.fx")), program_entry("game", body));
    const std::string t = console_.transcript();
    EXPECT_TRUE(has_line(t, "< delete /rom0/game")) << t;
    EXPECT_TRUE(has_line(t, "< exec /rom0/game")) << t;
}

TEST_P(LmputwScenario, APlainFileGetsAGeneratedHeaderAndWholeBlocks) {
    ASSERT_TRUE(console_.start());
    auto body = pattern(1000, 12);
    write_bytes(work("pic.fr"), body);
    Outcome o = run({"pic.fr"});
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_EQ(read_bytes(console_.stored("pic.fr")), body);
    auto stored = read_bytes(console_.stored("pic.fr.fx"));
    auto entry = devlink::read_entry(stored);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name(), "pic.fr");
    EXPECT_EQ(entry->resource(), 0);
    EXPECT_EQ(entry->mode(), devlink::kModePlainFile);
    EXPECT_EQ(entry->size(), 1000);
    EXPECT_EQ(entry->blocks(), 8);
    // The header block and 8 body blocks, the last one padded; nothing run.
    const std::string t = console_.transcript();
    EXPECT_TRUE(has_line(t, "< block 9")) << t;
    EXPECT_FALSE(has_line(t, "< block 10"));
    EXPECT_EQ(t.find("< exec"), std::string::npos);
}

TEST_P(LmputwScenario, SeveralFilesStopAtAnUnreadableSourceAndNothingRuns) {
    ASSERT_TRUE(console_.start());
    write_bytes(work("a.bin"), pattern(200, 1));
    write_bytes(work("c.bin"), pattern(200, 3));
    // (An absolute path that does not exist would be the target folder.)
    Outcome o = run({"-x", "a.bin", "missing.bin", "c.bin"});
    EXPECT_EQ(o.status, 1) << o.output;
    EXPECT_EQ(o.put_lines.back(), "PutError: 転送元: missing.bin が読めません");
    EXPECT_TRUE(e2e::file_exists(console_.stored("a.bin")));
    EXPECT_FALSE(e2e::file_exists(console_.stored("c.bin")));
    EXPECT_EQ(console_.transcript().find("< exec"), std::string::npos);
}

TEST_P(LmputwScenario, FullStorageIsDefragmentedAndTheFileSentAgain) {
    ASSERT_TRUE(console_.start({"--blocks", "12"}));
    for (const char* name : {"a", "b", "c"}) write_bytes(work(name), pattern(256, 1));
    ASSERT_EQ(run({"a", "b", "c"}).status, 0);
    ASSERT_EQ(run({"-r", "b"}).status, 0);
    auto big = pattern(600, 3);  // 6 blocks with its entry; free: 3 + 3
    write_bytes(work("big"), big);
    Outcome o = run({"big"});
    EXPECT_EQ(o.status, 0) << "the file arrived on its second try\n" << o.output;
    EXPECT_EQ(o.put_lines,
              (Lines{"PutStr: 初期化中...", "PutStr: ファイル読み込み...", "PutStr: ファイル削除中...",
                     "PutStr: ファイル送信中...", "PutError: 書き込みに失敗しました(452)",
                     "PutStr: 容量不足のためデフラグ中...", "PutStr: ファイル再送信中..."}));
    EXPECT_EQ(read_bytes(console_.stored("big")), big);
}

INSTANTIATE_TEST_SUITE_P(Modes, LmputwScenario, ::testing::Values(Mode::Window, Mode::NoWindow),
                         [](const auto& info) { return info.param == Mode::Window ? "Window" : "NoWindow"; });

// The rest needs no window to say what it says.
class LmputwNoWindow : public LmputwScenario {};

TEST_P(LmputwNoWindow, DeleteModeInAnotherFolderSendsNothing) {
    ASSERT_TRUE(console_.start());
    Outcome o = run({"-r", "-d", "-#", "/ram0", "/rom0", "old.fx"});
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_EQ(o.put_lines,
              (Lines{"PutStr: 初期化中...", "PutStr: ファイル削除中...", "PutStr: デフラグ中..."}));
    const std::string t = console_.transcript();
    EXPECT_TRUE(has_line(t, "< delete /ram0/old.fx")) << t;
    EXPECT_TRUE(has_line(t, "< defrag ram0")) << t;
    EXPECT_EQ(t.find("< put"), std::string::npos);
    // The log holds the defrag line byte for byte.
    std::ifstream in(work("lmPut.log"), std::ios::binary);
    std::string log((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(log.find("\r\n>64 65 66 72 61 67 20 72 61 6D 30 0D 0A  (d e f r a g   r a m 0 \r \n )\r\n"),
              std::string::npos)
        << log;
}

TEST_P(LmputwNoWindow, TheLogFileRecordsEveryStepInOrder) {
    ASSERT_TRUE(console_.start());
    write_bytes(work("t.txt"), {'h', 'i'});
    ASSERT_EQ(run({"-#", "t.txt"}).status, 0);
    std::ifstream in(work("lmPut.log"), std::ios::binary);
    std::string log((std::istreambuf_iterator<char>(in)), {});
    const std::string head =
        "start\r\n"
        "CLMPLibBase::Open() SetCommState() GetLastError:0\r\n"
        "CLMPLibBase::Open() SetCommTimeouts() GetLastError:0\r\n"
        "CLMPLibBase::SetReadTimeOut() GetLastError:0\r\n"
        "\r\n>73 74 74 79 20 2D 65 63 68 6F 0D 0A  (s t t y   - e c h o \r \n )\r\n"
        "73  (s )\r\n74  (t )\r\n";  // the console echoes until echo is off
    EXPECT_EQ(log.substr(0, head.size()), head);
    // The console's ACK to a block, one byte read and dumped.
    EXPECT_NE(log.find("\r\n>01 01 FE "), std::string::npos) << "block 1 is dumped as sent";
    EXPECT_NE(log.find("06  (\x06 )\r\n"), std::string::npos);
    const std::string tail = "\r\nend\r\n";
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

TEST_P(LmputwNoWindow, CancelDuringAnUploadLeavesNoFileAndRunsNothing) {
    // At 9600 bit/s a block takes 0.14 s, so the upload is still running when
    // the cancel comes; it is the same if it comes before the first block.
    ASSERT_TRUE(console_.start({"--line-rate", "9600"}));
    write_bytes(work("long.bin"), pattern(20000, 5));
    Child child = start({"-x", "long.bin"});
    ASSERT_TRUE(child.wait_for_line("PutStr: ファイル送信中...", 30000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    child.signal(SIGINT);
    Outcome o = finish(child);
    EXPECT_EQ(o.status, 1) << o.output;
    EXPECT_TRUE(has_line(o.output, "キャンセル終了")) << o.output;
    EXPECT_FALSE(e2e::file_exists(console_.stored("long.bin")));
    const std::string t = console_.transcript();
    EXPECT_TRUE(has_line(t, "< CAN CAN")) << t;
    EXPECT_EQ(t.find("< exec"), std::string::npos);
}

// utime + stime of a process, in clock ticks.
long cpu_ticks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), {});
    size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string skip;
    for (int i = 3; i < 14; ++i) fields >> skip;  // state .. cmajflt
    long utime = 0, stime = 0;
    fields >> utime >> stime;
    return utime + stime;
}

TEST_P(LmputwNoWindow, ASilentConsoleCostsItsTimeOutsAndTheRunEndsWithoutSpinning) {
    ASSERT_TRUE(console_.start({"--silent"}));
    write_bytes(work("a.bin"), pattern(10, 1));
    write_bytes(work("b.bin"), pattern(10, 2));
    const auto begin = std::chrono::steady_clock::now();
    Child child = start({"-x", "a.bin", "b.bin"});
    ASSERT_TRUE(child.wait_for_line("PutStr: ファイル削除中...", 30000));
    // Waiting for an answer that never comes must cost (almost) no processor time.
    const long ticks_before = cpu_ticks(child.pid());
    const auto wall_before = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const long ticks_after = cpu_ticks(child.pid());
    const double wall_s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_before).count();
    Outcome o = finish(child);
    const double took_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    ASSERT_GE(ticks_before, 0);
    const double share = (ticks_after - ticks_before) / double(::sysconf(_SC_CLK_TCK)) / wall_s;
    EXPECT_LT(share, 0.05) << "share of a core while the console is silent";
    std::printf("lmPutw used %.1f %% of a core while the console was silent\n", share * 100);

    EXPECT_EQ(o.status, 1) << o.output;
    EXPECT_EQ(std::count(o.put_lines.begin(), o.put_lines.end(), "PutError: 書き込みに失敗しました(0)"), 2)
        << o.output;
    // stty 0.5 s, per file: delete up to two reads, put one, at 0.5 then 1 s each.
    EXPECT_GE(took_s, 0.5 + 1.0 + 1.0 + 2.0 + 1.0);
    EXPECT_EQ(console_.transcript().find("exec"), std::string::npos);
}

TEST_P(LmputwNoWindow, APlainFileTooLargeForItsHeaderIsRefusedAndTheNextFollows) {
    ASSERT_TRUE(console_.start());
    // One byte more than 32767 blocks, the most the header can count.
    { std::ofstream(work("huge.bin"), std::ios::binary).put('x'); }
    std::filesystem::resize_file(work("huge.bin"), 32767 * 128 + 1);
    write_bytes(work("small.bin"), pattern(100, 4));
    Outcome o = run({"-x", "huge.bin", "small.bin"});
    EXPECT_EQ(o.status, 1) << o.output;
    EXPECT_NE(std::find(o.put_lines.begin(), o.put_lines.end(), "PutError: 転送元: huge.bin が大きすぎます"),
              o.put_lines.end())
        << o.output;
    EXPECT_FALSE(e2e::file_exists(console_.stored("huge.bin")));
    EXPECT_EQ(read_bytes(console_.stored("small.bin")), pattern(100, 4));
    EXPECT_TRUE(has_line(console_.transcript(), "< exec /rom0/small.bin"));
}

TEST_P(LmputwNoWindow, ThePortComesFromThePelorixSettings) {
    ASSERT_TRUE(console_.start());
    std::filesystem::create_directories(tmp_ / "config/Quorvi");
    std::ofstream(tmp_ / "config/Quorvi/Pelorix.conf") << "[General]\nCommPort=1\nBaudRate=1\n";
    extra_env_ = {"LUMORA_COM1=" + (tmp_ / "nothing"), "LUMORA_COM2=" + console_.link()};
    write_bytes(work("a.bin"), pattern(100, 1));
    Outcome o = run({"a.bin"});
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_TRUE(e2e::file_exists(console_.stored("a.bin")));
}

TEST_P(LmputwNoWindow, WithoutFilesItSaysSoAndEndsWithTwo) {
    Outcome o = run({"-x"});
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.output, "転送するファイルをアイコンにドロップしてください\n");
    EXPECT_EQ(run({"--nowindow"}).status, 2);
    Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output.rfind("lmPutw ", 0), 0u) << version.output;
}

TEST_P(LmputwNoWindow, APortThatCannotBeOpenedIsOneError) {
    // No console: the link to the pseudo-terminal does not exist.
    write_bytes(work("a.bin"), pattern(10, 1));
    Outcome o = run({"-x", "a.bin"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.put_lines, Lines{"PutError: COMポートが開けません"});
}

INSTANTIATE_TEST_SUITE_P(Modes, LmputwNoWindow, ::testing::Values(Mode::NoWindow),
                         [](const auto&) { return "NoWindow"; });

}  // namespace
}  // namespace lumora::lmputw
