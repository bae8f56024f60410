#include "devlink/putw_link.h"

#include <algorithm>
#include <cerrno>

#include "devlink/xmodem.h"
#include "platform/com_name.h"

namespace lumora::devlink {

PutwUpload prepare_putw_upload(std::vector<uint8_t> file, std::string_view file_name, std::time_t mtime) {
    PutwUpload upload;
    if (has_header(file)) {
        if (auto entry = read_entry(file)) {
            upload.entry = *entry;
            upload.data = std::move(file);
            return upload;
        }
    }
    upload.entry = build_plain_entry(file_name, file.size(), mtime, EntryFlavor::LmPutw);
    upload.data = build_header(upload.entry);
    upload.data.insert(upload.data.end(), file.begin(), file.end());
    // Padded from the real length: the 16-bit block count of the entry
    // cannot describe files beyond 4 MiB and must not cut them.
    size_t padded = kHeaderSize + (file.size() + kBlockData - 1) / kBlockData * kBlockData;
    upload.data.resize(padded, kSUB);
    return upload;
}

PutwLink::~PutwLink() {
    close();
}

bool PutwLink::open(uint32_t comm_port, uint32_t baud_setting) {
    return open_device(platform::com_port_device(static_cast<int>(comm_port) + 1), baud_setting);
}

bool PutwLink::open_device(const std::string& device, uint32_t baud_setting) {
    close();
    std::lock_guard<std::mutex> guard(lock_);
    open_error_ = 0;
    platform::SerialPort port;
    if (!port.open(device)) {
        open_error_ = port.last_error();
        return false;
    }
    if (log_) log_->port_opened();
    // The tool starts from blank settings: no flow control, DTR and RTS on.
    platform::SerialSettings settings;
    settings.baud = baud_setting == 0 ? 38400 : 9600;
    settings.flow = platform::SerialSettings::Flow::None;
    settings.dtr = platform::SerialSettings::Line::On;
    settings.rts = platform::SerialSettings::Line::On;
    bool configured = port.configure(settings);
    if (log_) log_->line_configured(configured ? 0 : port.last_error());
    if (!configured) {
        open_error_ = port.last_error();
        if (log_) log_->port_closed();
        return false;
    }
    if (log_) log_->timeouts_set(0);
    read_constant_ms_ = kPutwOpenReadMs;
    own_ = std::make_unique<SerialLine>(std::move(port));
    line_ = own_.get();
    return true;
}

void PutwLink::attach(Line& line) {
    close();
    std::lock_guard<std::mutex> guard(lock_);
    line_ = &line;
    read_constant_ms_ = kPutwOpenReadMs;
}

void PutwLink::close() {
    std::lock_guard<std::mutex> guard(lock_);
    if (own_ && log_) log_->port_closed();
    line_ = nullptr;
    own_.reset();
}

bool PutwLink::is_open() const {
    return line_ && line_->is_open();
}

void PutwLink::set_read_timeout(int constant_ms) {
    std::lock_guard<std::mutex> guard(lock_);
    read_constant_ms_ = std::max(constant_ms, 0);
    if (log_) log_->read_timeout_set(0);
}

void PutwLink::debug(const char* text) {
    if (debug_) debug_(text);
}

bool PutwLink::write_bytes(const uint8_t* data, size_t n) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!is_open()) return false;
    // 1000 ms per byte plus 4000 ms: generous, a stuck line still ends.
    int timeout = static_cast<int>(std::min<size_t>(n * 1000 + 4000, 600000));
    if (!line_->write(data, n, timeout)) {
        // A write that ran out of time sent only part of its bytes.
        if (log_ && line_->last_error() == ETIMEDOUT)
            log_->short_write(ETIMEDOUT);
        else if (log_)
            log_->write_failed(line_->last_error());
        return false;
    }
    if (log_) log_->sent(std::span<const uint8_t>(data, n));
    return true;
}

bool PutwLink::write_text(const std::string& text) {
    return write_bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

int PutwLink::read_byte(uint8_t& byte) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!is_open()) return -1;
    // 1 ms per byte asked for plus the constant of the current phase.
    long n = line_->read(&byte, 1, 1 + read_constant_ms_);
    if (n < 0) {
        if (log_) log_->read_failed(line_->last_error());
        return -1;
    }
    if (n == 0) {
        if (log_) log_->read_timed_out();
        return 0;
    }
    if (log_) log_->received(std::span<const uint8_t>(&byte, 1));
    return 1;
}

std::optional<std::string> PutwLink::read_line() {
    std::string text;
    while (text.size() < 1024) {
        uint8_t byte = 0;
        if (read_byte(byte) <= 0) return std::nullopt;
        if (byte == '\n') break;
        text.push_back(static_cast<char>(byte));
    }
    return text;
}

namespace {
int leading_number(std::string_view text) {
    long code = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        code = std::min<long>(code * 10 + (c - '0'), 999999999L);
    }
    return static_cast<int>(code);
}
}  // namespace

int PutwLink::read_status() {
    auto text = read_line();
    if (!text) {
        last_code_ = 0;
        return 0;
    }
    // "200\n" is too short to count, "200\r\n" is not: the CR is counted.
    if (text->size() < 4) return 0;
    last_code_ = leading_number(*text);
    return last_code_;
}

int PutwLink::wait_for(int code) {
    // The silence that ends a wait must not wipe out the answer the console
    // did give ("452" to a put): the caller decides on it afterwards.
    int answered = 0;
    // A console that keeps talking without ever giving the code cannot hold
    // the tool for ever.
    for (int lines = 0; lines < kPutwWaitLines; ++lines) {
        int got = read_status();
        if (got == code) return code;
        if (got == 0) {
            if (answered != 0) last_code_ = answered;
            return 0;
        }
        answered = got;
    }
    last_code_ = answered;
    return 0;
}

void PutwLink::wait_loose() {
    int got = read_status();
    if (got == 125 || got == 0) read_status();
}

bool PutwLink::purge() {
    std::lock_guard<std::mutex> guard(lock_);
    return is_open() && line_->purge();
}

void PutwLink::stty() {
    if (write_text("stty -echo\r\n")) wait_for(200);
}

void PutwLink::delete_file(const std::string& path) {
    if (write_text("delete " + path + "\r\n")) wait_loose();
}

void PutwLink::defrag(const std::string& folder) {
    // "/rom0/" names the device "rom0".
    std::string device = folder.size() >= 2 ? folder.substr(1, folder.size() - 2) : std::string();
    if (!write_text("defrag " + device + "\r\n")) return;
    for (int i = 0; i < 10; ++i) {
        if (cancelled()) break;
        if (wait_for(200) >= 200) break;
    }
}

bool PutwLink::exec(const std::string& path) {
    return write_text("exec " + path + "\r\n");
}

void PutwLink::take_refusal() {
    // A console that cancels says why in the status lines after CAN CAN;
    // keep that code (452 sends the caller into defrag and retry).
    int reason = 0;
    for (int lines = 0; lines < 16; ++lines) {
        auto text = read_line();
        if (!text) break;
        size_t start = text->find_first_not_of(static_cast<char>(kCAN));
        int code = start == std::string::npos ? 0 : leading_number(std::string_view(*text).substr(start));
        if (reason == 0 && (code == 426 || code == 450 || code == 452 || code == 550)) reason = code;
    }
    last_code_ = reason;
}

bool PutwLink::upload(std::span<const uint8_t> entry_data, const std::string& folder) {
    if (!write_text("put " + folder + "\r\n")) return false;
    if (wait_for(350) != 350) return false;
    uint8_t answer = 0;
    if (read_byte(answer) <= 0 || answer != kNAK) {
        debug("ACK無し\n");
        return false;
    }
    const size_t total = entry_data.size();
    uint8_t number = 1;
    for (size_t offset = 0; offset < total; offset += kBlockData) {
        if (cancelled()) {
            debug("キャンセル終了\n");
            // EOT would have the console keep the truncated file as if it were
            // whole; CAN CAN aborts the transfer, and the console's answer to
            // it is taken off the line.
            const uint8_t abort[2] = {kCAN, kCAN};
            if (write_bytes(abort, sizeof abort)) read_status();
            return false;
        }
        size_t n = std::min(kBlockData, total - offset);
        XmodemBlock block = make_block(number, entry_data.subspan(offset, n));
        // A block the console rejects (NAK) is sent again, a few times: one
        // noisy byte should not cost the whole file.
        bool accepted = false;
        for (int attempt = 0; attempt < kPutwBlockTries && !accepted; ++attempt) {
            if (!write_bytes(block.data(), block.size())) {
                debug("書き込みエラー\n");
                return false;
            }
            if (progress_) progress_(std::min(offset + kBlockData, total), total);
            if (read_byte(answer) <= 0 || (answer != kACK && answer != kNAK)) {
                if (answer == kCAN) take_refusal();
                debug("ACK無し\n");
                return false;
            }
            accepted = answer == kACK;
        }
        if (!accepted) {
            debug("ACK無し\n");
            return false;
        }
        number = static_cast<uint8_t>(number + 1);
    }
    const uint8_t eot = kEOT;
    write_bytes(&eot, 1);
    read_byte(answer);
    wait_for(200);
    return true;
}

}  // namespace lumora::devlink
