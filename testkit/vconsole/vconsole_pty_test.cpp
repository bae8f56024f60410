// The vconsole program on a real pseudo-terminal: a small scripted sender,
// and the standard XMODEM tools sx and rx from lrzsz.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include "devlink/file_entry.h"
#include "platform/pty_pair.h"
#include "platform/serial_port.h"
#include "testkit/vconsole/byte_stream.h"
#include "tests/support/child_process.h"
#include "testkit/vconsole/xmodem.h"

namespace lumora::vconsole {
namespace {

using testing::Child;
using testing::ChildOptions;
using testing::TempDir;

const std::string kVconsole = LUMORA_BIN_DIR "/vconsole";

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
void write_file(const std::string& path, const std::vector<uint8_t>& d) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(d.data()), std::streamsize(d.size()));
}
bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::vector<uint8_t> program_entry(const std::string& name, size_t body) {
    devlink::DirectoryEntry e;
    e.set_name(name);
    e.set_info("test program");
    e.set_size(static_cast<int32_t>(body));
    e.set_blocks(static_cast<int16_t>((body + 127) / 128));
    e.set_mode(devlink::kModeProgram);
    e.set_resource(-1);
    auto d = devlink::build_header(e);
    for (size_t i = 0; i < body; ++i) d.push_back(static_cast<uint8_t>(i * 7 + 3));
    return d;
}

// The PC end of the cable as a test script sees it.
struct Pc {
    platform::SerialPort port;
    bool open(const std::string& dev) {
        if (!port.open(dev)) return false;
        platform::SerialSettings s;
        s.flow = platform::SerialSettings::Flow::None;
        return port.configure(s);
    }
    void send(const std::string& s) { ASSERT_TRUE(port.write_all(s.data(), s.size())); }
    void send(const std::vector<uint8_t>& d) { ASSERT_TRUE(port.write_all(d.data(), d.size())); }
    // One line without CR/LF; nullopt when nothing complete came in time.
    std::optional<std::string> line(int timeout_ms = 3000) {
        std::string s;
        uint8_t b;
        while (port.read_byte(b, timeout_ms) == 1) {
            if (b == '\n') return s;
            if (b != '\r') s += static_cast<char>(b);
        }
        return std::nullopt;
    }
    // Reads lines until one starts with a status code; returns it.
    std::optional<std::string> status(int timeout_ms = 3000) {
        while (auto l = line(timeout_ms))
            if (l->size() >= 4 && isdigit((unsigned char)(*l)[0]) && (*l)[3] == ' ') return l;
        return std::nullopt;
    }
    int byte(int timeout_ms = 3000) {
        uint8_t b;
        return port.read_byte(b, timeout_ms) == 1 ? b : -1;
    }
};

struct Vconsole {
    TempDir dir;
    std::optional<Child> child;
    std::string link;

    bool start(std::vector<std::string> extra) {
        link = dir / "COM1";
        ChildOptions launch;
        launch.argv = {kVconsole, "--pty", link};
        launch.argv.insert(launch.argv.end(), extra.begin(), extra.end());
        launch.capture_stderr = true;
        child = Child::start(launch);
        return child && child->wait_for_line("ready /dev/", 10000);
    }
};

TEST(VconsolePty, ScriptedUploadIsStoredByteForByteAndTheLinkGoesAway) {
    Vconsole vc;
    const std::string store = vc.dir / "store";
    ASSERT_TRUE(vc.start({"--store", store, "--exec-time", "50"}));
    Pc pc;
    ASSERT_TRUE(pc.open(vc.link));
    pc.send("stty -echo\r");
    EXPECT_EQ(pc.status(), "200 echo off");

    auto entry = program_entry("HELLO", 300);
    pc.send("put /rom0\r");
    EXPECT_EQ(pc.status(), "350 ready to receive");
    EXPECT_EQ(pc.byte(), NAK);
    for (size_t i = 0; i * 128 < entry.size(); ++i) {
        size_t n = std::min<size_t>(128, entry.size() - i * 128);
        pc.send(make_frame(uint8_t(i + 1), std::span<const uint8_t>(entry.data() + i * 128, n)));
        ASSERT_EQ(pc.byte(), ACK) << "block " << i + 1;
    }
    pc.send(std::vector<uint8_t>{EOT});
    EXPECT_EQ(pc.byte(), ACK);
    EXPECT_EQ(pc.status(), "200 HELLO: 300 bytes stored");
    EXPECT_EQ(read_file(store + "/HELLO.fx"), entry);
    EXPECT_EQ(read_file(store + "/HELLO"), std::vector<uint8_t>(entry.begin() + 128, entry.end()));

    pc.send("exec /rom0/HELLO\r\n");
    EXPECT_EQ(pc.status(), "125 HELLO: running");
    EXPECT_EQ(pc.status(), "200 HELLO: finished");
    pc.send("delete \"/rom0/HELLO\"\r");
    EXPECT_EQ(pc.status(), "200 HELLO: deleted");
    EXPECT_FALSE(exists(store + "/HELLO"));
    EXPECT_FALSE(exists(store + "/HELLO.fx"));

    vc.child->signal(SIGTERM);
    EXPECT_EQ(vc.child->wait(10000), 0);
    EXPECT_FALSE(exists(vc.link));
}

TEST(VconsolePty, SxFromLrzszUploadsAFileEntry) {
    Vconsole vc;
    const std::string store = vc.dir / "store";
    ASSERT_TRUE(vc.start({"--store", store}));
    Pc pc;
    ASSERT_TRUE(pc.open(vc.link));
    pc.send("stty -echo\r\n");
    ASSERT_EQ(pc.status(), "200 echo off");
    auto entry = program_entry("SXGAME", 1000);
    write_file(vc.dir / "game.fx", entry);
    pc.send("put /rom0/\r\n");
    ASSERT_EQ(pc.status(), "350 ready to receive");
    // The NAK after the status line is left on the line for sx.
    ChildOptions sx;
    sx.argv = {"sx", "-q", vc.dir / "game.fx"};
    sx.line_device = vc.link;
    sx.capture_stdout = false;
    auto child = Child::start(sx);
    ASSERT_TRUE(child);
    EXPECT_EQ(child->wait(30000), 0);
    // sx flushes the line when it restores the terminal, which may swallow
    // the status line after EOT; ask the shell instead.
    EXPECT_EQ(read_file(store + "/SXGAME.fx"), entry);
    pc.port.purge(true, false);
    pc.send("ls\r");
    // Whatever the flush left of the upload's status line comes first; skip it.
    std::optional<std::string> listing;
    while ((listing = pc.line()) && listing->rfind("SXGAME ", 0) != 0) {
    }
    ASSERT_TRUE(listing);
    EXPECT_EQ(pc.status(), "200 1 files, 2039 of 2048 blocks free, largest hole 2039");
}

TEST(VconsolePty, RxFromLrzszReceivesACaptureEvenAfterADamagedBlock) {
    for (const char* corrupt : {"0", "2"}) {
        TempDir work;
        std::vector<uint8_t> bmp(1000);
        for (size_t i = 0; i < bmp.size(); ++i) bmp[i] = static_cast<uint8_t>(i ^ 0x5A);
        bmp[0] = 'B', bmp[1] = 'M';
        write_file(work / "screen.bmp", bmp);
        Vconsole vc;
        std::vector<std::string> args = {"--send-capture", work / "screen.bmp", "--name", "shot"};
        if (std::string(corrupt) != "0") args.insert(args.end(), {"--corrupt-block", corrupt});
        ASSERT_TRUE(vc.start(args));
        ChildOptions rx;
        rx.argv = {"rx", "-q", "got"};  // lrzsz refuses absolute names
        rx.workdir = work.path();
        rx.line_device = vc.link;
        rx.capture_stdout = false;
        auto child = Child::start(rx);
        ASSERT_TRUE(child);
        EXPECT_EQ(child->wait(30000), 0);
        EXPECT_EQ(vc.child->wait(30000), 0) << vc.child->err();
        auto got = read_file(work / "got");
        ASSERT_GE(got.size(), 128u + bmp.size());
        auto e = devlink::read_entry(got);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->name(), "shot");
        EXPECT_EQ(e->size(), 1000);
        EXPECT_EQ(e->blocks(), 8);
        EXPECT_EQ(e->mode(), devlink::kModePlainFile);
        EXPECT_EQ(e->resource(), -1);
        EXPECT_TRUE(std::equal(bmp.begin(), bmp.end(), got.begin() + 128));
        for (size_t i = 128 + bmp.size(); i < got.size(); ++i) EXPECT_EQ(got[i], SUB);
        EXPECT_FALSE(exists(vc.link));
    }
}

TEST(VconsolePty, PortModeServesAnExistingDevice) {
    // A pseudo-terminal stands in for the serial device; its master is the PC.
    auto pair = platform::PtyPair::create();
    ASSERT_TRUE(pair);
    ChildOptions launch;
    launch.argv = {kVconsole, "--port", pair->device_path(), "--lf"};
    auto child = Child::start(launch);
    ASSERT_TRUE(child);
    ASSERT_EQ(child->wait_for_line("ready ", 10000), "ready " + pair->device_path());
    FdStream pc(pair->master_fd());
    const std::string cmd = "stty -echo\r";
    ASSERT_TRUE(pc.write(reinterpret_cast<const uint8_t*>(cmd.data()), cmd.size()));
    std::string got;
    uint8_t buf[64];
    while (got.find("200 echo off\n") == std::string::npos) {
        long n = pc.read(buf, sizeof buf, 5000);
        ASSERT_GT(n, 0) << got;
        got.append(reinterpret_cast<char*>(buf), size_t(n));
    }
    EXPECT_EQ(got, "stty -echo\r\n200 echo off\n");
    child->signal(SIGTERM);
    EXPECT_EQ(child->wait(10000), 0);
}

TEST(VconsolePty, ASilentConsoleNeverAnswers) {
    Vconsole vc;
    ASSERT_TRUE(vc.start({"--silent"}));
    Pc pc;
    ASSERT_TRUE(pc.open(vc.link));
    pc.send("stty -echo\r");
    EXPECT_EQ(pc.byte(1500), -1);
}

TEST(VconsolePty, VerboseModeWritesATranscript) {
    Vconsole vc;
    ASSERT_TRUE(vc.start({"-v"}));
    Pc pc;
    ASSERT_TRUE(pc.open(vc.link));
    pc.send("stty -echo\r");
    ASSERT_EQ(pc.status(), "200 echo off");
    vc.child->signal(SIGINT);
    ASSERT_EQ(vc.child->wait(10000), 0);
    EXPECT_NE(vc.child->err().find("< stty -echo\n> 200 echo off\n"), std::string::npos) << vc.child->err();
}

TEST(VconsolePty, UsageAndRefusals) {
    TempDir dir;
    auto run = [&](std::vector<std::string> args) {
        ChildOptions launch;
        launch.argv = {kVconsole};
        launch.argv.insert(launch.argv.end(), args.begin(), args.end());
        launch.capture_stderr = true;
        auto c = Child::start(launch);
        EXPECT_TRUE(c);
        auto rc = c->wait(10000);
        return std::make_tuple(rc.value_or(-1), c->out(), c->err());
    };
    auto [help_rc, help_out, help_err] = run({"--help"});
    EXPECT_EQ(help_rc, 0);
    EXPECT_NE(help_out.find("--send-capture"), std::string::npos);
    auto [bad_rc, bad_out, bad_err] = run({"--pty"});
    EXPECT_EQ(bad_rc, 2);
    EXPECT_NE(bad_err.find("--help"), std::string::npos);
    // A plain file where the link should go is never replaced.
    write_file(dir / "taken", {1, 2, 3});
    auto [taken_rc, taken_out, taken_err] = run({"--pty", dir / "taken"});
    EXPECT_EQ(taken_rc, 1);
    EXPECT_EQ(read_file(dir / "taken"), (std::vector<uint8_t>{1, 2, 3}));
    auto [miss_rc, miss_out, miss_err] = run({"--pty", dir / "l", "--send-capture", dir / "missing.bmp"});
    EXPECT_EQ(miss_rc, 1);
    EXPECT_NE(miss_err.find("missing.bmp"), std::string::npos);
}

}  // namespace
}  // namespace lumora::vconsole
