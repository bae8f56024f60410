#include "devlink/line.h"

#include <poll.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace lumora::devlink {

int64_t steady_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int SerialLine::bytes_waiting() {
    return port_.bytes_waiting();
}

long SerialLine::read(uint8_t* buffer, size_t n, int timeout_ms) {
    if (!port_.is_open()) return -1;
    if (timeout_ms > 0) {
        // Wait here rather than in the port: poll() sleeps at least the whole
        // time asked for, so a short remainder of a time-out never turns into
        // a burst of zero-length waits. A signal ends the wait early, which
        // lets an interrupt flag be seen at once.
        pollfd p{port_.fd(), POLLIN, 0};
        int r = ::poll(&p, 1, timeout_ms);
        if (r == 0) return 0;
        if (r < 0) return errno == EINTR ? 0 : -1;
    }
    return port_.read(buffer, n, 0);
}

bool SerialLine::write(const uint8_t* data, size_t n, int timeout_ms) {
    if (!port_.is_open()) return false;
    return port_.write_all(data, n, timeout_ms);
}

bool SerialLine::purge() {
    return port_.is_open() && port_.purge(true, true);
}

uint32_t SerialLine::take_line_errors() {
    return port_.is_open() ? port_.take_line_errors().flags() : 0;
}

int64_t SerialLine::now_ms() const {
    return steady_ms();
}

void SerialLine::sleep_ms(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace lumora::devlink
