#include "comm_model.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/com_name.h"

namespace lumora::simvane {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

std::string serial_device_from_environment() {
    const char* device = std::getenv("SIMVANE_SERIAL");
    if (device && *device) return device;
    return platform::com_port_device(1);
}

CommModel::CommModel(std::string device, std::function<bool()> stop_waiting)
    : device_(std::move(device)), stop_waiting_(std::move(stop_waiting)) {}

void CommModel::round(Area area, bool paused) {
    if (paused) {
        port_.close();
        speed_ = 0;
        resume_open_ = wanted_open_;
        return;
    }
    // The program under test cannot see the switch: give it back the device
    // it had open when serial work stopped.
    if (resume_open_) {
        resume_open_ = false;
        open_port();
    }
    switch (area.u8(sv_com_cmd_adr)) {
        case SV_COM_NONE:
            return;
        case SV_COM_OPEN:
            open_device(area);
            break;
        case SV_COM_CLOSE:
            wanted_open_ = false;
            port_.close();
            speed_ = 0;
            area.release_u8(sv_com_cmd_adr, 0);
            break;
        case SV_COM_SEND:
            send(area);
            break;
        case SV_COM_RECEIVE:
            receive(area);
            break;
        default:
            // A program being debugged may write anything; answer rather than hang it.
            finish(area, 0, SV_COM_TIMEOUT);
            break;
    }
}

bool CommModel::open_port() {
    if (port_.is_open()) return true;
    platform::SerialSettings settings;
    settings.baud = 9600;
    settings.flow = platform::SerialSettings::Flow::None;
    const bool ok = port_.open(device_) && port_.configure(settings);
    speed_ = ok ? 9600 : 0;
    if (!ok) {
        std::fprintf(stderr, "simvane: cannot open serial device %s: %s\n", device_.c_str(),
                     std::strerror(port_.last_error()));
        port_.close();
    }
    return ok;
}

void CommModel::open_device(Area area) {
    const bool ok = open_port();
    wanted_open_ = ok;
    area.set_u16(sv_com_stt_adr, ok ? SV_COM_OK : SV_COM_TIMEOUT);
    area.release_u8(sv_com_cmd_adr, 0);
}

bool CommModel::set_speed(Area area) {
    const int speed = area.u8(sv_com_bps_adr) == 0 ? 9600 : 38400;
    if (speed == speed_) return true;
    platform::SerialSettings settings;
    settings.baud = speed;
    settings.flow = platform::SerialSettings::Flow::None;
    if (!port_.configure(settings)) return false;
    speed_ = speed;
    return true;
}

void CommModel::finish(Area area, uint16_t count, uint16_t result) {
    area.set_u16(sv_com_len_adr, count);
    area.set_u16(sv_com_stt_adr, result);
    area.release_u8(sv_com_cmd_adr, 0);
}

void CommModel::send(Area area) {
    if (!port_.is_open() || !set_speed(area)) return finish(area, 0, SV_COM_TIMEOUT);
    const size_t asked = area.u16(sv_com_len_adr);
    const size_t n = std::min<size_t>(asked, SV_COM_BUF_SIZE);
    const uint8_t* data = area.base() + sv_com_buf_adr;
    size_t done = 0;
    // Short waits, so a slow line never keeps the worker from noticing a stop.
    // A line that takes nothing (no one reading a pseudo-terminal) gives up
    // after the time the bytes need at this speed and two seconds more.
    const auto deadline = Clock::now() + std::chrono::milliseconds(2000 + n * 10 * 1000 / speed_);
    while (done < n && !stop_waiting_() && Clock::now() < deadline) {
        const ssize_t w = ::write(port_.fd(), data + done, n - done);
        if (w > 0) {
            done += static_cast<size_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR) break;
        pollfd p{port_.fd(), POLLOUT, 0};
        if (::poll(&p, 1, kWaitSliceMillis) > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL))) break;
    }
    finish(area, static_cast<uint16_t>(done), done == asked ? SV_COM_OK : SV_COM_TIMEOUT);
}

void CommModel::receive(Area area) {
    if (!port_.is_open() || !set_speed(area)) return finish(area, 0, SV_COM_TIMEOUT);
    const size_t asked = area.u16(sv_com_len_adr);
    const size_t n = std::min<size_t>(asked, SV_COM_BUF_SIZE);
    const auto frames = static_cast<int16_t>(area.u16(sv_com_tout_adr));
    uint8_t* buffer = area.base() + sv_com_buf_adr;
    size_t got = 0;
    if (frames == 0) {
        // Only what is already waiting.
        while (got < n) {
            const long r = port_.read(buffer + got, n - got, 0);
            if (r <= 0) break;
            got += static_cast<size_t>(r);
        }
    } else {
        // Each byte may take the time-out (none when negative); waits are cut
        // into slices so switching serial off or quitting ends them.
        const auto per_byte = std::chrono::microseconds(int64_t{frames} * kFrameMicrosForTimeout);
        auto deadline = Clock::now() + per_byte;
        while (got < n && !stop_waiting_()) {
            int slice = kWaitSliceMillis;
            if (frames > 0) {
                const auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
                if (left <= 0) break;
                slice = static_cast<int>(std::min<int64_t>(left, kWaitSliceMillis));
            }
            const long r = port_.read(buffer + got, n - got, slice);
            if (r < 0) break;
            if (r > 0) {
                got += static_cast<size_t>(r);
                deadline = Clock::now() + per_byte;
            }
        }
    }
    finish(area, static_cast<uint16_t>(got), got < asked ? SV_COM_TIMEOUT : SV_COM_OK);
}

}  // namespace lumora::simvane
