#pragma once
// A Line whose peer is a script: tests queue the bytes the console sends
// (optionally at a later moment of the line's own clock) and react to what
// the engine writes. Time only passes when a read waits, so a 60-second
// time-out costs nothing in a test.

#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "devlink/line.h"

namespace lumora::devlink {

class ScriptedLine : public Line {
  public:
    // Called after every successful write with the bytes of that write.
    using Responder = std::function<void(ScriptedLine&, std::span<const uint8_t>)>;

    // Queues bytes that become readable `delay_ms` from now.
    void feed(std::span<const uint8_t> bytes, int delay_ms = 0);
    void feed(const std::string& text, int delay_ms = 0);
    void feed_byte(uint8_t byte, int delay_ms = 0);
    void on_write(Responder responder) { responder_ = std::move(responder); }

    // Error injection.
    void set_line_errors(uint32_t flags) { pending_errors_ = flags; }
    void fail_reads(bool fail) { fail_reads_ = fail; }
    void fail_writes(bool fail) { fail_writes_ = fail; }
    void set_open(bool open) { open_ = open; }
    // Reads fail once the clock passes this point: a runaway loop in an
    // engine ends the test instead of hanging it.
    void set_give_up_after_ms(int64_t ms) { give_up_ms_ = ms; }

    // What the engine sent.
    const std::vector<uint8_t>& written() const { return written_; }
    std::string written_text() const { return std::string(written_.begin(), written_.end()); }
    const std::vector<std::vector<uint8_t>>& writes() const { return writes_; }
    void clear_written() {
        written_.clear();
        writes_.clear();
    }
    size_t pending() const { return incoming_.size(); }
    int purges() const { return purges_; }
    int64_t total_read_wait_ms() const { return waited_ms_; }

    bool is_open() const override { return open_; }
    int bytes_waiting() override;
    long read(uint8_t* buffer, size_t n, int timeout_ms) override;
    bool write(const uint8_t* data, size_t n, int timeout_ms) override;
    using Line::write;
    bool purge() override;
    uint32_t take_line_errors() override;
    int last_error() const override { return last_error_; }
    int64_t now_ms() const override { return now_; }
    void sleep_ms(int ms) override {
        if (ms > 0) now_ += ms;
    }

  private:
    struct Timed {
        int64_t at;
        uint8_t byte;
    };
    std::deque<Timed> incoming_;
    std::vector<uint8_t> written_;
    std::vector<std::vector<uint8_t>> writes_;
    Responder responder_;
    int64_t now_ = 0;
    int64_t waited_ms_ = 0;
    int64_t give_up_ms_ = 24LL * 3600 * 1000;
    uint32_t pending_errors_ = 0;
    int last_error_ = 0;
    int purges_ = 0;
    bool open_ = true;
    bool fail_reads_ = false;
    bool fail_writes_ = false;
};

}  // namespace lumora::devlink
