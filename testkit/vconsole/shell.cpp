#include "testkit/vconsole/shell.h"

#include <algorithm>
#include <cstdio>

#include "devlink/file_entry.h"

namespace lumora::vconsole {
namespace {

constexpr size_t kMaxLine = 255;

std::chrono::milliseconds ms(int n) {
    return std::chrono::milliseconds(std::max(n, 0));
}

// Line text for the transcript: printable ASCII as is, the rest as \xNN.
std::string printable(std::string_view s) {
    std::string out;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}

// Names and words inside a status line: control bytes would break the line
// (or look like XMODEM control to a sender), so they are shown as '?'.
std::string shown(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return out;
}

}  // namespace

ShellSession::ShellSession(ShellOptions options) : opt_(options), storage_(options.capacity_blocks) {}

void ShellSession::log(const std::string& line) {
    if (on_log) on_log(line);
}

ShellSession::TimePoint ShellSession::emit(std::vector<uint8_t> bytes, TimePoint now, bool is_status) {
    if (opt_.silent) return now;
    TimePoint due = std::max(now, last_due_);
    if (is_status) due += ms(opt_.answer_delay_ms);
    last_due_ = due;
    if (!out_.empty() && out_.back().due == due) {
        out_.back().bytes.insert(out_.back().bytes.end(), bytes.begin(), bytes.end());
    } else {
        out_.push_back(Pending{due, std::move(bytes)});
    }
    return due;
}

ShellSession::TimePoint ShellSession::status(int code, const std::string& text, TimePoint now) {
    char head[8];
    std::snprintf(head, sizeof head, "%03d ", code);
    std::string line = std::string(head) + text;
    log("> " + printable(line));
    line += opt_.crlf ? "\r\n" : "\n";
    return emit(std::vector<uint8_t>(line.begin(), line.end()), now, true);
}

ShellSession::TimePoint ShellSession::control(uint8_t byte, const char* name, TimePoint now) {
    log(std::string("> ") + name);
    return emit({byte}, now, false);
}

std::vector<uint8_t> ShellSession::take_output(TimePoint now) {
    std::vector<uint8_t> bytes;
    while (!out_.empty() && out_.front().due <= now) {
        bytes.insert(bytes.end(), out_.front().bytes.begin(), out_.front().bytes.end());
        out_.pop_front();
    }
    return bytes;
}

std::optional<ShellSession::TimePoint> ShellSession::next_wakeup() const {
    std::optional<TimePoint> t;
    auto consider = [&](TimePoint p) {
        if (!t || p < *t) t = p;
    };
    if (!out_.empty()) consider(out_.front().due);
    switch (state_) {
        case State::Receiving:
            consider(rx_.in_frame() ? up_.frame_deadline : up_.nak_at);
            break;
        case State::Running:
            consider(run_end_);
            break;
        case State::Discarding:
            consider(discard_until_);
            break;
        case State::Command:
            break;
    }
    return t;
}

void ShellSession::receive(std::span<const uint8_t> bytes, TimePoint now) {
    if (opt_.silent) {
        if (!bytes.empty()) log("# silent: ignored " + std::to_string(bytes.size()) + " bytes");
        return;
    }
    advance(now);
    for (uint8_t b : bytes) {
        switch (state_) {
            case State::Command:
                command_byte(b, now);
                break;
            case State::Receiving:
                receiving_byte(b, now);
                break;
            case State::Running:
                held_.push_back(b);
                break;
            case State::Discarding:
                if (now < discard_until_) break;
                state_ = State::Command;
                command_byte(b, now);
                break;
        }
    }
}

void ShellSession::advance(TimePoint now) {
    switch (state_) {
        case State::Command:
            break;
        case State::Discarding:
            if (now >= discard_until_) state_ = State::Command;
            break;
        case State::Running:
            if (now >= run_end_) {
                status(200, running_ + ": finished", now);
                state_ = State::Command;
                std::vector<uint8_t> held;
                held.swap(held_);
                if (!held.empty()) receive(held, now);
            }
            break;
        case State::Receiving:
            if (rx_.in_frame()) {
                if (now >= up_.frame_deadline) {
                    log("# block cut short");
                    rx_.drop_partial();
                    up_.nak_at = control(NAK, "NAK", now) + ms(opt_.nak_interval_ms);
                }
            } else if (now >= up_.nak_at) {
                if (up_.naks >= opt_.max_naks) {
                    log("# sender never answered");
                    emit({CAN, CAN}, now, false);
                    status(426, "transfer timed out", now);
                    state_ = State::Command;
                } else {
                    ++up_.naks;
                    up_.nak_at = control(NAK, "NAK", now) + ms(opt_.nak_interval_ms);
                }
            }
            break;
    }
}

void ShellSession::command_byte(uint8_t b, TimePoint now) {
    const bool was_cr = after_cr_;
    after_cr_ = false;
    if (b == '\n' && was_cr) return;  // the LF of a CR LF pair
    if (b == '\r' || b == '\n') {
        after_cr_ = b == '\r';
        if (echo_) emit({'\r', '\n'}, now, false);
        run_line(now);
        return;
    }
    if (b == 0x08 || b == 0x7F) {
        if (!line_.empty()) {
            line_.pop_back();
            if (echo_) emit({0x08, ' ', 0x08}, now, false);
        }
        return;
    }
    if (echo_) emit({b}, now, false);
    if (line_.size() >= kMaxLine) {
        line_too_long_ = true;
        return;
    }
    line_ += static_cast<char>(b);
}

void ShellSession::run_line(TimePoint now) {
    std::string line;
    line.swap(line_);
    const bool too_long = line_too_long_;
    line_too_long_ = false;
    log("< " + printable(line));
    if (too_long) {
        status(500, "line too long", now);
        return;
    }
    Command cmd = parse_command(line);
    switch (cmd.kind) {
        case CommandKind::Empty:
            return;
        case CommandKind::EchoOff:
            echo_ = false;
            status(200, "echo off", now);
            return;
        case CommandKind::EchoOn:
            echo_ = true;
            status(200, "echo on", now);
            return;
        case CommandKind::Put:
            start_put(now);
            return;
        case CommandKind::Delete:
            if (storage_.erase(cmd.name)) {
                status(200, shown(cmd.name) + ": deleted", now);
                if (on_deleted) on_deleted(cmd.name);
            } else {
                status(550, shown(cmd.name) + ": no such file", now);
            }
            return;
        case CommandKind::Defrag:
            status(125, "defragmenting rom0", now);
            storage_.defrag();
            status(200, "rom0: " + std::to_string(storage_.free_blocks()) + " blocks free", now);
            return;
        case CommandKind::Exec:
            if (!storage_.find(cmd.name)) {
                status(550, shown(cmd.name) + ": no such file", now);
                return;
            }
            running_ = shown(cmd.name);
            run_end_ = status(125, shown(cmd.name) + ": running", now) + ms(opt_.exec_run_ms);
            state_ = State::Running;
            return;
        case CommandKind::List:
            list(now);
            return;
        case CommandKind::BadArgument:
            status(501, shown(cmd.word) + ": " + cmd.why, now);
            return;
        case CommandKind::Unknown:
            status(500, shown(cmd.word) + ": unknown command", now);
            return;
    }
}

void ShellSession::list(TimePoint now) {
    for (const auto& f : storage_.files()) {
        char buf[96];
        devlink::DirectoryEntry e;
        if (f.header.size() >= devlink::kHeaderSize) std::copy_n(f.header.begin() + 64, 64, e.bytes);
        std::snprintf(buf, sizeof buf, "%-16s %8zu %-8s %6u+%u", shown(f.name).c_str(), f.body.size(),
                      e.mode_letters().c_str(), f.first_block, f.block_count);
        std::string line = buf;
        log("> " + printable(line));
        line += opt_.crlf ? "\r\n" : "\n";
        emit(std::vector<uint8_t>(line.begin(), line.end()), now, false);
    }
    status(200,
           std::to_string(storage_.files().size()) + " files, " + std::to_string(storage_.free_blocks()) +
               " of " + std::to_string(storage_.capacity()) + " blocks free, largest hole " +
               std::to_string(storage_.largest_hole()),
           now);
}

void ShellSession::start_put(TimePoint now) {
    up_ = Upload{};
    rx_.reset();
    state_ = State::Receiving;
    status(350, "ready to receive", now);
    up_.naks = 1;
    up_.nak_at = control(NAK, "NAK", now) + ms(opt_.nak_interval_ms);
}

void ShellSession::receiving_byte(uint8_t b, TimePoint now) {
    // A sender that gave up in the middle (the transfer tool never resends a
    // block) goes on with its next command. Text that forms a known command
    // line between blocks ends the upload instead of leaving the shell deaf
    // until its NAKs run out.
    if (!rx_.in_frame()) {
        if (b == '\r' && !up_.typed.empty()) {
            Command cmd = parse_command(up_.typed);
            std::string typed;
            typed.swap(up_.typed);
            if (cmd.kind != CommandKind::Unknown && cmd.kind != CommandKind::Empty &&
                cmd.kind != CommandKind::BadArgument) {
                log("# command during upload, upload abandoned");
                status(426, "upload abandoned", now);
                state_ = State::Command;
                line_ = typed;
                after_cr_ = false;
                command_byte('\r', now);
                return;
            }
        } else if (b >= 0x20 && b < 0x7F && up_.typed.size() < kMaxLine) {
            up_.typed += static_cast<char>(b);
            return;
        } else {
            up_.typed.clear();
        }
    }
    auto frame = rx_.feed(b);
    if (rx_.in_frame()) up_.frame_deadline = now + ms(opt_.frame_timeout_ms);
    if (frame) on_frame(*frame, now);
}

void ShellSession::refuse(int code, const std::string& text, TimePoint now) {
    log("> CAN CAN");
    emit({CAN, CAN}, now, false);
    status(code, text, now);
    state_ = State::Discarding;
    discard_until_ = now + ms(opt_.discard_ms);
}

void ShellSession::on_frame(const XmodemReceiver::Frame& f, TimePoint now) {
    using Kind = XmodemReceiver::Kind;
    const size_t position = rx_.accepted_blocks() + 1;  // 1 = the header block
    auto next_nak = [&](TimePoint t) { up_.nak_at = t + ms(opt_.nak_interval_ms); };

    if (f.kind == Kind::Cancel) {
        log("< CAN CAN");
        status(426, "transfer cancelled by sender", now);
        state_ = State::Command;
        return;
    }
    if (opt_.cancel_after > 0 && !cancel_done_ && rx_.accepted_blocks() >= size_t(opt_.cancel_after) &&
        (f.kind == Kind::Block || f.kind == Kind::Eot)) {
        cancel_done_ = true;
        log("# cancelling after block " + std::to_string(opt_.cancel_after));
        refuse(426, "transfer aborted", now);
        return;
    }
    switch (f.kind) {
        case Kind::Eot:
            log("< EOT");
            finish_upload(now);
            return;
        case Kind::Bad:
            log("< block " + std::to_string(f.number) + " damaged");
            next_nak(control(NAK, "NAK", now));
            return;
        case Kind::Duplicate:
            log("< block " + std::to_string(f.number) + " again");
            next_nak(control(ACK, "ACK", now));
            return;
        case Kind::OutOfSequence:
            log("< block " + std::to_string(f.number) + " out of sequence, expected " +
                std::to_string(rx_.expected()));
            refuse(426, "block out of sequence", now);
            return;
        case Kind::Block:
            break;
        case Kind::Cancel:
            return;
    }
    log("< block " + std::to_string(f.number));
    if (opt_.corrupt_block > 0 && !corrupt_done_ && position == size_t(opt_.corrupt_block)) {
        corrupt_done_ = true;
        log("# pretending block " + std::to_string(f.number) + " was damaged");
        next_nak(control(NAK, "NAK", now));
        return;
    }
    if (!up_.have_header) {
        if (!take_header(f, now)) return;
    } else if (up_.body.size() < up_.size) {
        size_t take = std::min<uint64_t>(kDataSize, up_.size - up_.body.size());
        up_.body.insert(up_.body.end(), f.data.begin(), f.data.begin() + static_cast<std::ptrdiff_t>(take));
    }
    // Blocks past the declared size are padding (or junk); they are taken and dropped.
    rx_.accept();
    up_.naks = 0;
    next_nak(control(ACK, "ACK", now));
}

bool ShellSession::take_header(const XmodemReceiver::Frame& f, TimePoint now) {
    std::span<const uint8_t> block(f.data.data(), f.data.size());
    auto entry = devlink::has_header(block) ? devlink::read_entry(block) : std::nullopt;
    if (!entry) {
        refuse(426, "not a file entry", now);
        return false;
    }
    std::string name = entry->name();
    const std::string label = shown(name);
    if (name.empty()) {
        refuse(426, "file entry without a name", now);
        return false;
    }
    if (entry->size() < 0) {
        refuse(426, label + ": bad size in file entry", now);
        return false;
    }
    const uint64_t size = static_cast<uint64_t>(entry->size());
    switch (storage_.check(name, size)) {
        case PlaceResult::Ok:
            break;
        case PlaceResult::Exists:
            refuse(opt_.exists_code, label + ": file exists", now);
            return false;
        case PlaceResult::Fragmented:
            refuse(452, label + ": not enough contiguous space, defrag needed", now);
            return false;
        case PlaceResult::NoSpace:
            // 452 would send the tools into "defrag and retry", which cannot help here.
            refuse(426,
                   label + ": not enough space (" + std::to_string(Rom0Storage::blocks_for(size)) +
                       " blocks needed, " + std::to_string(storage_.free_blocks()) + " free)",
                   now);
            return false;
    }
    up_.have_header = true;
    up_.name = name;
    up_.size = size;
    up_.mode = entry->mode();
    up_.header.assign(f.data.begin(), f.data.end());
    up_.body.reserve(std::min<uint64_t>(size, 1 << 20));  // grows with what really arrives
    log("# receiving " + label + " (" + std::to_string(size) + " bytes)");
    return true;
}

void ShellSession::finish_upload(TimePoint now) {
    control(ACK, "ACK", now);
    state_ = State::Command;
    if (!up_.have_header) {
        status(426, "nothing received", now);
        return;
    }
    if (up_.body.size() < up_.size) {
        status(426,
               shown(up_.name) + ": incomplete, " + std::to_string(up_.body.size()) + " of " +
                   std::to_string(up_.size) + " bytes",
               now);
        return;
    }
    StoredFile file;
    file.name = up_.name;
    file.header = std::move(up_.header);
    file.body = std::move(up_.body);
    file.mode = up_.mode;
    if (storage_.add(file) != PlaceResult::Ok) {
        status(426, shown(file.name) + ": could not be stored", now);
        return;
    }
    if (on_stored) on_stored(*storage_.find(file.name));
    status(200, shown(file.name) + ": " + std::to_string(file.body.size()) + " bytes stored", now);
}

}  // namespace lumora::vconsole
