#include "testkit/vconsole/serve.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "testkit/vconsole/line_pacer.h"

namespace lumora::vconsole {
namespace {

// Output nobody reads piles up here; past this much a real line would have
// stalled long ago, so the oldest bytes are dropped instead of growing forever.
constexpr size_t kMaxPending = 1 << 20;
constexpr int kStopCheckMs = 200;

}  // namespace

int serve_shell(int fd, ShellSession& session, const std::atomic<bool>& stop, int line_rate) {
    using Clock = ShellSession::Clock;
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);

    std::vector<uint8_t> pending;
    uint8_t buf[4096];
    int hangups = 0;
    // Unpaced, every byte is due at once and these only pass bytes through.
    LinePacer inbound(line_rate), outbound(line_rate);
    while (!stop.load()) {
        auto now = Clock::now();
        auto arrived = inbound.take(now);
        if (!arrived.empty()) session.receive(arrived, now);
        session.advance(now);
        outbound.push(session.take_output(now), now);
        auto out = outbound.take(now);
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

        auto until = now + std::chrono::milliseconds(kStopCheckMs);
        if (auto wake = session.next_wakeup()) until = std::min(until, *wake + std::chrono::milliseconds(1));
        // Paced bytes are due to the microsecond; a late wake-up would slow the line.
        if (auto due = inbound.next_due()) until = std::min(until, *due);
        if (auto due = outbound.next_due()) until = std::min(until, *due);
        auto wait_ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::max<Clock::duration>(until - Clock::now(), {}))
                           .count();
        timespec timeout{static_cast<time_t>(wait_ns / 1'000'000'000),
                         static_cast<long>(wait_ns % 1'000'000'000)};
        pollfd p{fd, static_cast<short>(POLLIN | (pending.empty() ? 0 : POLLOUT)), 0};
        int r = ::ppoll(&p, 1, &timeout, nullptr);
        if (r < 0) {
            if (errno == EINTR) continue;
            return 1;
        }
        if (r == 0) continue;
        if (p.revents & POLLIN) {
            ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                hangups = 0;
                inbound.push(std::span<const uint8_t>(buf, static_cast<size_t>(n)), Clock::now());
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
