#include "devlink/capture_receiver.h"

#include <gtest/gtest.h>

#include "devlink/scripted_line.h"
#include "devlink/xmodem.h"

namespace lumora::devlink {
namespace {

std::vector<uint8_t> block_bytes(uint8_t number, uint8_t fill) {
    std::vector<uint8_t> data(kBlockData, fill);
    auto b = make_block(number, data);
    return std::vector<uint8_t>(b.begin(), b.end());
}

struct ReceiverFixture : ::testing::Test {
    ScriptedLine line;
    std::string log;
    std::vector<std::pair<int, std::string>> messages;
    std::atomic<bool> interrupted{false};

    std::optional<std::vector<uint8_t>> receive(ReceiveOptions options = {}) {
        options.interrupted = &interrupted;
        CaptureReceiver receiver(
            line,
            [this](int level, const std::string& t) {
                messages.emplace_back(level, t);
                log += t;
            },
            options);
        auto result = receiver.receive();
        last_code = receiver.last_code();
        return result;
    }
    // Answers every NAK/ACK the receiver writes with the next step of `steps`.
    void serve(std::vector<std::vector<uint8_t>> steps) {
        auto shared = std::make_shared<std::vector<std::vector<uint8_t>>>(std::move(steps));
        auto index = std::make_shared<size_t>(0);
        line.on_write([shared, index](ScriptedLine& l, std::span<const uint8_t> w) {
            if (w.size() == 1 && (w[0] == kNAK || w[0] == kACK) && *index < shared->size()) {
                l.feed((*shared)[(*index)++], 1);
            }
        });
    }
    size_t count_written(uint8_t byte) const {
        return static_cast<size_t>(std::count(line.written().begin(), line.written().end(), byte));
    }
    uint16_t last_code = 0;
};

TEST_F(ReceiverFixture, ReceivesBlocksUntilEot) {
    serve({block_bytes(1, 0xAA), block_bytes(2, 0xBB), {kEOT}});
    auto data = receive();
    ASSERT_TRUE(data);
    std::vector<uint8_t> expected(kBlockData, 0xAA);
    expected.insert(expected.end(), kBlockData, 0xBB);
    EXPECT_EQ(*data, expected);
    EXPECT_EQ(line.written(), (std::vector<uint8_t>{kNAK, kACK, kACK, kACK}));
    EXPECT_EQ(log, ">oo<\n");
}

TEST_F(ReceiverFixture, BadChecksumThenResendKeepsTheBlockOnce) {
    auto bad = block_bytes(1, 0x11);
    bad[131] ^= 0x01;
    serve({bad, block_bytes(1, 0x11), block_bytes(2, 0x22), {kEOT}});
    auto data = receive();
    ASSERT_TRUE(data);
    ASSERT_EQ(data->size(), 2 * kBlockData);
    EXPECT_EQ((*data)[0], 0x11);
    EXPECT_EQ((*data)[kBlockData], 0x22);
    EXPECT_EQ(line.written(), (std::vector<uint8_t>{kNAK, kNAK, kACK, kACK, kACK}));
    EXPECT_EQ(log, ">xoo<\n");
}

TEST_F(ReceiverFixture, RepeatedBlockAfterALostAckIsKeptOnce) {
    serve({block_bytes(1, 0x11), block_bytes(1, 0x11), block_bytes(2, 0x22), {kEOT}});
    auto data = receive();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->size(), 2 * kBlockData);
    EXPECT_EQ(count_written(kACK), 4u);
}

TEST_F(ReceiverFixture, OutOfSequenceBlockWarnsAndIsKept) {
    serve({block_bytes(1, 0x11), block_bytes(5, 0x55), {kEOT}});
    auto data = receive();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->size(), 2 * kBlockData);
    EXPECT_EQ(messages[2], (std::pair<int, std::string>{kLevelWarning,
                                                        "Warning: invalid sequence (blocknumber 2 != 5)\n"}));
}

TEST_F(ReceiverFixture, InvalidBlockNumberFailsWithEightCans) {
    auto b = block_bytes(1, 0x11);
    b[2] = 0x00;
    serve({b});
    EXPECT_FALSE(receive());
    EXPECT_EQ(log, ">invalid blocknumber (0x01 , 0x00)");
    EXPECT_EQ(count_written(kCAN), 8u);
}

TEST_F(ReceiverFixture, CancelAndStrayBytesFail) {
    serve({{kCAN}});
    EXPECT_FALSE(receive());
    EXPECT_EQ(messages.back(), (std::pair<int, std::string>{kLevelError, "receive cancel char\n"}));

    ScriptedLine other;
    line.clear_written();
    serve({{'C'}});
    EXPECT_FALSE(receive());
    EXPECT_EQ(messages.back().second, "receive invalid char (0x43)\n");
}

TEST_F(ReceiverFixture, KeepsAskingWithNakUntilTheSenderStarts) {
    // The sender wakes up after about 30 s: NAK every 376 x 13 ms meanwhile.
    line.feed(block_bytes(1, 0x31), 30000);
    line.feed(std::vector<uint8_t>{kEOT}, 1);
    auto data = receive();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->size(), kBlockData);
    size_t naks = count_written(kNAK);
    EXPECT_EQ(naks, 1u + 30000 / (13 * 376));
    EXPECT_EQ(log, std::string(naks, '>') + "o<\n");
}

TEST_F(ReceiverFixture, SilenceInsideATransferIsATimeOut) {
    auto b = block_bytes(1, 0x31);
    b.resize(60);  // the sender stops in the middle of a block
    serve({b});
    EXPECT_FALSE(receive());
    EXPECT_EQ(last_code, kCommTimeout);
    EXPECT_EQ(messages.back().second, "comm_receive_char() error (8101)\n");
    EXPECT_EQ(count_written(kCAN), 8u);

    // Between blocks as well, once the first block has come.
    ScriptedLine fresh;
    messages.clear();
    line.clear_written();
    serve({block_bytes(1, 0x31)});
    EXPECT_FALSE(receive());
    EXPECT_EQ(messages.back().second, "comm_receive_char() error (8101)\n");
}

TEST_F(ReceiverFixture, InterruptEndsTheReceiveAndStillCancelsTheSender) {
    line.on_write([this](ScriptedLine&, std::span<const uint8_t> w) {
        if (w.size() == 1 && w[0] == kACK) interrupted = true;
    });
    line.feed(block_bytes(1, 1), 1);
    line.feed(block_bytes(2, 2), 100);
    EXPECT_FALSE(receive());
    EXPECT_EQ(last_code, kCommInterrupted);
    EXPECT_EQ(messages.back().second, "comm_receive_char() error (8103)\n");
    EXPECT_EQ(count_written(kCAN), 8u);
}

TEST_F(ReceiverFixture, LineErrorsGiveOverrunOrDriverError) {
    line.set_line_errors(0x2);
    EXPECT_FALSE(receive());
    EXPECT_EQ(last_code, kCommOverrun);
    EXPECT_EQ(messages[1].second.rfind("ReadFile: error = ", 0), 0u);
    EXPECT_EQ(messages.back().second, "comm_receive_char() error (8102)\n");

    messages.clear();
    line.set_line_errors(0x8);
    EXPECT_FALSE(receive());
    EXPECT_EQ(last_code, kCommTimeout);
}

TEST_F(ReceiverFixture, FailedWritesAreReported) {
    line.fail_writes(true);
    EXPECT_FALSE(receive());
    EXPECT_EQ(messages[1].second, "WriteFile: error = 5\n");
    EXPECT_EQ(messages[2].second, "comm_send_char(NAK) error (8101)\n");

    // A failed final ACK is reported, but the data are good.
    ScriptedLine l2;
    line.fail_writes(false);
    messages.clear();
    line.on_write([](ScriptedLine& l, std::span<const uint8_t> w) {
        if (w.size() == 1 && w[0] == kNAK) {
            l.feed(std::vector<uint8_t>{kEOT});
            l.fail_writes(true);
        }
    });
    auto data = receive();
    ASSERT_TRUE(data);
    EXPECT_TRUE(data->empty());
    EXPECT_EQ(messages.back().second, "comm_send_char(ACK) error (8101)\n");
}

TEST_F(ReceiverFixture, ClosedLineGivesNotOpen) {
    line.set_open(false);
    EXPECT_FALSE(receive());
    EXPECT_EQ(last_code, kCommNotOpen);
    EXPECT_EQ(messages.back().second, "comm_send_char(NAK) error (8100)\n");
}

TEST_F(ReceiverFixture, BufferIsBounded) {
    std::vector<std::vector<uint8_t>> steps;
    for (int i = 1; i <= 5; ++i)
        steps.push_back(block_bytes(static_cast<uint8_t>(i), static_cast<uint8_t>(i)));
    serve(steps);
    ReceiveOptions options;
    options.max_bytes = 4 * kBlockData;
    EXPECT_FALSE(receive(options));
    EXPECT_EQ(messages.back(), (std::pair<int, std::string>{kLevelError, "realloc() failed\n"}));
    EXPECT_EQ(count_written(kCAN), 8u);
}

TEST_F(ReceiverFixture, BlockNumbersWrapAfter255) {
    std::vector<std::vector<uint8_t>> steps;
    for (int i = 1; i <= 300; ++i)
        steps.push_back(block_bytes(static_cast<uint8_t>(i), static_cast<uint8_t>(i)));
    steps.push_back({kEOT});
    serve(steps);
    auto data = receive();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->size(), 300 * kBlockData);
    EXPECT_EQ((*data)[256 * kBlockData], static_cast<uint8_t>(257));
    for (const auto& m : messages) EXPECT_NE(m.first, kLevelWarning) << m.second;
}

}  // namespace
}  // namespace lumora::devlink
