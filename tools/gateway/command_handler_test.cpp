#include "command_handler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fake_sockets.h"

namespace lumora::gateway {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::CountingPauses;
using testing::FakeSockets;

Bytes frame(uint8_t cls, uint8_t code, Bytes args = {}) {
    // Sized first, then filled: GCC 12 at -O3 misreads an insert behind a
    // four-byte initialiser as an overflow (-Warray-bounds).
    Bytes f(4 + args.size());
    f[0] = cls;
    f[2] = static_cast<uint8_t>(args.size() + 1);
    f[3] = code;
    std::copy(args.begin(), args.end(), f.begin() + 4);
    return f;
}

Bytes with_text(Bytes head, const std::string& text) {
    head.insert(head.end(), text.begin(), text.end());
    return head;
}

// A request whose arguments are `prefix` followed by `text`.
Bytes request(uint8_t cls, uint8_t code, Bytes prefix, const std::string& text) {
    return frame(cls, code, with_text(std::move(prefix), text));
}

struct Rig {
    FakeSockets sockets;
    CountingPauses pauses;
    CommandHandler handler{sockets, pauses};
    CancelFlag cancel{false};

    std::optional<Bytes> run(const Bytes& f) { return handler.handle(f, cancel).reply; }
    // Brings the adapter into one of its three states.
    void to_state(int state) {
        if (state >= 1) run(frame(0x01, 0x02));
        if (state >= 2) run(frame(0x01, 0x08));
    }
    int open() {
        auto r = run(frame(0x11, 0x01));
        return r ? (*r)[4] : -1;
    }
};

const Bytes kDialupReply{0x01, 0x00, 0x15, 0x0B, 0x00, 0x08, 0x48, 0x01, 0xC0, 0xA8, 0x00, 0x01,
                         0xC0, 0xA8, 0x00, 0x02, 0xC0, 0xA8, 0x00, 0x03, 0xC0, 0xA8, 0x00, 0x04};

// Every phone, status and power command, in each of the three adapter states
// (off, on, on and connected): the reply bytes and the state afterwards.
TEST(CommandHandlerAdapter, RepliesInEveryState) {
    struct Case {
        Bytes request;
        Bytes reply[3];
        bool powered_after[3];
        bool connected_after[3];
    };
    const Case cases[] = {
        {frame(0x01, 0x00),
         {{1, 0, 3, 0, 0, 0x0F}, {1, 0, 3, 0, 0, 0x0F}, {1, 0, 3, 0, 0, 0x0F}},
         {false, true, true},
         {false, false, true}},
        {frame(0x01, 0x02),
         {{0x00, 0x55, 0x55, 0x55, 0x55, 0x55}, {1, 0, 3, 2, 0x31, 0x30}, {1, 0, 3, 2, 0x31, 0x30}},
         {true, true, true},
         {false, false, true}},
        {frame(0x01, 0x08, {0x12, 0x34}),
         {kDialupReply, kDialupReply, kDialupReply},
         {false, true, true},
         {true, true, true}},
        {frame(0x01, 0x0A),
         {{1, 0, 2, 0x0B, 0xF3}, {1, 0, 2, 0x0B, 0xF3}, {1, 0, 2, 0x0B, 0xF3}},
         {false, true, true},
         {false, false, false}},
        {frame(0x01, 0x10, {9}),
         {{1, 0, 2, 0x10, 1}, {1, 0, 2, 0x10, 1}, {1, 0, 2, 0x10, 1}},
         {false, true, true},
         {false, false, true}},
        {frame(0x01, 0x11, {9}),
         {{1, 0, 2, 0x11, 1}, {1, 0, 2, 0x11, 1}, {1, 0, 2, 0x11, 1}},
         {false, true, true},
         {false, false, true}},
        {frame(0x02, 0x01),
         {{2, 0, 2, 2, 0x00}, {2, 0, 2, 2, 0x02}, {2, 0, 2, 2, 0x03}},
         {false, true, true},
         {false, false, true}},
        {frame(0x0F, 0xFF),
         {{0x0F, 0, 1, 0xFF, 0}, {0x0F, 0, 1, 0xFF, 0}, {0x0F, 0, 1, 0xFF, 0}},
         {false, false, false},
         {false, false, true}},
    };
    for (const Case& c : cases) {
        for (int state = 0; state < 3; ++state) {
            SCOPED_TRACE(std::string(CommandHandler::status_text(c.request)) + " in state " +
                         std::to_string(state));
            Rig rig;
            rig.to_state(state);
            EXPECT_EQ(rig.run(c.request), c.reply[state]);
            EXPECT_EQ(rig.handler.powered(), c.powered_after[state]);
            EXPECT_EQ(rig.handler.connected(), c.connected_after[state]);
        }
    }
}

// The socket and name commands need neither power nor a connection, and
// answer the same in every adapter state.
TEST(CommandHandlerAdapter, SocketCommandsAnswerAlikeInEveryState) {
    for (int state = 0; state < 3; ++state) {
        SCOPED_TRACE(state);
        Rig rig;
        rig.to_state(state);
        rig.sockets.hosts["h"] = {10, 0, 0, 9};
        EXPECT_EQ(rig.run(frame(0x11, 0x01)), (Bytes{0x11, 0, 2, 1, 0}));
        Bytes addr{0, 0x00, 0x02, 0x50, 0x00, 10, 0, 0, 9};
        addr.resize(17, 0);
        EXPECT_EQ(rig.run(frame(0x11, 0x03, addr)), (Bytes{0x11, 0, 3, 3, 0, 1}));
        EXPECT_EQ(rig.run(request(0x11, 0x0E, {0}, "abc")), (Bytes{0x11, 0, 3, 0x0E, 0, 3}));
        rig.sockets.deliver(100, "ok\r\nxy");
        EXPECT_EQ(rig.run(frame(0x11, 0x0D, {0, 20})), with_text({0x11, 0, 7, 0x0D, 0, 4}, "ok\r\n"));
        EXPECT_EQ(rig.run(frame(0x11, 0x0F, {0, 20})), with_text({0x11, 0, 5, 0x0F, 0, 2}, "xy"));
        EXPECT_EQ(rig.run(request(0x11, 0x08, {}, std::string("h\0", 2))),
                  (Bytes{0x11, 0, 8, 0x08, 0x01, 'h', 0x00, 10, 0, 0, 9}));
        EXPECT_EQ(rig.run(frame(0x11, 0x07, {0})), (Bytes{0x11, 0, 3, 7, 0, 1}));
    }
}

TEST(CommandHandlerAdapter, StatusFollowsTheWholeLifecycleAndDelaysAreKept) {
    Rig rig;
    auto status = [&] { return (*rig.run(frame(0x02, 0x01)))[4]; };
    EXPECT_EQ(status(), 0x00);
    rig.run(frame(0x01, 0x02));
    EXPECT_EQ(status(), 0x02);
    rig.run(frame(0x01, 0x08));
    EXPECT_EQ(status(), 0x03);
    rig.run(frame(0x01, 0x0A));
    EXPECT_EQ(status(), 0x02);
    rig.run(frame(0x0F, 0xFF));
    EXPECT_EQ(status(), 0x00);
    // power ON (from off) 1 ms, dialup 500 ms, hangup 1 ms; nothing else waits.
    EXPECT_EQ(rig.pauses.pauses, (std::vector<int>{1, 500, 1}));
}

TEST(CommandHandlerAdapter, StatusTextsAndUnknownCommands) {
    EXPECT_EQ(CommandHandler::status_text(frame(0x01, 0x00)), "check PDC");
    EXPECT_EQ(CommandHandler::status_text(frame(0x11, 0x08)), "gethstbyname");
    EXPECT_EQ(CommandHandler::status_text(frame(0x11, 0x0F)), "recv a buffer");
    Rig rig;
    for (const Bytes& f : {frame(0x01, 0x01), frame(0x02, 0x02), frame(0x0F, 0x00), frame(0x11, 0x02),
                           frame(0x33, 0x44), Bytes{0x01, 0x00, 0x00}}) {
        EXPECT_EQ(CommandHandler::status_text(f), "unkown command!");
        const HandleResult r = rig.handler.handle(f, rig.cancel);
        EXPECT_TRUE(r.unknown);
        EXPECT_FALSE(r.reply);
        EXPECT_EQ(r.command_class, f[0]);
    }
    EXPECT_EQ(rig.handler.handle(frame(0x33, 0x44), rig.cancel).command_code, 0x44);
}

TEST(CommandHandlerSockets, OpenIsRoundRobinAndTheNinthIsRefused) {
    Rig rig;  // sockets need neither power nor a connection
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rig.open(), i);
    EXPECT_EQ(rig.run(frame(0x11, 0x01)), (Bytes{0x11, 0, 2, 1, 0xFF}));

    EXPECT_EQ(rig.run(frame(0x11, 0x07, {3})), (Bytes{0x11, 0, 3, 7, 3, 1}));
    EXPECT_EQ(rig.open(), 3);  // the only free slot, found after wrapping round
    EXPECT_EQ(rig.sockets.open_count(), 8u);

    Rig fresh;
    EXPECT_EQ(fresh.open(), 0);
    fresh.run(frame(0x11, 0x07, {0}));
    EXPECT_EQ(fresh.open(), 1);  // not slot 0 again
    fresh.sockets.fail_open = true;
    EXPECT_EQ(fresh.run(frame(0x11, 0x01)), (Bytes{0x11, 0, 2, 1, 0xFF}));
    fresh.sockets.fail_open = false;
    EXPECT_EQ(fresh.open(), 2);  // a failed open does not move the index
}

TEST(CommandHandlerSockets, CloseAndBadSlots) {
    Rig rig;
    EXPECT_EQ(rig.run(frame(0x11, 0x07, {0})), (Bytes{0x11, 0, 3, 7, 0, 0}));  // already free
    rig.open();
    EXPECT_EQ(rig.run(frame(0x11, 0x07, {0})), (Bytes{0x11, 0, 3, 7, 0, 1}));
    EXPECT_EQ(rig.sockets.closed, std::vector<int>{100});
    EXPECT_EQ(rig.run(frame(0x11, 0x07, {0})), (Bytes{0x11, 0, 3, 7, 0, 0}));

    // Slots outside 0-7 and missing arguments are refused with each command's failure reply.
    for (int i = 0; i < 8; ++i) rig.open();
    for (uint8_t bad : {8, 0x7F, 0xFF}) {
        SCOPED_TRACE(int(bad));
        EXPECT_EQ(rig.run(frame(0x11, 0x07, {bad})), (Bytes{0x11, 0, 3, 7, bad, 0}));
        EXPECT_EQ(rig.run(frame(0x11, 0x0E, {bad, 'x'})), (Bytes{0x11, 0, 3, 0x0E, bad, 0xFF}));
        EXPECT_EQ(rig.run(frame(0x11, 0x0D, {bad, 5})), (Bytes{0x11, 0, 3, 0x0D, bad, 0xFF}));
        EXPECT_EQ(rig.run(frame(0x11, 0x0F, {bad, 5})), (Bytes{0x11, 0, 3, 0x0F, bad, 0xFF}));
        Bytes addr{bad, 0x00, 0x02, 0x50, 0x00, 127, 0, 0, 1};
        addr.resize(17, 0);
        EXPECT_EQ(rig.run(frame(0x11, 0x03, addr)), (Bytes{0x11, 0, 3, 3, bad, 0}));
    }
    EXPECT_EQ(rig.run(frame(0x11, 0x07)), (Bytes{0x11, 0, 3, 7, 0xFF, 0}));
    EXPECT_EQ(rig.run(frame(0x11, 0x0E)), (Bytes{0x11, 0, 3, 0x0E, 0xFF, 0xFF}));
    EXPECT_EQ(rig.run(frame(0x11, 0x0D, {1})), (Bytes{0x11, 0, 3, 0x0D, 1, 0xFF}));
    EXPECT_TRUE(rig.sockets.connects.empty());
}

TEST(CommandHandlerSockets, ConnectSwapsFamilyAndPortBytes) {
    Rig rig;
    rig.open();
    // family 00 02 (high byte first), port 0x1F90 = 8080 low byte first, 10.1.2.3.
    Bytes args{0, 0x00, 0x02, 0x90, 0x1F, 10, 1, 2, 3};
    args.resize(17, 0xEE);
    EXPECT_EQ(rig.run(frame(0x11, 0x03, args)), (Bytes{0x11, 0, 3, 3, 0, 1}));
    ASSERT_EQ(rig.sockets.connects.size(), 1u);
    const SocketAddress& a = rig.sockets.connects[0].second;
    EXPECT_EQ(a.family, 2);
    EXPECT_EQ(a.port, 8080);
    EXPECT_EQ(a.ipv4, (std::array<uint8_t, 4>{10, 1, 2, 3}));

    rig.sockets.connect_result = false;
    EXPECT_EQ(rig.run(frame(0x11, 0x03, args)), (Bytes{0x11, 0, 3, 3, 0, 0}));
    // A truncated address is not connected to at all.
    args.resize(12);
    EXPECT_EQ(rig.run(frame(0x11, 0x03, args)), (Bytes{0x11, 0, 3, 3, 0, 0}));
    EXPECT_EQ(rig.sockets.connects.size(), 2u);
    // Connect on a slot with no socket.
    args.resize(17, 0);
    args[0] = 5;
    EXPECT_EQ(rig.run(frame(0x11, 0x03, args)), (Bytes{0x11, 0, 3, 3, 5, 0}));
}

TEST(CommandHandlerSockets, SendUsesTheSignedLengthRule) {
    Rig rig;
    rig.open();
    EXPECT_EQ(rig.run(request(0x11, 0x0E, {0}, "GET / HTTP/1.0\r\n\r\n")), (Bytes{0x11, 0, 3, 0x0E, 0, 18}));
    EXPECT_EQ(rig.sockets.sent[100], with_text({}, "GET / HTTP/1.0\r\n\r\n"));

    Bytes f = frame(0x11, 0x0E, {0});
    f.resize(f.size() + 127, 'a');
    f[2] = static_cast<uint8_t>(f.size() - 3);
    EXPECT_EQ(rig.run(f), (Bytes{0x11, 0, 3, 0x0E, 0, 127}));
    f.push_back('a');
    f[2] = static_cast<uint8_t>(f.size() - 3);  // 128 data bytes: negative as a signed byte
    EXPECT_EQ(rig.run(f), (Bytes{0x11, 0, 3, 0x0E, 0, 0xFF}));
    EXPECT_EQ(rig.sockets.sent[100].size(), 18u + 127u);

    EXPECT_EQ(rig.run(frame(0x11, 0x0E, {0})), (Bytes{0x11, 0, 3, 0x0E, 0, 0}));  // nothing to send
    rig.sockets.send_result = -1;
    EXPECT_EQ(rig.run(request(0x11, 0x0E, {0}, "x")), (Bytes{0x11, 0, 3, 0x0E, 0, 0xFF}));
}

TEST(CommandHandlerSockets, RecvALineStopsAtCrLfAfterMoreThanTwoBytes) {
    Rig rig;
    rig.open();
    rig.sockets.deliver(100, "OK\r\nNEXT");
    EXPECT_EQ(rig.run(frame(0x11, 0x0D, {0, 100})), with_text({0x11, 0, 7, 0x0D, 0, 4}, "OK\r\n"));
    // A bare CR LF at the start does not end the line.
    rig.sockets.script[100].clear();
    rig.sockets.deliver(100, "\r\nA\r\n");
    EXPECT_EQ(rig.run(frame(0x11, 0x0D, {0, 100})), with_text({0x11, 0, 8, 0x0D, 0, 5}, "\r\nA\r\n"));
    // M bytes end it too.
    rig.sockets.deliver(100, "ABCDEF");
    EXPECT_EQ(rig.run(frame(0x11, 0x0D, {0, 3})), with_text({0x11, 0, 6, 0x0D, 0, 3}, "ABC"));
    // So does a pause, with each wait one second long.
    rig.sockets.script[100].clear();
    rig.sockets.deliver(100, "xy");
    rig.sockets.pause(100);
    rig.sockets.deliver(100, "z");
    rig.sockets.waits.clear();
    EXPECT_EQ(rig.run(frame(0x11, 0x0D, {0, 50})), with_text({0x11, 0, 5, 0x0D, 0, 2}, "xy"));
    EXPECT_EQ(rig.sockets.waits, (std::vector<int>{1000, 1000, 1000}));
}

TEST(CommandHandlerSockets, RecvABufferIgnoresLineEndsAndRefusesBadCounts) {
    Rig rig;
    rig.open();
    rig.sockets.deliver(100, "OK\r\nMORE");
    EXPECT_EQ(rig.run(frame(0x11, 0x0F, {0, 6})), with_text({0x11, 0, 9, 0x0F, 0, 6}, "OK\r\nMO"));
    // M = 0 and M above 127 are answered at once, without touching the socket.
    rig.sockets.waits.clear();
    for (uint8_t m : {0x00, 0x80, 0xFF})
        EXPECT_EQ(rig.run(frame(0x11, 0x0F, {0, m})), (Bytes{0x11, 0, 3, 0x0F, 0, 0xFF}));
    EXPECT_TRUE(rig.sockets.waits.empty());
    // 127 is the largest count taken.
    rig.sockets.script[100].clear();
    rig.sockets.deliver(100, std::string(200, 'q'));
    auto r = rig.run(frame(0x11, 0x0F, {0, 127}));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->size(), 6u + 127u);
    EXPECT_EQ((*r)[2], 130);
    EXPECT_EQ((*r)[5], 127);
}

TEST(CommandHandlerSockets, ReceiveEndsOnPeerCloseErrorOrSilenceWithinItsLength) {
    Rig rig;
    rig.open();
    // Nothing arrives: C = FF and a length byte that covers exactly what is sent.
    EXPECT_EQ(rig.run(frame(0x11, 0x0D, {0, 10})), (Bytes{0x11, 0, 3, 0x0D, 0, 0xFF}));
    rig.sockets.deliver(100, "ab");
    rig.sockets.peer_close(100);
    EXPECT_EQ(rig.run(frame(0x11, 0x0F, {0, 10})), with_text({0x11, 0, 5, 0x0F, 0, 2}, "ab"));
    EXPECT_EQ(rig.run(frame(0x11, 0x0F, {0, 10})), (Bytes{0x11, 0, 3, 0x0F, 0, 0xFF}));
    rig.sockets.script[100].clear();
    rig.sockets.deliver(100, "c");
    rig.sockets.error(100);
    EXPECT_EQ(rig.run(frame(0x11, 0x0D, {0, 10})), with_text({0x11, 0, 4, 0x0D, 0, 1}, "c"));
}

TEST(CommandHandlerNames, LookupEchoesTheNameWithTheFirstAddress) {
    Rig rig;
    rig.sockets.hosts["example.test"] = {192, 0, 2, 7};
    EXPECT_EQ(rig.run(request(0x11, 0x08, {}, std::string("example.test\0", 13))),
              with_text({0x11, 0, 19, 0x08, 0x01}, std::string("example.test\0\xC0\x00\x02\x07", 17)));
    EXPECT_EQ(rig.run(request(0x11, 0x08, {}, std::string("nowhere.test\0", 13))),
              (Bytes{0x11, 0, 2, 0x08, 0x00}));
    // No terminating 00 byte: refused without a look-up.
    EXPECT_EQ(rig.run(request(0x11, 0x08, {}, "example.test")), (Bytes{0x11, 0, 2, 0x08, 0x00}));
    EXPECT_EQ(rig.sockets.lookups.size(), 2u);
    // Bytes after the 00 are ignored.
    EXPECT_EQ(rig.run(request(0x11, 0x08, {}, std::string("example.test\0zz", 15)))->size(), 22u);
    // A name too long to echo within one length byte is not found.
    std::string long_name(249, 'a');
    long_name.push_back('\0');
    rig.sockets.hosts[std::string(249, 'a')] = {1, 2, 3, 4};
    EXPECT_EQ(rig.run(request(0x11, 0x08, {}, long_name)), (Bytes{0x11, 0, 2, 0x08, 0x00}));
    long_name.erase(0, 1);
    rig.sockets.hosts[std::string(248, 'a')] = {1, 2, 3, 4};
    auto r = rig.run(request(0x11, 0x08, {}, long_name));
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[2], 255);
    EXPECT_EQ(r->size(), 258u);
}

TEST(CommandHandlerRobustness, RandomFramesNeverCrashAndTheAdapterStillAnswers) {
    uint32_t seed = 777;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<uint8_t>(seed >> 24);
    };
    Rig rig;
    rig.sockets.hosts["a"] = {1, 1, 1, 1};
    const uint8_t classes[] = {0x01, 0x02, 0x0F, 0x11, 0x11, 0x11, 0x42};
    for (int i = 0; i < 20000; ++i) {
        Bytes f(3 + next() % 40);
        for (auto& b : f) b = next();
        f[0] = classes[next() % 7];
        if (next() & 1) f[2] = static_cast<uint8_t>(f.size() - 3);  // mostly consistent lengths
        if (f.size() > 3 && f[0] == 0x11) f[3] = static_cast<uint8_t>(next() % 16);
        if (next() % 4 == 0) rig.sockets.deliver(100 + next() % 10, "data\r\n");
        const HandleResult r = rig.handler.handle(f, rig.cancel);
        if (r.reply) {
            ASSERT_GE(r.reply->size(), 5u);
            // Every reply is a well-formed frame, except the two fixed odd ones.
            const bool odd = (*r.reply)[0] == 0x00 || (*r.reply)[0] == 0x0F;
            if (!odd) {
                EXPECT_EQ(r.reply->size(), static_cast<size_t>((*r.reply)[2]) + 3);
            }
        }
        EXPECT_LE(rig.handler.sockets().used(), 8);
    }
    rig.run(frame(0x01, 0x02));
    EXPECT_EQ(rig.run(frame(0x02, 0x01))->size(), 5u);
    EXPECT_EQ(rig.run(frame(0x01, 0x00)), (Bytes{1, 0, 3, 0, 0, 0x0F}));
}

}  // namespace
}  // namespace lumora::gateway
