// Truncated and mutated streams fed to every reader of console bytes: none
// may crash, overrun or hang, and whatever they return must be consistent.

#include <gtest/gtest.h>

#include <random>

#include "devlink/capture_receiver.h"
#include "devlink/console_script.h"
#include "devlink/ide_link.h"
#include "devlink/putw_link.h"
#include "devlink/scripted_line.h"
#include "devlink/xmodem.h"

namespace lumora::devlink {
namespace {

std::vector<uint8_t> good_capture_stream() {
    std::vector<uint8_t> s;
    for (int i = 1; i <= 3; ++i) {
        std::vector<uint8_t> data(kBlockData, static_cast<uint8_t>(i * 40));
        auto b = make_block(static_cast<uint8_t>(i), data);
        s.insert(s.end(), b.begin(), b.end());
    }
    s.push_back(kEOT);
    return s;
}

std::vector<uint8_t> mutate(std::vector<uint8_t> s, std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 3);
    int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits && !s.empty(); ++e) {
        size_t at = rng() % s.size();
        switch (kind(rng)) {
            case 0:
                s[at] = static_cast<uint8_t>(rng());
                break;
            case 1:
                s.erase(s.begin() + static_cast<long>(at));
                break;
            case 2:
                s.insert(s.begin() + static_cast<long>(at), static_cast<uint8_t>(rng()));
                break;
            default:
                s.resize(at);
                break;
        }
    }
    return s;
}

TEST(EngineRobustness, ReceiverSurvivesTruncatedAndMutatedStreams) {
    const auto good = good_capture_stream();
    std::mt19937 rng(1234);
    int succeeded = 0;
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> stream =
            round < 50 ? std::vector<uint8_t>(good.begin(), good.begin() + round * 8 % good.size())
                       : mutate(good, rng);
        ScriptedLine line;
        line.feed(stream, 1);
        ReceiveOptions options;
        options.attempts = 4;  // keep silent stretches short; the sender is the script
        CaptureReceiver receiver(line, nullptr, options);
        auto data = receiver.receive();
        if (data) {
            ++succeeded;
            EXPECT_EQ(data->size() % kBlockData, 0u);
            EXPECT_LE(data->size(), 4 * kBlockData);
        }
    }
    EXPECT_GT(succeeded, 0);
}

TEST(EngineRobustness, StatusReadersSurviveRandomBytes) {
    std::mt19937 rng(99);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> noise(rng() % 3000);
        for (auto& b : noise) b = static_cast<uint8_t>(rng() % 4 == 0 ? '\n' : rng());
        {
            ScriptedLine line;
            line.feed(noise);
            std::vector<std::string> posted;
            IdeLink link([&](const std::string& s) { posted.push_back(s); });
            link.attach(line);
            int code = link.read_status(1000);
            EXPECT_GE(code, -1);
            for (const auto& p : posted) EXPECT_EQ(p.find_first_of("\r\n"), std::string::npos);
        }
        {
            ScriptedLine line;
            line.feed(noise);
            PutwLink link;
            link.attach(line);
            int code = link.read_status();
            EXPECT_GE(code, 0);
            EXPECT_EQ(link.last_code(), code == 0 ? link.last_code() : code);
        }
    }
}

TEST(EngineRobustness, IdeUploadAgainstAGarblingConsoleEnds) {
    std::mt19937 rng(7);
    std::vector<uint8_t> body(700, 0x5A);
    for (int round = 0; round < 60; ++round) {
        ScriptedLine line;
        testing::ConsoleScript console;
        console.attach(line);
        console.block_answer = [&](size_t, const std::vector<uint8_t>&) {
            static const uint8_t choices[] = {kACK, kACK, kNAK, kCAN, 'x', kACK};
            std::string a;
            for (int i = 0; i < 1 + static_cast<int>(rng() % 3); ++i)
                a.push_back(static_cast<char>(choices[rng() % sizeof choices]));
            if (rng() % 8 == 0) a += "452 full\n";
            return a;
        };
        line.set_give_up_after_ms(10LL * 60 * 1000);
        IdeLink link([](const std::string&) {});
        link.attach(line);
        link.upload_entry(build_plain_entry_at("x", body.size(), CalendarTime{}, EntryFlavor::Ide), body);
        EXPECT_LE(line.now_ms(), 10LL * 60 * 1000 + 60000);
    }
}

}  // namespace
}  // namespace lumora::devlink
