// The lock lights through the X keyboard extension: the indicators are
// found by their names once, then each read is one request for the state
// of all of them.

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <array>

#include "platform/keyboard_locks.h"

namespace lumora::platform {

namespace {

class X11Locks : public LockReader {
  public:
    X11Locks(Display* display, const std::array<int, 4>& bits) : display_(display), bits_(bits) {}

    KeyboardLocks read() override {
        unsigned int state = 0;
        if (XkbGetIndicatorState(display_, XkbUseCoreKbd, &state) != Success) return {};
        auto light = [state](int bit) {
            if (bit < 0) return LockLight::unknown;
            return (state >> bit) & 1u ? LockLight::on : LockLight::off;
        };
        return {light(bits_[0]), light(bits_[1]), light(bits_[2]), light(bits_[3])};
    }

  private:
    Display* display_;
    std::array<int, 4> bits_;  // kana, caps, num, scroll; -1 when the keyboard has no such light
};

}  // namespace

std::unique_ptr<LockReader> x11_lock_reader(void* x_display) {
    auto* display = static_cast<Display*>(x_display);
    if (!display) return unknown_lock_reader();
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &event, &error, &major, &minor)) return unknown_lock_reader();

    XkbDescPtr keyboard = XkbAllocKeyboard();
    if (!keyboard) return unknown_lock_reader();
    keyboard->device_spec = XkbUseCoreKbd;
    std::array<int, 4> bits{-1, -1, -1, -1};
    if (XkbGetNames(display, XkbIndicatorNamesMask, keyboard) == Success && keyboard->names) {
        constexpr std::array<const char*, 4> kNames{"Kana", "Caps Lock", "Num Lock", "Scroll Lock"};
        for (size_t lock = 0; lock < kNames.size(); ++lock) {
            // Only looks the name up: a name no keyboard uses is not created.
            const Atom name = XInternAtom(display, kNames[lock], True);
            if (name == None) continue;
            for (int i = 0; i < XkbNumIndicators; ++i)
                if (keyboard->names->indicators[i] == name) bits[lock] = i;
        }
    }
    XkbFreeKeyboard(keyboard, 0, True);
    return std::make_unique<X11Locks>(display, bits);
}

}  // namespace lumora::platform
