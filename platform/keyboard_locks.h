#pragma once
// The keyboard's lock lights (Kana, Caps, Num, Scroll) as the display
// server keeps them. Where they cannot be read each says unknown.

#include <memory>

namespace lumora::platform {

enum class LockLight { unknown, off, on };

struct KeyboardLocks {
    LockLight kana = LockLight::unknown;
    LockLight caps = LockLight::unknown;
    LockLight num = LockLight::unknown;
    LockLight scroll = LockLight::unknown;
    bool operator==(const KeyboardLocks&) const = default;
};

class LockReader {
  public:
    virtual ~LockReader() = default;
    // Asks the server now (one round trip); no caching.
    virtual KeyboardLocks read() = 0;
};

// Reads from an open X display (an Xlib `Display*`, owned by the caller and
// outliving the reader). A null display, a server without the keyboard
// extension, or a build without X11 gives a reader that always says unknown.
std::unique_ptr<LockReader> x11_lock_reader(void* x_display);

// A reader for hosts with nothing to ask: always unknown.
std::unique_ptr<LockReader> unknown_lock_reader();

}  // namespace lumora::platform
