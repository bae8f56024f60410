#pragma once
// Test helper: a console shell played on a ScriptedLine. It answers the
// command lines the engines send and receives XMODEM blocks; tests adjust
// its answers to walk the recovery paths.

#include <functional>
#include <string>
#include <vector>

#include "devlink/scripted_line.h"
#include "devlink/xmodem.h"

namespace lumora::devlink::testing {

struct ConsoleScript {
    std::string eol = "\r\n";                  // end of the console's status lines
    std::vector<std::string> commands;         // command lines received (without CR/LF)
    std::vector<std::vector<uint8_t>> blocks;  // every block received, resends included
    std::vector<uint8_t> stored;               // data of the accepted blocks of the last upload
    int eots = 0;
    // The answer to a command line; default: 200 for everything, 350 + NAK for put.
    std::function<std::string(const std::string& command)> answer;
    // The answer to block number n (counted from 0 over every block sent); default ACK.
    std::function<std::string(size_t n, const std::vector<uint8_t>& block)> block_answer;
    std::string eot_answer = std::string(1, static_cast<char>(kACK));
    int delay_ms = 2;

    void attach(ScriptedLine& line) {
        line.on_write([this](ScriptedLine& l, std::span<const uint8_t> bytes) { on_bytes(l, bytes); });
    }

    std::string default_answer(const std::string& command) const {
        if (command.rfind("put ", 0) == 0) return "350 ready" + eol + std::string(1, static_cast<char>(kNAK));
        return "200 ok" + eol;
    }

  private:
    std::string pending_;
    bool in_transfer_ = false;
    size_t block_count_ = 0;

    void on_bytes(ScriptedLine& line, std::span<const uint8_t> bytes) {
        if (in_transfer_) {
            if (bytes.size() == kBlockSize && bytes[0] == kSOH) {
                std::vector<uint8_t> block(bytes.begin(), bytes.end());
                blocks.push_back(block);
                std::string a = block_answer ? block_answer(block_count_, block) : std::string(1, char(kACK));
                ++block_count_;
                if (!a.empty() && static_cast<uint8_t>(a[0]) == kACK) {
                    stored.insert(stored.end(), block.begin() + 3, block.begin() + 3 + kBlockData);
                }
                line.feed(a, delay_ms);
                return;
            }
            if (bytes.size() == 1 && bytes[0] == kEOT) {
                ++eots;
                in_transfer_ = false;
                line.feed(eot_answer, delay_ms);
                if (!eot_answer.empty() && static_cast<uint8_t>(eot_answer[0]) == kACK)
                    line.feed("200 stored" + eol, delay_ms);
                return;
            }
        }
        for (uint8_t b : bytes) {
            if (b == '\r' || b == '\n') {
                if (b == '\n' && pending_.empty()) continue;
                if (pending_.empty()) continue;
                std::string command = pending_;
                pending_.clear();
                commands.push_back(command);
                std::string a = answer ? answer(command) : default_answer(command);
                if (command.rfind("put ", 0) == 0 && a.find(static_cast<char>(kNAK)) != std::string::npos) {
                    in_transfer_ = true;
                    stored.clear();
                }
                line.feed(a, delay_ms);
            } else {
                pending_.push_back(static_cast<char>(b));
            }
        }
    }
};

}  // namespace lumora::devlink::testing
