#pragma once
// The adapter's eight socket slots. New sockets go round-robin: the search
// for a free slot starts after the slot handed out last, so a slot just
// closed is not reused at once.

#include <array>
#include <optional>

namespace lumora::gateway {

class SocketTable {
  public:
    static constexpr int kSlots = 8;

    static bool valid_slot(int slot) { return slot >= 0 && slot < kSlots; }

    // The first free slot from the next-slot index on, or nullopt when all are taken.
    std::optional<int> find_free() const;
    // Puts a socket handle into a free slot and moves the next-slot index past it.
    void take(int slot, int handle);
    // The handle in a slot, or -1 when free or out of range.
    int handle(int slot) const { return valid_slot(slot) ? handles_[slot] : -1; }
    bool in_use(int slot) const { return handle(slot) >= 0; }
    // Frees a slot and returns its handle (-1 when it was free).
    int release(int slot);
    int next_index() const { return next_; }
    int used() const;

  private:
    std::array<int, kSlots> handles_{-1, -1, -1, -1, -1, -1, -1, -1};
    int next_ = 0;
};

}  // namespace lumora::gateway
