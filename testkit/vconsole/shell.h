#pragma once
// The console's resident shell as a state machine: bytes from the line go
// in, bytes for the line come out with the time they are due. Time is passed
// in by the caller, so tests step it by hand and the program uses the clock.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "testkit/vconsole/command.h"
#include "testkit/vconsole/storage.h"
#include "testkit/vconsole/xmodem.h"

namespace lumora::vconsole {

struct ShellOptions {
    uint32_t capacity_blocks = 2048;  // 256 KiB
    int exists_code = 450;            // answer to an upload onto an existing name (450 or 550)
    bool crlf = true;                 // status lines end in CR LF, else LF alone
    int corrupt_block = 0;            // treat this block (1 = header) as damaged the first time
    int cancel_after = 0;             // cancel the first upload after this many blocks
    bool silent = false;              // a console that never answers
    int answer_delay_ms = 0;          // each status line waits this long
    int exec_run_ms = 200;            // how long an executed program "runs"
    int nak_interval_ms = 3000;       // NAK again when the sender stays quiet this long
    int max_naks = 20;                // then give the upload up
    int frame_timeout_ms = 1000;      // a pause this long inside a block drops the block
    int discard_ms = 250;             // after refusing an upload, ignore the rest of the sender's bytes
};

class ShellSession {
  public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;
    enum class State { Command, Receiving, Running, Discarding };

    explicit ShellSession(ShellOptions options);

    void receive(std::span<const uint8_t> bytes, TimePoint now);
    // Fires the timers that are due (NAK repeats, end of a run, ...).
    void advance(TimePoint now);
    // The output due by `now`, in order.
    std::vector<uint8_t> take_output(TimePoint now);
    bool has_output() const { return !out_.empty(); }
    // When advance() or take_output() next has something to do.
    std::optional<TimePoint> next_wakeup() const;

    State state() const { return state_; }
    bool echo() const { return echo_; }
    Rom0Storage& storage() { return storage_; }
    const Rom0Storage& storage() const { return storage_; }

    // Called when an upload has been stored and when a file is deleted.
    std::function<void(const StoredFile&)> on_stored;
    std::function<void(const std::string& name)> on_deleted;
    // A readable transcript: "< " what came in, "> " what went out, "# " notes.
    std::function<void(const std::string& line)> on_log;

  private:
    struct Upload {
        bool have_header = false;
        std::string name;
        std::vector<uint8_t> header;
        uint64_t size = 0;
        uint16_t mode = 0;
        std::vector<uint8_t> body;
        int naks = 0;
        TimePoint nak_at;
        TimePoint frame_deadline;
        std::string typed;  // text between blocks: a command line abandons the upload
    };

    void command_byte(uint8_t b, TimePoint now);
    void run_line(TimePoint now);
    void receiving_byte(uint8_t b, TimePoint now);
    void on_frame(const XmodemReceiver::Frame& f, TimePoint now);
    bool take_header(const XmodemReceiver::Frame& f, TimePoint now);
    void finish_upload(TimePoint now);
    void refuse(int code, const std::string& text, TimePoint now);
    void start_put(TimePoint now);
    void list(TimePoint now);

    TimePoint emit(std::vector<uint8_t> bytes, TimePoint now, bool is_status);
    TimePoint status(int code, const std::string& text, TimePoint now);
    TimePoint control(uint8_t byte, const char* name, TimePoint now);
    void log(const std::string& line);

    ShellOptions opt_;
    Rom0Storage storage_;
    State state_ = State::Command;
    bool echo_ = true;

    std::string line_;
    bool line_too_long_ = false;
    bool after_cr_ = false;

    XmodemReceiver rx_;
    Upload up_;
    bool corrupt_done_ = false;
    bool cancel_done_ = false;

    TimePoint run_end_;
    std::string running_;
    std::vector<uint8_t> held_;  // typed ahead while a program runs
    TimePoint discard_until_;

    struct Pending {
        TimePoint due;
        std::vector<uint8_t> bytes;
    };
    std::deque<Pending> out_;
    TimePoint last_due_{};
};

}  // namespace lumora::vconsole
