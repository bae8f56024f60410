#include "bsd_sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace lumora::gateway {

namespace {

// How often blocking waits look at the cancel flag.
constexpr int kSliceMs = 50;

// Polls one descriptor for `events`, in slices, until ready, timed out
// (timeout_ms < 0: no limit) or cancelled. Returns the revents, 0 on time-out
// or cancel, -1 on error.
int poll_sliced(int fd, short events, int timeout_ms, const CancelFlag& cancel) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
    for (;;) {
        if (cancel.load()) return 0;
        int slice = kSliceMs;
        if (timeout_ms >= 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (left <= 0)
                slice = 0;
            else if (left < slice)
                slice = static_cast<int>(left);
        }
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, slice);
        if (r < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (r > 0) return p.revents;
        if (timeout_ms >= 0 && slice == 0) return 0;
    }
}

}  // namespace

void RealPauses::pause_ms(int ms, const CancelFlag& cancel) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (!cancel.load()) {
        const auto now = Clock::now();
        if (now >= end) return;
        std::this_thread::sleep_for(
            std::min<Clock::duration>(end - now, std::chrono::milliseconds(kSliceMs)));
    }
}

int BsdSockets::open_stream() {
    return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

bool BsdSockets::connect(int handle, const SocketAddress& address, const CancelFlag& cancel) {
    if (handle < 0 || address.family != AF_INET) return false;
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(address.port);
    std::memcpy(&sa.sin_addr, address.ipv4.data(), 4);

    // Connect without blocking so a cancel can cut a slow connect short.
    const int flags = ::fcntl(handle, F_GETFL);
    if (flags < 0 || ::fcntl(handle, F_SETFL, flags | O_NONBLOCK) < 0) return false;
    bool ok = false;
    int r = ::connect(handle, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    if (r == 0) {
        ok = true;
    } else if (errno == EINPROGRESS || errno == EINTR) {
        const int ev = poll_sliced(handle, POLLOUT, -1, cancel);
        if (ev > 0) {
            int err = 0;
            socklen_t len = sizeof err;
            ok = ::getsockopt(handle, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0;
        }
    }
    ::fcntl(handle, F_SETFL, flags);
    return ok;
}

long BsdSockets::send(int handle, std::span<const uint8_t> data, const CancelFlag& cancel) {
    if (handle < 0) return -1;
    size_t done = 0;
    while (done < data.size()) {
        // MSG_NOSIGNAL: a peer that went away must give an error, not end the gateway.
        const ssize_t n = ::send(handle, data.data() + done, data.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const int ev = poll_sliced(handle, POLLOUT, -1, cancel);
            if (ev <= 0) return done ? static_cast<long>(done) : -1;
            continue;
        }
        return done ? static_cast<long>(done) : -1;
    }
    return static_cast<long>(done);
}

WaitResult BsdSockets::wait_readable(int handle, int timeout_ms, const CancelFlag& cancel) {
    if (handle < 0) return WaitResult::Failed;
    const int ev = poll_sliced(handle, POLLIN, timeout_ms, cancel);
    if (ev < 0 || (ev & POLLNVAL)) return WaitResult::Failed;
    if (ev == 0) return WaitResult::TimedOut;
    return WaitResult::Readable;
}

int BsdSockets::receive_byte(int handle, uint8_t& byte) {
    for (;;) {
        const ssize_t n = ::recv(handle, &byte, 1, MSG_DONTWAIT);
        if (n == 1) return 1;
        if (n == 0) return 0;
        if (errno == EINTR) continue;
        return -1;
    }
}

void BsdSockets::close(int handle) {
    if (handle >= 0) ::close(handle);
}

std::optional<std::array<uint8_t, 4>> BsdSockets::lookup_ipv4(const std::string& name,
                                                              const CancelFlag& cancel) {
    if (name.empty() || cancel.load()) return std::nullopt;
    // The resolver cannot be interrupted, so it runs on a helper thread; on a
    // cancel the reader stops waiting and the helper finishes on its own.
    struct Job {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
        std::optional<std::array<uint8_t, 4>> result;
    };
    auto job = std::make_shared<Job>();
    std::thread([job, name] {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        std::optional<std::array<uint8_t, 4>> found;
        if (::getaddrinfo(name.c_str(), nullptr, &hints, &list) == 0) {
            for (addrinfo* a = list; a; a = a->ai_next) {
                if (a->ai_family == AF_INET && a->ai_addr) {
                    std::array<uint8_t, 4> ip;
                    std::memcpy(ip.data(), &reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr, 4);
                    found = ip;
                    break;
                }
            }
            ::freeaddrinfo(list);
        }
        std::lock_guard<std::mutex> lock(job->m);
        job->result = found;
        job->done = true;
        job->cv.notify_all();
    }).detach();

    std::unique_lock<std::mutex> lock(job->m);
    while (!job->done) {
        if (cancel.load()) return std::nullopt;
        job->cv.wait_for(lock, std::chrono::milliseconds(kSliceMs));
    }
    return job->result;
}

}  // namespace lumora::gateway
