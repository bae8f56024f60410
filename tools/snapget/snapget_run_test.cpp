// snapget end to end: captures sent by lrzsz's `sx` (a standard XMODEM
// checksum sender) and by the virtual console over pseudo-terminals.

#include "snapget_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "devlink/file_entry.h"
#include "platform/pty_pair.h"

namespace lumora::snapget {
namespace {

namespace fs = std::filesystem;
using devlink::DirectoryEntry;

struct TempDir {
    fs::path path;
    TempDir() {
        char tmpl[] = "/tmp/lumora-snapget-XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(path); }
};

std::vector<uint8_t> read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_file(const fs::path& p, const std::vector<uint8_t>& data) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), data.size());
}

std::vector<uint8_t> fake_bmp(size_t n) {
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 13 + (i >> 8));
    b[0] = 'B';
    b[1] = 'M';
    return b;
}

DirectoryEntry capture_entry(const std::string& name, size_t size) {
    DirectoryEntry e;
    e.set_name(name);
    e.set_info("Pictavo capture");
    e.set_size(static_cast<int32_t>(size));
    e.set_blocks(static_cast<int16_t>((size + 127) / 128));
    e.set_mode(6);
    e.set_date(devlink::pack_date({2026, 12, 8, 1, 2, 4}));
    e.set_resource(devlink::kNoResource);
    return e;
}

// A child process whose standard input and output are the pty's master end.
struct Child {
    pid_t pid = -1;
    Child(int line_fd, std::vector<std::string> argv) {
        pid = ::fork();
        if (pid == 0) {
            ::dup2(line_fd, 0);
            ::dup2(line_fd, 1);
            int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 2);
            std::vector<char*> args;
            for (auto& a : argv) args.push_back(a.data());
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
    }
    int wait() {
        int status = 0;
        if (pid > 0) ::waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ~Child() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            wait();
        }
    }
};

bool have_sx() {
    return ::system("command -v sx >/dev/null 2>&1") == 0;
}

struct SnapgetRun : ::testing::Test {
    TempDir dir;
    std::optional<platform::PtyPair> pty = platform::PtyPair::create();
    platform::MemorySettingsStore settings;
    std::string err;
    std::vector<int> ports_asked;

    Environment env() {
        Environment e;
        e.settings = &settings;
        e.err = [this](const std::string& s) { err += s; };
        e.directory = dir.path.string();
        e.device_of_port = [this](int n) {
            ports_asked.push_back(n);
            return pty->device_path();
        };
        e.catch_interrupt = false;
        return e;
    }
    // Writes a capture entry file and has sx send it while snapget runs.
    int receive_with_sx(const std::vector<uint8_t>& entry_file, std::vector<std::string> args) {
        fs::path sent = dir.path / "sent.fx";
        write_file(sent, entry_file);
        Child sx(pty->master_fd(), {"sx", "-q", sent.string()});
        int status = run("snapget", args, env());
        EXPECT_EQ(sx.wait(), 0);
        return status;
    }
    std::vector<uint8_t> entry_file(const std::string& name, const std::vector<uint8_t>& bmp) {
        auto data = devlink::build_header(capture_entry(name, bmp.size()));
        data.insert(data.end(), bmp.begin(), bmp.end());
        return data;
    }
};

TEST_F(SnapgetRun, CaptureFromSxIsSavedByteForByteUnderSuccessiveNames) {
    if (!have_sx()) GTEST_SKIP() << "lrzsz is not installed";
    ASSERT_TRUE(pty);
    settings.write_number("", "CommPort", 2);
    settings.write_number("", "BaudRate", 0);
    auto bmp = fake_bmp(5000);
    auto file = entry_file("shot", bmp);

    ASSERT_EQ(receive_with_sx(file, {}), 0);
    EXPECT_EQ(err, "");  // silent without -v
    EXPECT_EQ(read_file(dir.path / "shot.bmp"), bmp);
    EXPECT_EQ(ports_asked, std::vector<int>{3});

    ASSERT_EQ(receive_with_sx(file, {}), 0);
    ASSERT_EQ(receive_with_sx(file, {}), 0);
    EXPECT_EQ(read_file(dir.path / "shot0000.bmp"), bmp);
    EXPECT_EQ(read_file(dir.path / "shot0001.bmp"), bmp);

    // -f replaces shot.bmp instead of adding shot0002.bmp.
    auto other = fake_bmp(300);
    ASSERT_EQ(receive_with_sx(entry_file("shot", other), {"-f"}), 0);
    EXPECT_EQ(read_file(dir.path / "shot.bmp"), other);
    EXPECT_FALSE(fs::exists(dir.path / "shot0002.bmp"));

    // A name on the command line wins, with its extension replaced.
    ASSERT_EQ(receive_with_sx(file, {"-com5", "given.png"}), 0);
    EXPECT_EQ(read_file(dir.path / "given.bmp"), bmp);
    EXPECT_EQ(ports_asked.back(), 5);
    for (const auto& f : fs::directory_iterator(dir.path)) EXPECT_NE(f.path().extension(), ".part");
}

TEST_F(SnapgetRun, VerboseRunPrintsTheHeader) {
    if (!have_sx()) GTEST_SKIP() << "lrzsz is not installed";
    ASSERT_TRUE(pty);
    auto bmp = fake_bmp(300);
    settings.set_exists(false);
    ASSERT_EQ(receive_with_sx(entry_file("cap", bmp), {"-v", "-9600"}), 0);
    const std::string head =
        "Warning: RegOpenKeyEx() failed (error=2)\n"
        "Comm port: COM1\n"
        "Baud rate: 9600 bps\n"
        ">";
    EXPECT_EQ(err.substr(0, head.size()), head);
    const std::string tail =
        "oooo<\n"
        "name: cap\n"
        "info: Pictavo capture\n"
        "mode: wr\n"
        "size: 428 bytes (4 blocks)\n"
        "date: 26/12/08  01:02:04\n"
        "Writing: cap.bmp\n";
    ASSERT_GE(err.size(), tail.size());
    EXPECT_EQ(err.substr(err.size() - tail.size()), tail);
}

TEST_F(SnapgetRun, SettingsSupplyOnlyWhatTheCommandLineLeftOpen) {
    ASSERT_TRUE(pty);
    // Nothing is sent; a closed device makes the receive fail at once.
    settings.write_number("", "BaudRate", 0);
    Environment e = env();
    e.device_of_port = [this](int n) {
        ports_asked.push_back(n);
        return (dir.path / "no-such-device").string();
    };
    EXPECT_EQ(run("snapget", {"-v", "-9600"}, e), 1);
    EXPECT_EQ(err,
              "Warning: RegQueryValueEx(\"CommPort\") failed (error=2)\n"
              "Comm port: COM1\n"
              "Baud rate: 9600 bps\n"
              "CreateFile(\"COM1\"): error = 2\n"
              "XMODEM receive failed\n");

    err.clear();
    EXPECT_EQ(run("snapget", {"-com", "-38400", "-v"}, e), 1);
    EXPECT_EQ(err,
              "Comm port: COM0\n"
              "Baud rate: 38400 bps\n"
              "use com1 instead of com0\n"
              "CreateFile(\"COM1\"): error = 2\n"
              "XMODEM receive failed\n");

    err.clear();
    settings.write_number("", "CommPort", 300);  // out of range in the settings
    EXPECT_EQ(run("snapget", {}, e), 1);
    EXPECT_EQ(err, "XMODEM receive failed\n");
    EXPECT_EQ(ports_asked.back(), 1);
}

TEST_F(SnapgetRun, UsageAndBadOptions) {
    EXPECT_EQ(run("snap", {"-h"}, env()), 0);
    EXPECT_EQ(err.rfind("BMP receiver for Lumora Version 1.00\n", 0), 0u);
    EXPECT_NE(err.find("usage: snap [<options>] [<BMP filename>]\n"), std::string::npos);
    err.clear();
    EXPECT_EQ(run("snap", {"-q"}, env()), 1);
    EXPECT_EQ(err.rfind("BMP receiver", 0), 0u);
    err.clear();
    EXPECT_EQ(run("snap", {"-com3x"}, env()), 1);
    EXPECT_EQ(err, "invalid comm port (com3x)\n");
    EXPECT_TRUE(ports_asked.empty());
}

TEST_F(SnapgetRun, NotAFileEntryIsNotWritten) {
    if (!have_sx()) GTEST_SKIP() << "lrzsz is not installed";
    ASSERT_TRUE(pty);
    EXPECT_EQ(receive_with_sx(fake_bmp(200), {"-v"}), 1);
    EXPECT_NE(err.find("it is not a fx data\nBMP write failed\n"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(dir.path / ".") || !fs::exists(dir.path / "shot.bmp"));
    size_t bmps = 0;
    for (const auto& f : fs::directory_iterator(dir.path)) bmps += f.path().extension() == ".bmp";
    EXPECT_EQ(bmps, 0u);
}

TEST_F(SnapgetRun, UnwritableOutputFailsWithoutLeavingAnything) {
    if (!have_sx()) GTEST_SKIP() << "lrzsz is not installed";
    ASSERT_TRUE(pty);
    EXPECT_EQ(receive_with_sx(entry_file("shot", fake_bmp(100)), {"-v", "missing/pic.png"}), 1);
    EXPECT_NE(err.find("Writing: missing/pic.bmp\ncan not open file to write (\"missing/pic.bmp\")\n"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir.path / "missing"));
    err.clear();
    // Quiet without -v, apart from the exit status.
    EXPECT_EQ(receive_with_sx(entry_file("shot", fake_bmp(100)), {"missing/pic.png"}), 1);
    EXPECT_EQ(err, "");
}

TEST_F(SnapgetRun, EntryNameCannotEscapeTheFolder) {
    if (!have_sx()) GTEST_SKIP() << "lrzsz is not installed";
    ASSERT_TRUE(pty);
    fs::create_directories(dir.path / "inner");
    Environment e = env();
    e.directory = (dir.path / "inner").string();
    auto bmp = fake_bmp(100);
    write_file(dir.path / "sent.fx", entry_file("../up.x", bmp));
    Child sx(pty->master_fd(), {"sx", "-q", (dir.path / "sent.fx").string()});
    ASSERT_EQ(run("snapget", {}, e), 0);
    EXPECT_EQ(sx.wait(), 0);
    EXPECT_EQ(read_file(dir.path / "inner" / "up.bmp"), bmp);
    EXPECT_FALSE(fs::exists(dir.path / "up.bmp"));
}

TEST_F(SnapgetRun, CaptureFromTheVirtualConsoleWithACorruptedBlock) {
    const std::string vconsole = LUMORA_BIN_DIR "/vconsole";
    if (!fs::exists(vconsole)) GTEST_SKIP() << "vconsole is not built";
    auto bmp = fake_bmp(3000);
    write_file(dir.path / "screen.bmp", bmp);
    fs::path link = dir.path / "COM1";
    pid_t pid = ::fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl(vconsole.c_str(), "vconsole", "--pty", link.c_str(), "--send-capture",
                (dir.path / "screen.bmp").c_str(), "--name", "snap", "--corrupt-block", "2", nullptr);
        ::_exit(127);
    }
    for (int i = 0; i < 500 && !fs::exists(link); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::exists(link));
    Environment e = env();
    e.device_of_port = [&](int) { return link.string(); };
    int status = run("snapget", {"-v"}, e);
    int child_status = 0;
    ::waitpid(pid, &child_status, 0);
    ASSERT_EQ(status, 0) << err;
    EXPECT_EQ(WEXITSTATUS(child_status), 0);
    EXPECT_EQ(read_file(dir.path / "snap.bmp"), bmp);
    EXPECT_NE(err.find("ox"), std::string::npos);  // the damaged block was refused once
}

TEST(SnapgetProgram, CtrlCCancelsTheSenderAndFails) {
    const std::string snapget = LUMORA_BIN_DIR "/snapget";
    ASSERT_TRUE(fs::exists(snapget));
    auto pty = platform::PtyPair::create();
    ASSERT_TRUE(pty);
    TempDir dir;
    int err_pipe[2];
    ASSERT_EQ(::pipe(err_pipe), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("LUMORA_COM4", pty->device_path().c_str(), 1);
        ::setenv("HOME", dir.path.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", dir.path.c_str(), 1);
        ::dup2(err_pipe[1], 2);
        ::execl(snapget.c_str(), "snapget", "-com4", nullptr);
        ::_exit(127);
    }
    ::close(err_pipe[1]);
    // Wait for the first NAK: the port is open and the handler is in place.
    uint8_t byte = 0;
    pollfd p{pty->master_fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 10000), 1);
    ASSERT_EQ(::read(pty->master_fd(), &byte, 1), 1);
    EXPECT_EQ(byte, 0x15);
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::string text;
    char buf[256];
    ssize_t n;
    while ((n = ::read(err_pipe[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
    ::close(err_pipe[0]);
    EXPECT_EQ(text, "XMODEM receive failed\n");
    std::string rest;
    while (::poll(&p, 1, 200) == 1 && ::read(pty->master_fd(), &byte, 1) == 1)
        rest.push_back(static_cast<char>(byte));
    EXPECT_NE(rest.find(std::string(8, '\x18')), std::string::npos);
}

}  // namespace
}  // namespace lumora::snapget
