#include "area_host.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "simvane_area.h"

namespace lumora::simvane {

std::string area_name_from_environment() {
    const char* name = std::getenv("SIMVANE_AREA_NAME");
    return name && *name ? name : SIMVANE_AREA_DEFAULT_NAME;
}

AreaHost::~AreaHost() {
    destroy();
}

AreaHost::Status AreaHost::create(const std::string& name) {
    destroy();
    if (name.size() < 2 || name[0] != '/' || name.find('/', 1) != std::string::npos) {
        error_ = EINVAL;
        return Status::failed;
    }
    // The lock on the object tells a live owner from a crashed one: the
    // kernel drops it with the owner's descriptors.
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                // Another simvane started at the same moment and took it.
                ::close(fd);
                return Status::in_use;
            }
            fd_ = fd;
            break;
        }
        if (errno != EEXIST) {
            error_ = errno;
            return Status::failed;
        }
        int old = ::shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0);
        if (old < 0) continue;  // vanished in between: try again
        const bool held = ::flock(old, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        ::close(old);
        if (held) return Status::in_use;
        ::shm_unlink(name.c_str());  // left by a crashed run
    }
    if (fd_ < 0) {
        error_ = EEXIST;
        return Status::failed;
    }
    name_ = name;
    ::fchmod(fd_, 0600);  // whatever the umask says
    size_ = simvane_area_size();
    if (::ftruncate(fd_, static_cast<off_t>(size_)) != 0) {
        error_ = errno;
        destroy();
        return Status::failed;
    }
    void* base = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (base == MAP_FAILED) {
        error_ = errno;
        destroy();
        return Status::failed;
    }
    base_ = static_cast<uint8_t*>(base);
    std::memset(base_, 0, size_);
    return Status::ok;
}

void AreaHost::destroy() {
    if (base_) ::munmap(base_, size_);
    base_ = nullptr;
    if (fd_ >= 0) {
        ::shm_unlink(name_.c_str());
        ::close(fd_);
    }
    fd_ = -1;
    name_.clear();
}

}  // namespace lumora::simvane
