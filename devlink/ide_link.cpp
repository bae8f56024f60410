#include "devlink/ide_link.h"

#include <sys/stat.h>
#include <termios.h>

#include <algorithm>
#include <fstream>

#include "common/file_bytes.h"
#include "devlink/messages.h"
#include "devlink/xmodem.h"
#include "platform/com_name.h"

namespace lumora::devlink {

namespace {

// The status code of a line: the digits before the first space, when only
// digits come before it. nullopt when the line is not a status line.
std::optional<int> ide_status_code(const std::string& line) {
    long value = 0;
    for (char c : line) {
        if (c == ' ') return static_cast<int>(value);
        if (c < '0' || c > '9') return std::nullopt;
        value = std::min<long>(value * 10 + (c - '0'), 999999999L);
    }
    return std::nullopt;
}

}  // namespace

std::optional<EntryFile> load_entry_file(const std::string& path) {
    auto data = read_file_bytes(path);
    if (!data) return std::nullopt;
    EntryFile file;
    if (has_header(*data)) {
        auto entry = read_entry(*data);
        if (!entry) return std::nullopt;
        file.entry = *entry;
        file.body.assign(data->begin() + static_cast<long>(std::min(data->size(), kHeaderSize)), data->end());
        return file;
    }
    struct stat st {};
    std::time_t mtime = ::stat(path.c_str(), &st) == 0 ? st.st_mtime : std::time(nullptr);
    file.entry = build_plain_entry(path_base_name(path), data->size(), mtime, EntryFlavor::Ide);
    file.body = std::move(*data);
    return file;
}

std::optional<std::string> program_name_of_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> head(kHeaderSize);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    if (has_header(head)) {
        if (auto entry = read_entry(head)) return entry->name();
        return std::nullopt;
    }
    // The name the upload gave the file (the plain-file rule).
    DirectoryEntry entry;
    entry.set_name(entry_text_from_host_name(path_base_name(path)));
    return entry.name();
}

IdeLink::IdeLink(LineSink sink, Pump pump) : sink_(std::move(sink)), pump_(std::move(pump)) {}

IdeLink::~IdeLink() {
    close();
}

void IdeLink::post(const std::string& line) {
    if (sink_) sink_(line);
}

void IdeLink::pump() {
    if (pump_) pump_();
}

bool IdeLink::open() {
    return open_device(platform::com_port_device(1));
}

bool IdeLink::open_device(const std::string& device) {
    close();
    platform::SerialPort port;
    if (!port.open(device)) {
        post("OpenComm Error");
        return false;
    }
    termios current{};
    if (::tcgetattr(port.fd(), &current) != 0) {
        post("GetCommState Error");
        return false;  // the port closes with `port`
    }
    platform::SerialSettings settings;
    settings.baud = 38400;
    settings.flow = platform::SerialSettings::Flow::Keep;
    settings.dtr = platform::SerialSettings::Line::Off;
    settings.rts = platform::SerialSettings::Line::Off;
    if (!port.configure(settings)) {
        post("SetCommState Error");
        return false;
    }
    own_ = std::make_unique<SerialLine>(std::move(port));
    line_ = own_.get();
    return true;
}

void IdeLink::attach(Line& line) {
    close();
    line_ = &line;
}

void IdeLink::close() {
    line_ = nullptr;
    own_.reset();
}

bool IdeLink::is_open() const {
    return line_ && line_->is_open();
}

bool IdeLink::send(const std::string& text) {
    if (!is_open()) return false;
    return line_->write(text, 5000);
}

bool IdeLink::send_block(const uint8_t* block, size_t n) {
    ++blocks_sent_;
    return is_open() && line_->write(block, n, 5000);
}

IdeLink::Wait IdeLink::wait_byte(int64_t deadline, uint8_t& byte) {
    for (;;) {
        if (!is_open()) return Wait::Failed;
        int64_t left = deadline - line_->now_ms();
        if (left <= 0) return Wait::TimedOut;
        long n = line_->read(&byte, 1, static_cast<int>(std::min<int64_t>(left, timeouts_.poll_ms)));
        if (n < 0) return Wait::Failed;
        if (n == 1) return Wait::Byte;
        pump();
    }
}

int IdeLink::read_status(int timeout_ms) {
    last_status_timed_out_ = false;
    if (!is_open()) return -1;
    for (;;) {
        std::string text;
        int64_t start = line_->now_ms();
        for (;;) {
            pump();
            if (uint32_t errors = line_->take_line_errors()) {
                post(format("Error = %X", errors));
                return -1;
            }
            int64_t left = start + timeout_ms - line_->now_ms();
            if (left <= 0) {
                last_status_timed_out_ = true;
                return -1;
            }
            uint8_t byte = 0;
            long n = line_->read(&byte, 1, static_cast<int>(std::min<int64_t>(left, timeouts_.poll_ms)));
            if (n < 0) return -1;
            if (n == 0) continue;
            if (byte == '\n') break;
            if (byte == '\r') continue;
            text.push_back(static_cast<char>(byte));
        }
        post(text);
        if (auto code = ide_status_code(text)) return *code;
        // Not a status line (console chatter): a fresh time-out for the next one.
    }
}

int IdeLink::status_while_in_progress(int timeout_ms) {
    int code;
    do {
        code = read_status(timeout_ms);
    } while (code == 125);
    return code;
}

bool IdeLink::stty() {
    if (!send("stty -echo\r")) return false;
    return status_while_in_progress(timeouts_.status_ms) == 200;
}

bool IdeLink::upload(const std::string& path) {
    if (!stty()) return false;
    auto file = load_entry_file(path);
    if (!file) return false;
    return upload_entry(file->entry, file->body);
}

bool IdeLink::upload_entry(const DirectoryEntry& entry, std::span<const uint8_t> body) {
    blocks_sent_ = 0;
    const std::vector<uint8_t> header = build_header(entry);
    const size_t body_blocks = (body.size() + kBlockData - 1) / kBlockData;
    const size_t total_blocks = 1 + body_blocks;
    auto block_data = [&](size_t index) -> std::span<const uint8_t> {
        if (index == 0) return header;
        size_t offset = (index - 1) * kBlockData;
        return body.subspan(offset, std::min(kBlockData, body.size() - offset));
    };

    for (int pass = 0;; ++pass) {  // one pass per (re)start of the upload
        if (pass > timeouts_.restarts) return false;
        if (!send("put /rom0\r")) return false;
        if (read_status(timeouts_.status_ms) != 350) return false;

        // The console asks for the first block with NAK.
        int64_t deadline = line_->now_ms() + timeouts_.first_nak_ms;
        for (;;) {
            uint8_t byte = 0;
            Wait w = wait_byte(deadline, byte);
            if (w != Wait::Byte) return false;
            if (byte == kNAK) break;
            if (byte == kCAN) return false;
        }

        bool restart = false;
        size_t index = 0;
        int tries = 0;  // sends of the current block
        while (index < total_blocks && !restart) {
            if (++tries > timeouts_.block_tries) return false;
            XmodemBlock block = make_block(static_cast<uint8_t>(index + 1), block_data(index));
            if (!send_block(block.data(), block.size())) return false;
            int64_t answer_deadline = line_->now_ms() + timeouts_.block_answer_ms;
            bool previous_can = false;
            for (;;) {
                uint8_t byte = 0;
                Wait w = wait_byte(answer_deadline, byte);
                if (w != Wait::Byte) return false;
                if (byte == kACK) {
                    ++index;
                    tries = 0;
                    break;
                }
                if (byte == kNAK) break;  // the same block again
                if (byte != kCAN) {
                    previous_can = false;
                    continue;
                }
                if (!previous_can) {
                    previous_can = true;
                    continue;
                }
                // CAN CAN: the console says why in its status lines; the first
                // code that means something decides.
                int decided = 0;
                for (;;) {
                    int code = read_status(timeouts_.status_ms);
                    if (code < 0) break;
                    if (decided == 0 && (code == 426 || code == 450 || code == 550 || code == 452))
                        decided = code;
                }
                if (decided == 426) return false;
                if (decided == 450 || decided == 550) {
                    if (!delete_file(entry.name())) return false;
                    restart = true;
                } else if (decided == 452) {
                    if (!defrag()) return false;
                    restart = true;
                }
                break;  // no deciding code: the same block again
            }
        }
        if (restart) continue;

        if (!is_open() || !line_->write(std::string(1, static_cast<char>(kEOT)), 5000)) return false;
        int64_t eot_deadline = line_->now_ms() + timeouts_.eot_answer_ms;
        for (;;) {
            uint8_t byte = 0;
            Wait w = wait_byte(eot_deadline, byte);
            if (w != Wait::Byte) return false;
            if (byte == kCAN) return false;
            if (byte == kACK) break;
        }
        for (int lines = 0; lines < 64 && read_status(timeouts_.status_ms) >= 0; ++lines) {
        }
        return true;
    }
}

bool IdeLink::delete_file(const std::string& name) {
    if (!send("delete \"/rom0/" + name + "\"\r")) return false;
    return status_while_in_progress(timeouts_.status_ms) == 200;
}

bool IdeLink::defrag() {
    if (!send("defrag rom0\r")) return false;
    return status_while_in_progress(timeouts_.defrag_ms) == 200;
}

bool IdeLink::exec(const std::string& name) {
    if (!send("exec \"/rom0/" + name + "\"\r")) return false;
    int first = read_status(timeouts_.status_ms);
    if (first != 125 && first != 200) return false;
    int second = read_status(timeouts_.status_ms);
    // Silence means the program is running; a line error or a dead port is a failure.
    return second == 200 || (second < 0 && last_status_timed_out_);
}

}  // namespace lumora::devlink
