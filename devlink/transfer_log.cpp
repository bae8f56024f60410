#include "devlink/transfer_log.h"

#include "common/cp932.h"
#include "devlink/messages.h"

namespace lumora::devlink {

namespace {

// The log is Shift-JIS; the texts are kept readable here and converted when written.
std::string sjis(const char* utf8) {
    return cp932::from_utf8(utf8);
}

constexpr const char* kWriteFailed = "書込失敗\r\n";
constexpr const char* kReadFailed = "CLMPLibBase::Read() 読み込み失敗";
constexpr const char* kReadTimedOut = "読み込みタイムアウト";

}  // namespace

std::string dump_bytes(std::span<const uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size() * 5 + 8);
    static const char hex[] = "0123456789ABCDEF";
    for (uint8_t b : bytes) {
        out.push_back(hex[b >> 4]);
        out.push_back(hex[b & 15]);
        out.push_back(' ');
    }
    out += " (";
    for (uint8_t b : bytes) {
        out.push_back(static_cast<char>(b));
        out.push_back(' ');
    }
    out += ")\r\n";
    return out;
}

std::unique_ptr<TransferLog> TransferLog::create_file(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return nullptr;
    std::shared_ptr<std::FILE> shared(file, [](std::FILE* f) { std::fclose(f); });
    return std::make_unique<TransferLog>([shared](std::string_view bytes) {
        std::fwrite(bytes.data(), 1, bytes.size(), shared.get());
        std::fflush(shared.get());
    });
}

void TransferLog::last_error(int error) {
    write(format("GetLastError:%d\r\n", error));
}

void TransferLog::port_opened() {
    write("start\r\n");
}

void TransferLog::line_configured(int error) {
    write("CLMPLibBase::Open() SetCommState() ");
    last_error(error);
}

void TransferLog::timeouts_set(int error) {
    write("CLMPLibBase::Open() SetCommTimeouts() ");
    last_error(error);
}

void TransferLog::read_timeout_set(int error) {
    write("CLMPLibBase::SetReadTimeOut() ");
    last_error(error);
}

void TransferLog::sent(std::span<const uint8_t> bytes) {
    write("\r\n>");
    write(dump_bytes(bytes));
}

void TransferLog::short_write(int error) {
    write(sjis(kWriteFailed));
    last_error(error);
}

void TransferLog::write_failed(int error) {
    last_error(error);
}

void TransferLog::received(std::span<const uint8_t> bytes) {
    write(dump_bytes(bytes));
}

void TransferLog::read_failed(int error) {
    write(sjis(kReadFailed));
    last_error(error);
}

void TransferLog::read_timed_out() {
    write(sjis(kReadTimedOut));
}

void TransferLog::port_closed() {
    write("\r\nend\r\n");
}

}  // namespace lumora::devlink
