#include "platform/serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace lumora::platform {
namespace {

using Clock = std::chrono::steady_clock;

// Rounded up, so the last fraction of a millisecond is slept, not polled.
int remaining_ms(Clock::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

// poll() that resumes after signals until the deadline; returns poll's revents or 0 on time-out, -1 on error.
int wait_for(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        int r = ::poll(&p, 1, remaining_ms(deadline));
        if (r > 0) return p.revents;
        if (r == 0) return 0;
        if (errno != EINTR) return -1;
        if (Clock::now() >= deadline) return 0;
    }
}

}  // namespace

unsigned baud_constant(int baud) {
    switch (baud) {
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        default: return 0;
    }
}

SerialPort::~SerialPort() { close(); }

SerialPort::SerialPort(SerialPort&& other) noexcept { *this = std::move(other); }

SerialPort& SerialPort::operator=(SerialPort&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        last_error_ = other.last_error_;
        device_ = std::move(other.device_);
        have_counts_ = other.have_counts_;
        for (int i = 0; i < 4; ++i) last_counts_[i] = other.last_counts_[i];
        other.fd_ = -1;
    }
    return *this;
}

bool SerialPort::open(const std::string& device) {
    close();
    device_ = device;
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        last_error_ = errno;
        return false;
    }
    if (!::isatty(fd)) {
        last_error_ = ENOTTY;
        ::close(fd);
        return false;
    }
    fd_ = fd;
    take_line_errors();  // start counting from now
    return true;
}

void SerialPort::adopt(int fd) {
    close();
    fd_ = fd;
    int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
    take_line_errors();
}

void SerialPort::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    have_counts_ = false;
}

bool SerialPort::configure(const SerialSettings& s) {
    if (fd_ < 0) return (last_error_ = EBADF), false;
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return (last_error_ = errno), false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    switch (s.flow) {
        case SerialSettings::Flow::Keep: break;
        case SerialSettings::Flow::None:
            tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
            tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
            break;
        case SerialSettings::Flow::Hardware:
            tio.c_cflag |= CRTSCTS;
            tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
            break;
        case SerialSettings::Flow::Software:
            tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
            tio.c_iflag |= IXON | IXOFF;
            break;
    }
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (unsigned speed = baud_constant(s.baud)) {
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
    } else {
        return (last_error_ = EINVAL), false;
    }
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return (last_error_ = errno), false;

    // Modem lines: pseudo-terminals refuse these, which is fine.
    auto set_line = [&](SerialSettings::Line line, int bit) {
        if (line == SerialSettings::Line::Keep) return;
        int bits = bit;
        ::ioctl(fd_, line == SerialSettings::Line::On ? TIOCMBIS : TIOCMBIC, &bits);
    };
    set_line(s.dtr, TIOCM_DTR);
    set_line(s.rts, TIOCM_RTS);
    return true;
}

int SerialPort::bytes_waiting() const {
    if (fd_ < 0) return -1;
    int n = 0;
    if (::ioctl(fd_, FIONREAD, &n) != 0) return -1;
    return n;
}

long SerialPort::read(uint8_t* buffer, size_t n, int timeout_ms) {
    if (fd_ < 0) return (last_error_ = EBADF), -1;
    if (n == 0) return 0;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
    bool said_readable = false;
    for (;;) {
        ssize_t r = ::read(fd_, buffer, n);
        if (r > 0) return r;
        // In raw mode an empty tty reads as 0; after poll() said "readable"
        // it means the other end hung up.
        if (r == 0 && said_readable) return (last_error_ = EIO), -1;
        if (r < 0 && errno != EAGAIN && errno != EINTR) return (last_error_ = errno), -1;
        int ev = wait_for(fd_, POLLIN, deadline);
        said_readable = ev > 0 && (ev & POLLIN);
        if (ev < 0) return (last_error_ = errno), -1;
        if (ev == 0) return 0;
        if ((ev & (POLLERR | POLLNVAL)) || ((ev & POLLHUP) && !(ev & POLLIN))) return (last_error_ = EIO), -1;
    }
}

long SerialPort::read_exact(uint8_t* buffer, size_t n, int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
    size_t got = 0;
    while (got < n) {
        long r = read(buffer + got, n - got, remaining_ms(deadline));
        if (r < 0) return -1;
        if (r == 0) break;
        got += static_cast<size_t>(r);
    }
    return static_cast<long>(got);
}

bool SerialPort::write_all(const void* data, size_t n, int timeout_ms) {
    if (fd_ < 0) return (last_error_ = EBADF), false;
    const auto* p = static_cast<const uint8_t*>(data);
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
    while (n > 0) {
        ssize_t w = ::write(fd_, p, n);
        if (w > 0) {
            p += w;
            n -= static_cast<size_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR) return (last_error_ = errno), false;
        int ev = wait_for(fd_, POLLOUT, deadline);
        if (ev < 0) return (last_error_ = errno), false;
        if (ev == 0) return (last_error_ = ETIMEDOUT), false;
        if (ev & (POLLERR | POLLNVAL | POLLHUP)) return (last_error_ = EIO), false;
    }
    return true;
}

bool SerialPort::drain() {
    if (fd_ < 0) return (last_error_ = EBADF), false;
    if (::tcdrain(fd_) != 0) return (last_error_ = errno), false;
    return true;
}

bool SerialPort::purge(bool input, bool output) {
    if (fd_ < 0) return (last_error_ = EBADF), false;
    int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : output ? TCOFLUSH : -1;
    if (which < 0) return true;
    if (::tcflush(fd_, which) != 0) return (last_error_ = errno), false;
    return true;
}

LineErrors SerialPort::take_line_errors() {
    LineErrors errors;
    if (fd_ < 0) return errors;
    serial_icounter_struct counts{};
    if (::ioctl(fd_, TIOCGICOUNT, &counts) != 0) return errors;  // not a UART (e.g. a pty)
    const uint32_t now[4] = {static_cast<uint32_t>(counts.overrun + counts.buf_overrun),
                             static_cast<uint32_t>(counts.parity), static_cast<uint32_t>(counts.frame),
                             static_cast<uint32_t>(counts.brk)};
    if (have_counts_) {
        errors.overrun = now[0] - last_counts_[0];
        errors.parity = now[1] - last_counts_[1];
        errors.frame = now[2] - last_counts_[2];
        errors.brk = now[3] - last_counts_[3];
    }
    for (int i = 0; i < 4; ++i) last_counts_[i] = now[i];
    have_counts_ = true;
    return errors;
}

}  // namespace lumora::platform
