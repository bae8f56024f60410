// The engines over a real pseudo-terminal: the IDE and transfer-tool senders
// talk to a small shell played by a thread on the master end, whose XMODEM
// receiving is the capture receiver itself.

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "devlink/capture_receiver.h"
#include "devlink/file_entry.h"
#include "devlink/ide_link.h"
#include "devlink/putw_link.h"
#include "devlink/xmodem.h"
#include "platform/pty_pair.h"

namespace lumora::devlink {
namespace {

// Reads one command line. The transfer tool ends its lines with CR LF, so
// the shell ends a line at `end` and drops CR otherwise.
std::string read_command(SerialLine& line, char end) {
    std::string text;
    for (;;) {
        uint8_t b = 0;
        long n = line.read(&b, 1, 10000);
        if (n <= 0) return "<none>";
        if (b == static_cast<uint8_t>(end)) return text;
        if (b == '\r' || b == '\n') continue;
        text.push_back(static_cast<char>(b));
    }
}

struct MiniShell {
    std::vector<std::string> commands;
    std::optional<std::vector<uint8_t>> received;

    char end = '\r';

    void serve(int master_fd, int commands_to_serve) {
        platform::SerialPort port;
        port.adopt(::dup(master_fd));
        SerialLine line(std::move(port));
        for (int i = 0; i < commands_to_serve; ++i) {
            std::string c = read_command(line, end);
            commands.push_back(c);
            if (c.rfind("put", 0) == 0) {
                line.write(std::string("350 ready\r\n"), 1000);
                CaptureReceiver receiver(line, nullptr);
                received = receiver.receive();
                line.write(std::string("200 stored\r\n"), 1000);
            } else {
                line.write(std::string("200 ok\r\n"), 1000);
            }
        }
    }
};

std::vector<uint8_t> sample_body(size_t n) {
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>((i * 131) ^ (i >> 3));
    return b;
}

TEST(PtyLink, IdeUploadArrivesByteForByte) {
    auto pty = platform::PtyPair::create();
    ASSERT_TRUE(pty);
    MiniShell shell;
    std::thread console([&] { shell.serve(pty->master_fd(), 2); });
    std::vector<std::string> posted;
    IdeLink link([&](const std::string& s) { posted.push_back(s); });
    ASSERT_TRUE(link.open_device(pty->device_path()));
    DirectoryEntry entry = build_plain_entry_at("demo.bin", 5000, CalendarTime{2025, 1, 2, 3, 4, 6}, EntryFlavor::Ide);
    auto body = sample_body(5000);
    EXPECT_TRUE(link.stty());
    EXPECT_TRUE(link.upload_entry(entry, body));
    link.close();
    console.join();
    ASSERT_TRUE(shell.received);
    std::vector<uint8_t> expected = build_header(entry);
    expected.insert(expected.end(), body.begin(), body.end());
    expected.resize((expected.size() + 127) / 128 * 128, kSUB);
    EXPECT_EQ(*shell.received, expected);
    EXPECT_EQ(shell.commands, (std::vector<std::string>{"stty -echo", "put /rom0"}));
    EXPECT_EQ(posted, (std::vector<std::string>{"200 ok", "350 ready", "200 stored"}));
}

TEST(PtyLink, TransferToolUploadArrivesByteForByte) {
    auto pty = platform::PtyPair::create();
    ASSERT_TRUE(pty);
    MiniShell shell;
    shell.end = '\n';
    std::thread console([&] { shell.serve(pty->master_fd(), 2); });
    PutwLink link;
    ASSERT_TRUE(link.open_device(pty->device_path(), 0));
    link.set_read_timeout(kPutwSetupReadMs);
    link.stty();
    link.set_read_timeout(kPutwUploadReadMs);
    DirectoryEntry entry = build_plain_entry_at("pic.fr", 1000, CalendarTime{}, EntryFlavor::LmPutw);
    std::vector<uint8_t> data = build_header(entry);
    auto body = sample_body(1000);
    data.insert(data.end(), body.begin(), body.end());
    data.resize(128 + 128 * 8, kSUB);
    EXPECT_TRUE(link.upload(data, "/rom0/"));
    EXPECT_EQ(link.last_code(), 200);
    link.close();
    console.join();
    ASSERT_TRUE(shell.received);
    EXPECT_EQ(*shell.received, data);
    EXPECT_EQ(shell.commands, (std::vector<std::string>{"stty -echo", "put /rom0/"}));
}

TEST(PtyLink, SilentConsoleFailsTheIdeUploadAfterAboutASecond) {
    auto pty = platform::PtyPair::create();
    ASSERT_TRUE(pty);
    int pumps = 0;
    IdeLink link([](const std::string&) {}, [&] { ++pumps; });
    ASSERT_TRUE(link.open_device(pty->device_path()));
    int64_t start = steady_ms();
    EXPECT_FALSE(link.upload("/nonexistent.fx"));
    int64_t took = steady_ms() - start;
    EXPECT_GE(took, 1000);
    EXPECT_LT(took, 5000);  // generous: the machine may be busy
    // The wait polls: the pump ran many times, but not thousands (no spinning).
    EXPECT_GT(pumps, 20);
    EXPECT_LT(pumps, 300);
}

}  // namespace
}  // namespace lumora::devlink
