#include "socket_table.h"

namespace lumora::gateway {

std::optional<int> SocketTable::find_free() const {
    for (int i = 0; i < kSlots; ++i) {
        const int slot = (next_ + i) % kSlots;
        if (handles_[slot] < 0) return slot;
    }
    return std::nullopt;
}

void SocketTable::take(int slot, int handle) {
    if (!valid_slot(slot)) return;
    handles_[slot] = handle;
    next_ = (slot + 1) % kSlots;
}

int SocketTable::release(int slot) {
    if (!valid_slot(slot)) return -1;
    const int h = handles_[slot];
    handles_[slot] = -1;
    return h;
}

int SocketTable::used() const {
    int n = 0;
    for (int h : handles_) n += h >= 0;
    return n;
}

}  // namespace lumora::gateway
