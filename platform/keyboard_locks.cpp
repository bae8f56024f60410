#include "platform/keyboard_locks.h"

namespace lumora::platform {

namespace {

class UnknownLocks : public LockReader {
  public:
    KeyboardLocks read() override { return {}; }
};

}  // namespace

std::unique_ptr<LockReader> unknown_lock_reader() {
    return std::make_unique<UnknownLocks>();
}

#ifndef LUMORA_HAVE_X11
std::unique_ptr<LockReader> x11_lock_reader(void*) {
    return unknown_lock_reader();
}
#endif

}  // namespace lumora::platform
