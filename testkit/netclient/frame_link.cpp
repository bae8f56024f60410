#include "frame_link.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace lumora::netclient {

namespace {
using Clock = std::chrono::steady_clock;

int ms_left(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}
}  // namespace

bool FrameLink::send(std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else {
            return false;
        }
    }
    return true;
}

bool FrameLink::read_exact(uint8_t* out, size_t n, int timeout_ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeout_ms);
    size_t got = 0;
    while (got < n) {
        pollfd p{fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, ms_left(end));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        const ssize_t k = ::read(fd_, out + got, n - got);
        if (k > 0)
            got += static_cast<size_t>(k);
        else if (k < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        else
            return false;
    }
    return true;
}

std::optional<std::vector<uint8_t>> FrameLink::read_reply(int timeout_ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeout_ms);
    std::vector<uint8_t> reply(1);
    if (!read_exact(reply.data(), 1, ms_left(end))) return std::nullopt;
    size_t rest;
    if (reply[0] == 0x00) {
        rest = 5;
    } else if (reply[0] == 0x0F) {
        rest = 4;
    } else {
        reply.resize(3);
        if (!read_exact(reply.data() + 1, 2, ms_left(end))) return std::nullopt;
        rest = reply[2];
    }
    const size_t have = reply.size();
    reply.resize(have + rest);
    if (!read_exact(reply.data() + have, rest, ms_left(end))) return std::nullopt;
    return reply;
}

std::vector<uint8_t> FrameLink::read_until_quiet(int quiet_ms, int max_ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(max_ms);
    std::vector<uint8_t> out;
    uint8_t buf[512];
    for (;;) {
        const int wait = std::min(quiet_ms, ms_left(end));
        pollfd p{fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, wait);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        const ssize_t k = ::read(fd_, buf, sizeof buf);
        if (k <= 0) break;
        out.insert(out.end(), buf, buf + k);
        if (ms_left(end) == 0) break;
    }
    return out;
}

void FrameLink::drain() {
    read_until_quiet(0, 0);
}

std::string hex_line(std::span<const uint8_t> bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string s;
    for (uint8_t b : bytes) {
        if (!s.empty()) s += ' ';
        s += kHex[b >> 4];
        s += kHex[b & 0xF];
    }
    return s;
}

}  // namespace lumora::netclient
