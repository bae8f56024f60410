#include "testkit/vconsole/byte_stream.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace lumora::vconsole {

long FdStream::read(uint8_t* buffer, size_t n, int timeout_ms) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        pollfd p{fd_, POLLIN, 0};
        int r = ::poll(&p, 1, static_cast<int>(left > 0 ? left : 0));
        if (r < 0) {
            if (errno == EINTR) return -1;  // a signal means "stop", let the caller decide
            return -1;
        }
        if (r == 0) return 0;
        if (p.revents & POLLIN) {
            ssize_t got = ::read(fd_, buffer, n);
            if (got > 0) return got;
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            return -1;
        }
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return -1;
    }
}

bool FdStream::write(const uint8_t* data, size_t n) {
    size_t done = 0;
    while (done < n) {
        ssize_t w = ::write(fd_, data + done, n - done);
        if (w > 0) {
            done += static_cast<size_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno == EAGAIN) {
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, 5000) <= 0) return false;
            continue;
        }
        return false;
    }
    return true;
}

}  // namespace lumora::vconsole
