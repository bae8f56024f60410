#pragma once
// A pseudo-terminal pair: one end plays the console, the other is the
// "serial device" a tool opens by path. Both ends are held open for the
// pair's lifetime, so the master never sees a hang-up while the tool closes
// and reopens the device. The device end starts in raw mode.

#include <optional>
#include <string>

namespace lumora::platform {

class PtyPair {
public:
    static std::optional<PtyPair> create();
    ~PtyPair();
    PtyPair(PtyPair&& other) noexcept;
    PtyPair& operator=(PtyPair&& other) noexcept;
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int master_fd() const { return master_; }
    int device_fd() const { return device_; }
    // Path of the device end, e.g. /dev/pts/7.
    const std::string& device_path() const { return path_; }

    // Gives up ownership of the master descriptor (the caller closes it).
    int release_master();

private:
    PtyPair() = default;
    int master_ = -1;
    int device_ = -1;
    std::string path_;
};

}  // namespace lumora::platform
