#include "platform/serial_port.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/pty_pair.h"

namespace lumora::platform {
namespace {

struct Line {
    PtyPair pair;
    SerialPort tool;     // the end a program opens by path
    SerialPort console;  // the other end
};

Line open_line() {
    auto pair = PtyPair::create();
    EXPECT_TRUE(pair.has_value());
    Line line{std::move(*pair), {}, {}};
    EXPECT_TRUE(line.tool.open(line.pair.device_path()));
    SerialSettings s;
    s.flow = SerialSettings::Flow::None;
    s.dtr = SerialSettings::Line::Off;
    s.rts = SerialSettings::Line::Off;
    EXPECT_TRUE(line.tool.configure(s));  // modem lines are refused by a pty, silently
    line.console.adopt(::dup(line.pair.master_fd()));
    return line;
}

TEST(SerialPort, BytesCrossThePseudoTerminalUnchanged) {
    Line line = open_line();
    // Every byte value, including CR, LF, XON/XOFF and 0xFF, passes raw.
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    ASSERT_TRUE(line.console.write_all(all.data(), all.size()));
    std::vector<uint8_t> got(256);
    ASSERT_EQ(line.tool.read_exact(got.data(), got.size(), 5000), 256);
    EXPECT_EQ(got, all);
    ASSERT_TRUE(line.tool.write_all("ok\r\n", 4));
    uint8_t back[4];
    ASSERT_EQ(line.console.read_exact(back, 4, 5000), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back), 4), "ok\r\n");
}

TEST(SerialPort, ReadTimesOutAndCountsWaitingBytes) {
    Line line = open_line();
    uint8_t b = 0;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(line.tool.read_byte(b, 50), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));
    ASSERT_TRUE(line.console.write_all("abc", 3));
    for (int i = 0; i < 200 && line.tool.bytes_waiting() < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(line.tool.bytes_waiting(), 3);
    EXPECT_TRUE(line.tool.purge(true, true));
    EXPECT_EQ(line.tool.bytes_waiting(), 0);
    EXPECT_FALSE(line.tool.take_line_errors().any());  // a pty counts no errors
}

TEST(SerialPort, FailuresAreReportedNotFatal) {
    SerialPort port;
    EXPECT_FALSE(port.open("/nonexistent/ttyS99"));
    EXPECT_NE(port.last_error(), 0);
    EXPECT_FALSE(port.open("/dev/null"));  // not a terminal
    uint8_t b;
    EXPECT_EQ(port.read(&b, 1, 10), -1);
    EXPECT_FALSE(port.write_all("x", 1));
    EXPECT_EQ(port.bytes_waiting(), -1);
    Line line = open_line();
    SerialSettings odd;
    odd.baud = 12345;
    EXPECT_FALSE(line.tool.configure(odd));
}

TEST(SerialPort, HangUpOfTheOtherEndIsAnError) {
    auto pair = PtyPair::create();
    ASSERT_TRUE(pair);
    SerialPort tool;
    ASSERT_TRUE(tool.open(pair->device_path()));
    int master = pair->release_master();
    ::close(master);
    uint8_t b;
    EXPECT_EQ(tool.read(&b, 1, 1000), -1);
}

TEST(LineErrors, FlagsUseTheCommunicationErrorBits) {
    LineErrors e;
    EXPECT_EQ(e.flags(), 0u);
    e.overrun = 1;
    e.frame = 3;
    EXPECT_EQ(e.flags(), 0x2u | 0x8u);
    e.parity = 1;
    e.brk = 1;
    EXPECT_EQ(e.flags(), 0x1Eu);
}

}  // namespace
}  // namespace lumora::platform
