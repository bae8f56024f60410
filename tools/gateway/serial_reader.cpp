#include "serial_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace lumora::gateway {

namespace {
constexpr size_t kChunk = 256;
constexpr int kWriteTimeoutMs = 1000;
// After a failed read (a device gone away) wait this long before the next try.
constexpr int kErrorBackoffMs = 200;
}  // namespace

SerialReader::SerialReader(GatewaySession& session) : session_(session) {}

SerialReader::~SerialReader() {
    stop();
}

bool SerialReader::open(const std::string& device, int baud) {
    stop();
    last_error_ = 0;
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        last_error_ = errno;
        wake_[0] = wake_[1] = -1;
        return false;
    }
    platform::SerialSettings settings;
    settings.baud = baud;
    settings.flow = platform::SerialSettings::Flow::None;
    settings.dtr = platform::SerialSettings::Line::On;
    settings.rts = platform::SerialSettings::Line::On;
    if (!port_.open(device) || !port_.configure(settings)) {
        last_error_ = port_.last_error();
        port_.close();
        ::close(wake_[0]);
        ::close(wake_[1]);
        wake_[0] = wake_[1] = -1;
        return false;
    }
    port_.purge(true, true);
    device_ = device;
    stop_.store(false);
    thread_ = std::thread([this] { run(); });
    return true;
}

bool SerialReader::set_speed(int baud) {
    std::lock_guard<std::mutex> lock(port_lock_);
    if (!port_.is_open()) return false;
    platform::SerialSettings settings;
    settings.baud = baud;
    settings.flow = platform::SerialSettings::Flow::None;
    settings.dtr = platform::SerialSettings::Line::On;
    settings.rts = platform::SerialSettings::Line::On;
    return port_.configure(settings);
}

void SerialReader::stop() {
    if (thread_.joinable()) {
        stop_.store(true);
        session_.request_cancel();
        const char wake = 1;
        [[maybe_unused]] ssize_t r = ::write(wake_[1], &wake, 1);
        thread_.join();
        session_.clear_cancel();
    }
    if (port_.is_open()) {
        std::lock_guard<std::mutex> lock(port_lock_);
        port_.purge(true, true);
        port_.close();
    }
    for (int& fd : wake_) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

bool SerialReader::send(std::span<const uint8_t> bytes) {
    std::lock_guard<std::mutex> lock(port_lock_);
    return port_.is_open() && port_.write_all(bytes.data(), bytes.size(), kWriteTimeoutMs);
}

void SerialReader::run() {
    uint8_t chunk[kChunk];
    while (!stop_.load()) {
        pollfd fds[2] = {{port_.fd(), POLLIN, 0}, {wake_[0], POLLIN, 0}};
        const int r = ::poll(fds, 2, 1000);
        if (stop_.load()) break;
        if (r < 0) {
            if (errno == EINTR) continue;
            ::poll(&fds[1], 1, kErrorBackoffMs);
            continue;
        }
        if (r == 0 || !(fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL))) continue;
        long n;
        {
            std::lock_guard<std::mutex> lock(port_lock_);
            port_.take_line_errors();  // line errors are cleared and otherwise ignored
            n = port_.read(chunk, sizeof chunk, 0);
        }
        if (n > 0) {
            session_.on_input(std::span<const uint8_t>(chunk, static_cast<size_t>(n)));
        } else if (n < 0 || (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))) {
            // The device is in trouble (e.g. unplugged); do not spin on it.
            pollfd wake{wake_[0], POLLIN, 0};
            ::poll(&wake, 1, kErrorBackoffMs);
        }
    }
}

}  // namespace lumora::gateway
