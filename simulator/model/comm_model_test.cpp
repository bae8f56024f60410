// Serial requests against a pseudo-terminal pair: the test plays the far end
// on the master side, the model serves the area on the device side.

#include "comm_model.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/pty_pair.h"
#include "test_area.h"

namespace lumora::simvane {
namespace {

using testing::TestArea;

class CommModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto pair = platform::PtyPair::create();
        ASSERT_TRUE(pair);
        pty_ = std::make_unique<platform::PtyPair>(std::move(*pair));
        a_[sv_flag_init_adr] = 0;
        model_ = std::make_unique<CommModel>(pty_->device_path(), [this] { return stop_.load(); });
    }
    // Sets a request as the program under test does and serves it.
    void request(uint8_t cmd, uint16_t len = 0, int16_t timeout = 0) {
        a_.put16(sv_com_len_adr, len);
        a_.put16(sv_com_tout_adr, static_cast<uint16_t>(timeout));
        a_[sv_com_cmd_adr] = cmd;
        model_->round(a_.area(), false);
    }
    void far_end_writes(const std::string& bytes) {
        ASSERT_EQ(::write(pty_->master_fd(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        // Let the line discipline hand them over.
        pollfd p{pty_->device_fd(), POLLIN, 0};
        ::poll(&p, 1, 2000);
    }
    std::string far_end_reads(size_t n) {
        std::string got;
        while (got.size() < n) {
            pollfd p{pty_->master_fd(), POLLIN, 0};
            if (::poll(&p, 1, 5000) != 1) break;
            char buf[4096];
            const ssize_t r = ::read(pty_->master_fd(), buf, sizeof buf);
            if (r <= 0) break;
            got.append(buf, static_cast<size_t>(r));
        }
        return got;
    }
    std::string buffer(size_t n) const {
        return std::string(reinterpret_cast<char*>(a_.base() + sv_com_buf_adr), n);
    }
    void fill_buffer(const std::string& s) { std::copy(s.begin(), s.end(), a_.base() + sv_com_buf_adr); }
    void expect_answer(uint16_t count, uint16_t result) {
        EXPECT_EQ(a_[sv_com_cmd_adr], 0);
        EXPECT_EQ(a_.get16(sv_com_len_adr), count);
        EXPECT_EQ(a_.get16(sv_com_stt_adr), result);
    }

    std::unique_ptr<platform::PtyPair> pty_;
    TestArea a_;
    std::atomic<bool> stop_{false};
    std::unique_ptr<CommModel> model_;
};

TEST_F(CommModelTest, OpenSendReceiveClose) {
    request(SV_COM_OPEN);
    EXPECT_EQ(a_[sv_com_cmd_adr], 0);
    EXPECT_EQ(a_.get16(sv_com_stt_adr), SV_COM_OK);
    EXPECT_TRUE(model_->is_open());

    fill_buffer("hello console");
    a_[sv_com_bps_adr] = 1;
    request(SV_COM_SEND, 5);
    expect_answer(5, SV_COM_OK);
    EXPECT_EQ(far_end_reads(5), "hello");

    far_end_writes("abcd");
    request(SV_COM_RECEIVE, 4, 10);
    expect_answer(4, SV_COM_OK);
    EXPECT_EQ(buffer(4), "abcd");

    request(SV_COM_CLOSE);
    EXPECT_EQ(a_[sv_com_cmd_adr], 0);
    EXPECT_FALSE(model_->is_open());
    // With the device closed, sending and receiving answer at once.
    request(SV_COM_SEND, 5);
    expect_answer(0, SV_COM_TIMEOUT);
    request(SV_COM_RECEIVE, 5, -1);
    expect_answer(0, SV_COM_TIMEOUT);
}

TEST_F(CommModelTest, ReceiveWithTimeOutZeroTakesOnlyWhatIsWaiting) {
    request(SV_COM_OPEN);
    far_end_writes("xyz");
    const auto started = std::chrono::steady_clock::now();
    request(SV_COM_RECEIVE, 10, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
    expect_answer(3, SV_COM_TIMEOUT);
    EXPECT_EQ(buffer(3), "xyz");
    request(SV_COM_RECEIVE, 10, 0);
    expect_answer(0, SV_COM_TIMEOUT);
}

TEST_F(CommModelTest, ReceiveTimeOutCountsFramesPerByte) {
    request(SV_COM_OPEN);
    // Bytes arrive 50 ms apart, inside a time-out of 8 frames (about 107 ms) each.
    std::thread far([this] {
        for (char c : std::string("slow")) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ASSERT_EQ(::write(pty_->master_fd(), &c, 1), 1);
        }
    });
    request(SV_COM_RECEIVE, 6, 8);
    far.join();
    expect_answer(4, SV_COM_TIMEOUT);
    EXPECT_EQ(buffer(4), "slow");
}

TEST_F(CommModelTest, UnlimitedReceiveEndsWhenTold) {
    request(SV_COM_OPEN);
    far_end_writes("ab");
    std::thread stopper([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        stop_ = true;
    });
    const auto started = std::chrono::steady_clock::now();
    request(SV_COM_RECEIVE, 5, -1);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    expect_answer(2, SV_COM_TIMEOUT);
}

TEST_F(CommModelTest, UnknownRequestsAndOverlongLengthsAreAnswered) {
    request(0x33, 77);
    expect_answer(0, SV_COM_TIMEOUT);

    request(SV_COM_OPEN);
    std::string big(SV_COM_BUF_SIZE, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    fill_buffer(big);
    std::string seen;
    std::thread far([&] { seen = far_end_reads(SV_COM_BUF_SIZE); });
    request(SV_COM_SEND, 0xFFFF);
    far.join();
    expect_answer(SV_COM_BUF_SIZE, SV_COM_TIMEOUT);
    EXPECT_EQ(seen, big);
    // The byte past the buffer (the font data) is never sent or written.
    a_[sv_font_adr] = 0x42;
    // More than the line holds at once, so written while the receive runs.
    std::thread writer([this] {
        const std::string bytes(SV_COM_BUF_SIZE + 10, 'r');
        ASSERT_EQ(::write(pty_->master_fd(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    });
    request(SV_COM_RECEIVE, SV_COM_BUF_SIZE + 10, 40);
    writer.join();
    expect_answer(SV_COM_BUF_SIZE, SV_COM_TIMEOUT);
    EXPECT_EQ(a_[sv_font_adr], 0x42);
}

TEST_F(CommModelTest, PausedClosesTheDeviceAndKeepsTheRequestPending) {
    request(SV_COM_OPEN);
    ASSERT_TRUE(model_->is_open());
    fill_buffer("later");
    a_.put16(sv_com_len_adr, 5);
    a_[sv_com_cmd_adr] = SV_COM_SEND;
    model_->round(a_.area(), true);
    EXPECT_FALSE(model_->is_open());
    EXPECT_EQ(a_[sv_com_cmd_adr], SV_COM_SEND);
    // Allowed again: the device is back and the send goes out.
    model_->round(a_.area(), false);
    EXPECT_TRUE(model_->is_open());
    expect_answer(5, SV_COM_OK);
    EXPECT_EQ(far_end_reads(5), "later");
    // A device the program closed stays closed.
    request(SV_COM_CLOSE);
    model_->round(a_.area(), true);
    model_->round(a_.area(), false);
    EXPECT_FALSE(model_->is_open());
}

TEST(CommDevice, EnvironmentChoosesTheDevice) {
    ::setenv("SIMVANE_SERIAL", "/dev/pts/99", 1);
    EXPECT_EQ(serial_device_from_environment(), "/dev/pts/99");
    ::unsetenv("SIMVANE_SERIAL");
    ::setenv("LUMORA_COM1", "/dev/ttyUSB3", 1);
    EXPECT_EQ(serial_device_from_environment(), "/dev/ttyUSB3");
    ::unsetenv("LUMORA_COM1");
    EXPECT_EQ(serial_device_from_environment(), "/dev/ttyS0");
}

}  // namespace
}  // namespace lumora::simvane
