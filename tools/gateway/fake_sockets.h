#pragma once
// Scripted sockets and instant pauses for unit tests of the gateway.

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "socket_api.h"

namespace lumora::gateway::testing {

class FakeSockets : public SocketApi {
  public:
    // What the peer of a socket does, step by step: deliver bytes, pause, close.
    struct Event {
        enum Kind { Byte, Pause, Close, Error } kind;
        uint8_t byte = 0;
    };

    int open_stream() override {
        if (fail_open) return -1;
        const int h = next_handle_++;
        open_.insert(h);
        return h;
    }
    bool connect(int handle, const SocketAddress& address, const CancelFlag&) override {
        connects.push_back({handle, address});
        return connect_result;
    }
    long send(int handle, std::span<const uint8_t> data, const CancelFlag&) override {
        sent[handle].insert(sent[handle].end(), data.begin(), data.end());
        return send_result >= 0 ? send_result : (send_result == -1 ? -1 : static_cast<long>(data.size()));
    }
    WaitResult wait_readable(int handle, int timeout_ms, const CancelFlag&) override {
        waits.push_back(timeout_ms);
        auto& q = script[handle];
        if (q.empty()) return WaitResult::TimedOut;
        switch (q.front().kind) {
            case Event::Pause:
                q.pop_front();
                return WaitResult::TimedOut;
            case Event::Error:
                return WaitResult::Failed;
            default:
                return WaitResult::Readable;
        }
    }
    int receive_byte(int handle, uint8_t& byte) override {
        auto& q = script[handle];
        if (q.empty() || q.front().kind == Event::Close) return 0;
        if (q.front().kind != Event::Byte) return -1;
        byte = q.front().byte;
        q.pop_front();
        return 1;
    }
    void close(int handle) override {
        closed.push_back(handle);
        open_.erase(handle);
    }
    std::optional<std::array<uint8_t, 4>> lookup_ipv4(const std::string& name, const CancelFlag&) override {
        lookups.push_back(name);
        auto it = hosts.find(name);
        if (it == hosts.end()) return std::nullopt;
        return it->second;
    }

    void deliver(int handle, const std::string& bytes) {
        for (unsigned char c : bytes) script[handle].push_back({Event::Byte, c});
    }
    void pause(int handle) { script[handle].push_back({Event::Pause}); }
    void peer_close(int handle) { script[handle].push_back({Event::Close}); }
    void error(int handle) { script[handle].push_back({Event::Error}); }
    size_t open_count() const { return open_.size(); }

    bool fail_open = false;
    bool connect_result = true;
    long send_result = -2;  // -2: all bytes, -1: error, else that count
    std::map<std::string, std::array<uint8_t, 4>> hosts;
    std::map<int, std::deque<Event>> script;
    std::map<int, std::vector<uint8_t>> sent;
    std::vector<std::pair<int, SocketAddress>> connects;
    std::vector<int> closed;
    std::vector<int> waits;
    std::vector<std::string> lookups;

  private:
    int next_handle_ = 100;
    std::set<int> open_;
};

class CountingPauses : public Pauses {
  public:
    void pause_ms(int ms, const CancelFlag&) override { pauses.push_back(ms); }
    std::vector<int> pauses;
};

}  // namespace lumora::gateway::testing
