#pragma once
// simvane's side of the shared area: creates the POSIX shared memory object
// fresh, keeps it locked while simvane runs (so a second simvane can tell)
// and removes it again at the end.

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumora::simvane {

// The area's name: SIMVANE_AREA_NAME when set and not empty, else "/simvane".
std::string area_name_from_environment();

class AreaHost {
  public:
    enum class Status { ok, in_use, failed };

    AreaHost() = default;
    ~AreaHost();
    AreaHost(const AreaHost&) = delete;
    AreaHost& operator=(const AreaHost&) = delete;

    // Creates the area zero-filled with mode 0600. An object of that name
    // left behind by a run that crashed is replaced; one that another live
    // simvane holds gives in_use and is left alone.
    Status create(const std::string& name);
    // Unmaps and unlinks the area (also done by the destructor).
    void destroy();

    uint8_t* base() const { return base_; }
    size_t size() const { return size_; }
    // The shared memory descriptor, shown as the area's identifier.
    int id() const { return fd_; }
    const std::string& name() const { return name_; }
    // errno of the failing call after create() returned failed.
    int error() const { return error_; }

  private:
    int fd_ = -1;
    uint8_t* base_ = nullptr;
    size_t size_ = 0;
    std::string name_;
    int error_ = 0;
};

}  // namespace lumora::simvane
