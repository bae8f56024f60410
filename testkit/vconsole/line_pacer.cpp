#include "testkit/vconsole/line_pacer.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace lumora::vconsole {

LinePacer::LinePacer(int bits_per_second) {
    if (bits_per_second > 0)
        byte_time_ = std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(10'000'000'000LL) /
                                                                 bits_per_second);
}

void LinePacer::push(std::span<const uint8_t> bytes, Clock::time_point now) {
    for (uint8_t b : bytes) {
        free_at_ = std::max(free_at_, now) + byte_time_;
        queue_.push_back({free_at_, b});
    }
}

std::vector<uint8_t> LinePacer::take(Clock::time_point now) {
    std::vector<uint8_t> due;
    while (!queue_.empty() && queue_.front().due <= now) {
        due.push_back(queue_.front().byte);
        queue_.pop_front();
    }
    return due;
}

std::optional<LinePacer::Clock::time_point> LinePacer::next_due() const {
    if (queue_.empty()) return std::nullopt;
    return queue_.front().due;
}

int wait_readable(int fd, LinePacer::Clock::time_point until) {
    auto left = std::max<LinePacer::Clock::duration>(until - LinePacer::Clock::now(), {});
    auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    timespec ts{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
    pollfd p{fd, POLLIN, 0};
    int r = ::ppoll(&p, 1, &ts, nullptr);
    if (r <= 0) return r < 0 ? -1 : 0;  // a signal means "stop"
    return (p.revents & POLLIN) ? 1 : -1;
}

PacedFdStream::PacedFdStream(int fd, int bits_per_second)
    : fd_(fd), raw_(fd), in_(bits_per_second), out_(bits_per_second) {}

long PacedFdStream::read(uint8_t* buffer, size_t n, int timeout_ms) {
    using Clock = LinePacer::Clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        auto now = Clock::now();
        auto due = in_.take(now);
        ready_.insert(ready_.end(), due.begin(), due.end());
        if (!ready_.empty()) {
            size_t k = std::min(n, ready_.size());
            std::copy_n(ready_.begin(), k, buffer);
            ready_.erase(ready_.begin(), ready_.begin() + static_cast<long>(k));
            return static_cast<long>(k);
        }
        // Bytes still on their way stay in the pacer for the next read.
        if (now >= deadline) return 0;
        auto until = deadline;
        if (auto next = in_.next_due()) until = std::min(until, *next);
        int r = wait_readable(fd_, until);
        if (r < 0) return -1;
        if (r > 0) {
            uint8_t buf[512];
            ssize_t got = ::read(fd_, buf, sizeof buf);
            if (got > 0) {
                in_.push(std::span<const uint8_t>(buf, static_cast<size_t>(got)), Clock::now());
            } else if (!(got < 0 && (errno == EAGAIN || errno == EINTR))) {
                return -1;
            }
        }
    }
}

bool PacedFdStream::write(const uint8_t* data, size_t n) {
    out_.push(std::span<const uint8_t>(data, n), LinePacer::Clock::now());
    while (!out_.empty()) {
        std::this_thread::sleep_until(*out_.next_due());
        auto due = out_.take(LinePacer::Clock::now());
        if (!raw_.write(due.data(), due.size())) return false;
    }
    return true;
}

}  // namespace lumora::vconsole
