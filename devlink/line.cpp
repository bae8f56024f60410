#include "devlink/line.h"

#include <chrono>
#include <thread>

namespace lumora::devlink {

int64_t steady_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int SerialLine::bytes_waiting() { return port_.bytes_waiting(); }

long SerialLine::read(uint8_t* buffer, size_t n, int timeout_ms) {
    if (!port_.is_open()) return -1;
    return port_.read(buffer, n, timeout_ms);
}

bool SerialLine::write(const uint8_t* data, size_t n, int timeout_ms) {
    if (!port_.is_open()) return false;
    return port_.write_all(data, n, timeout_ms);
}

bool SerialLine::purge() { return port_.is_open() && port_.purge(true, true); }

uint32_t SerialLine::take_line_errors() { return port_.is_open() ? port_.take_line_errors().flags() : 0; }

int64_t SerialLine::now_ms() const { return steady_ms(); }

void SerialLine::sleep_ms(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace lumora::devlink
