#pragma once
// The transfer tool's side of the console conversation. It runs on the
// tool's worker thread: every port call takes one lock, and a cancel flag
// that the dialog thread sets is looked at between XMODEM blocks and in the
// defrag wait.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "devlink/file_entry.h"
#include "devlink/line.h"
#include "devlink/transfer_log.h"

namespace lumora::devlink {

// Read time-out constants of the tool's phases.
constexpr int kPutwOpenReadMs = 1;
constexpr int kPutwSetupReadMs = 500;
constexpr int kPutwUploadReadMs = 1000;
// A block the console keeps rejecting is given up after this many sends.
constexpr int kPutwBlockTries = 10;
// Waiting for a status code gives up after this many lines with other codes.
constexpr int kPutwWaitLines = 64;

// What the transfer tool sends for one file: the entry it describes and the
// bytes of the upload.
struct PutwUpload {
    DirectoryEntry entry;
    std::vector<uint8_t> data;
};

// A file entry is sent as it is; any other file gets the plain-file entry of
// the transfer tool and its body padded with SUB to whole blocks.
// `file_name` is the name without folder, `mtime` the last-write time.
PutwUpload prepare_putw_upload(std::vector<uint8_t> file, std::string_view file_name, std::time_t mtime);

class PutwLink {
  public:
    // Debug output texts (UTF-8), e.g. "ACK無し\n".
    using DebugSink = std::function<void(const std::string& text)>;
    using Progress = std::function<void(size_t position, size_t total)>;

    PutwLink() = default;
    ~PutwLink();
    PutwLink(const PutwLink&) = delete;
    PutwLink& operator=(const PutwLink&) = delete;

    void set_log(TransferLog* log) { log_ = log; }
    void set_debug(DebugSink sink) { debug_ = std::move(sink); }
    void set_progress(Progress progress) { progress_ = std::move(progress); }

    // Opens "COM" + (comm_port + 1) with the tool's settings; baud_setting 0
    // means 38400 bit/s, anything else 9600.
    bool open(uint32_t comm_port, uint32_t baud_setting);
    bool open_device(const std::string& device, uint32_t baud_setting);
    void attach(Line& line);
    void close();
    bool is_open() const;
    // errno of a failed open.
    int open_error() const { return open_error_; }

    // The constant part of every read's time-out (1 + this many ms per byte).
    void set_read_timeout(int constant_ms);
    int read_timeout() const { return read_constant_ms_; }

    std::atomic<bool>& cancel_flag() { return cancel_; }
    bool cancelled() const { return cancel_.load(std::memory_order_relaxed); }

    // One status line: its leading code, 0 on time-out or for a short line.
    int read_status();
    int last_code() const { return last_code_; }
    // Lines until one gives `code` (returns it) or 0 (returns 0); 0 as well
    // after kPutwWaitLines lines with other codes.
    int wait_for(int code);
    // One line, and one more when it gave 125 or 0; not judged.
    void wait_loose();

    bool purge();
    void stty();
    // `path` is folder + name, e.g. "/rom0/game.fx".
    void delete_file(const std::string& path);
    void defrag(const std::string& folder);
    bool exec(const std::string& path);
    // Sends a whole file entry (header included) into `folder`. A cancel
    // between blocks aborts with CAN CAN and fails the upload.
    bool upload(std::span<const uint8_t> entry_data, const std::string& folder);

  private:
    bool write_bytes(const uint8_t* data, size_t n);
    bool write_text(const std::string& text);
    int read_byte(uint8_t& byte);  // 1, 0 time-out, -1 error
    void debug(const char* text);
    void take_refusal();
    std::optional<std::string> read_line();  // nullopt when a read brings nothing

    std::mutex lock_;
    std::unique_ptr<SerialLine> own_;
    Line* line_ = nullptr;
    TransferLog* log_ = nullptr;
    DebugSink debug_;
    Progress progress_;
    std::atomic<bool> cancel_{false};
    int read_constant_ms_ = kPutwOpenReadMs;
    int last_code_ = 0;
    int open_error_ = 0;
};

}  // namespace lumora::devlink
