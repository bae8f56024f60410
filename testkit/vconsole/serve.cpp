#include "testkit/vconsole/serve.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace lumora::vconsole {
namespace {

// Output nobody reads piles up here; past this much a real line would have
// stalled long ago, so the oldest bytes are dropped instead of growing forever.
constexpr size_t kMaxPending = 1 << 20;
constexpr int kStopCheckMs = 200;

}  // namespace

int serve_shell(int fd, ShellSession& session, const std::atomic<bool>& stop) {
    using Clock = ShellSession::Clock;
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);

    std::vector<uint8_t> pending;
    uint8_t buf[4096];
    int hangups = 0;
    while (!stop.load()) {
        auto now = Clock::now();
        session.advance(now);
        auto out = session.take_output(now);
        pending.insert(pending.end(), out.begin(), out.end());
        if (pending.size() > kMaxPending) pending.erase(pending.begin(), pending.end() - kMaxPending);
        while (!pending.empty()) {
            ssize_t w = ::write(fd, pending.data(), pending.size());
            if (w > 0) {
                pending.erase(pending.begin(), pending.begin() + w);
                continue;
            }
            if (w < 0 && errno == EINTR) continue;
            if (w < 0 && errno == EAGAIN) break;
            return 1;
        }

        int timeout = kStopCheckMs;
        if (auto wake = session.next_wakeup()) {
            auto until =
                std::chrono::duration_cast<std::chrono::milliseconds>(*wake - Clock::now()).count() + 1;
            timeout = static_cast<int>(std::clamp<long long>(until, 0, kStopCheckMs));
        }
        pollfd p{fd, static_cast<short>(POLLIN | (pending.empty() ? 0 : POLLOUT)), 0};
        int r = ::poll(&p, 1, timeout);
        if (r < 0) {
            if (errno == EINTR) continue;
            return 1;
        }
        if (r == 0) continue;
        if (p.revents & POLLIN) {
            ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                hangups = 0;
                session.receive(std::span<const uint8_t>(buf, static_cast<size_t>(n)), Clock::now());
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        }
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            // A serial device can report a hang-up while its far end is away;
            // wait a little instead of spinning, and give up if it persists.
            if (++hangups > 50) return 1;
            ::usleep(100 * 1000);
        }
    }
    return 0;
}

}  // namespace lumora::vconsole
