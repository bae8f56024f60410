#pragma once
// The IDE's side of the console conversation: one link per transfer or run
// command, on COM1 at 38400 bit/s. Everything runs on the caller's (GUI)
// thread: every wait polls the line with a short time-out and calls the
// caller's pump in between, and every line the console sends, like every
// error of the link, is handed to the caller's sink as Shift-JIS bytes.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "devlink/file_entry.h"
#include "devlink/line.h"

namespace lumora::devlink {

using LineSink = std::function<void(const std::string& line)>;
using Pump = std::function<void()>;

struct IdeTimeouts {
    int status_ms = 1000;        // one status line
    int first_nak_ms = 60000;    // the console asks for the first block
    int block_answer_ms = 1000;  // ACK/NAK/CAN after a block
    int defrag_ms = 30000;       // reorganising storage takes a while
    // After EOT the console writes the file to its storage before it answers.
    // Ten seconds covers the largest program a console holds; a console that
    // stays silent longer has lost the transfer.
    int eot_answer_ms = 10000;
    int poll_ms = 15;  // one wait on the descriptor between pumps
    // A console that keeps rejecting one block, or keeps asking for the
    // upload to start over, has a problem a further try will not fix; these
    // bounds keep the IDE from retrying forever.
    int block_tries = 10;
    int restarts = 8;
};

// A file entry ready to send: its directory entry and the body after the header.
struct EntryFile {
    DirectoryEntry entry;
    std::vector<uint8_t> body;
};

// Reads a file to upload: a file entry gives its own directory entry and the
// bytes after its header; any other file gets the entry built for a plain
// file (IDE rules) and is sent whole. nullopt when the file cannot be read.
std::optional<EntryFile> load_entry_file(const std::string& path);

// The name a program runs under: the header's `name`, else the file's own
// name (at most 16 characters). nullopt when the file cannot be read.
std::optional<std::string> program_name_of_file(const std::string& path);

class IdeLink {
  public:
    explicit IdeLink(LineSink sink, Pump pump = {});
    ~IdeLink();
    IdeLink(const IdeLink&) = delete;
    IdeLink& operator=(const IdeLink&) = delete;

    // Opens COM1 with the IDE's line settings. Posts "OpenComm Error",
    // "GetCommState Error" or "SetCommState Error" on failure.
    bool open();
    bool open_device(const std::string& device);
    // Talks over a line the caller owns (tests, a shared port).
    void attach(Line& line);
    void close();
    bool is_open() const;

    IdeTimeouts& timeouts() { return timeouts_; }

    // One status code, or -1 for a time-out, a line error or a failed read.
    int read_status(int timeout_ms);
    bool stty();
    // Echo off, then the upload of the file at `path`.
    bool upload(const std::string& path);
    // The upload proper (no echo-off): put, header block, body blocks, EOT.
    bool upload_entry(const DirectoryEntry& entry, std::span<const uint8_t> body);
    bool delete_file(const std::string& name);
    bool defrag();
    bool exec(const std::string& name);

    // Blocks the last upload sent, resends included (progress and tests).
    int blocks_sent() const { return blocks_sent_; }

  private:
    enum class Wait { Byte, TimedOut, Failed };
    Wait wait_byte(int64_t deadline, uint8_t& byte);
    bool send(const std::string& text);
    bool send_block(const uint8_t* block, size_t n);
    int status_while_in_progress(int timeout_ms);
    void post(const std::string& line);
    void pump();

    LineSink sink_;
    Pump pump_;
    IdeTimeouts timeouts_;
    std::unique_ptr<SerialLine> own_;
    Line* line_ = nullptr;
    bool last_status_timed_out_ = false;
    int blocks_sent_ = 0;
};

}  // namespace lumora::devlink
