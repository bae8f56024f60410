#include "platform/pty_pair.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <utility>

namespace lumora::platform {

std::optional<PtyPair> PtyPair::create() {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) return std::nullopt;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        ::close(master);
        return std::nullopt;
    }
    char name[128];
    if (::ptsname_r(master, name, sizeof name) != 0) {
        ::close(master);
        return std::nullopt;
    }
    int device = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (device < 0) {
        ::close(master);
        return std::nullopt;
    }
    // Raw from the start, so nothing is echoed or translated before a tool
    // configures the line itself.
    termios tio{};
    if (::tcgetattr(device, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(device, TCSANOW, &tio);
    }
    PtyPair pair;
    pair.master_ = master;
    pair.device_ = device;
    pair.path_ = name;
    return pair;
}

PtyPair::~PtyPair() {
    if (master_ >= 0) ::close(master_);
    if (device_ >= 0) ::close(device_);
}

PtyPair::PtyPair(PtyPair&& other) noexcept { *this = std::move(other); }

PtyPair& PtyPair::operator=(PtyPair&& other) noexcept {
    if (this != &other) {
        if (master_ >= 0) ::close(master_);
        if (device_ >= 0) ::close(device_);
        master_ = std::exchange(other.master_, -1);
        device_ = std::exchange(other.device_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

int PtyPair::release_master() { return std::exchange(master_, -1); }

}  // namespace lumora::platform
