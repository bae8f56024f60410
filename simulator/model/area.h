#pragma once
// Field access to the shared area. The program under test writes the area
// from another process without locks; single fields are read and written as
// relaxed atomics so neither side sees a torn word and the compiler never
// caches a field across a wait.

#include <bit>
#include <cstddef>
#include <cstdint>

#include "simvane_area.h"

namespace lumora::simvane {

static_assert(std::endian::native == std::endian::little, "the area's words are little-endian");

class Area {
  public:
    explicit Area(uint8_t* base) : base_(base) {}
    uint8_t* base() const { return base_; }

    uint8_t u8(size_t off) const { return __atomic_load_n(base_ + off, __ATOMIC_RELAXED); }
    uint16_t u16(size_t off) const { return __atomic_load_n(p16(off), __ATOMIC_RELAXED); }
    uint32_t u32(size_t off) const { return __atomic_load_n(p32(off), __ATOMIC_RELAXED); }
    void set_u8(size_t off, uint8_t v) { __atomic_store_n(base_ + off, v, __ATOMIC_RELAXED); }
    void set_u16(size_t off, uint16_t v) { __atomic_store_n(p16(off), v, __ATOMIC_RELAXED); }
    void set_u32(size_t off, uint32_t v) { __atomic_store_n(p32(off), v, __ATOMIC_RELAXED); }
    // ORs bits in without losing a clear the other side makes at the same time.
    void or_u16(size_t off, uint16_t bits) { __atomic_fetch_or(p16(off), bits, __ATOMIC_RELAXED); }
    // Answers that the other side polls for are published after the data they cover.
    void release_u8(size_t off, uint8_t v) { __atomic_store_n(base_ + off, v, __ATOMIC_RELEASE); }

  private:
    uint16_t* p16(size_t off) const { return reinterpret_cast<uint16_t*>(base_ + off); }
    uint32_t* p32(size_t off) const { return reinterpret_cast<uint32_t*>(base_ + off); }
    uint8_t* base_;
};

// Little-endian reads from a snapshot (plain memory, no other writer).
inline uint16_t snap_u16(const uint8_t* s, size_t off) {
    return static_cast<uint16_t>(s[off] | (s[off + 1] << 8));
}

// Bytes the views read: everything below the serial buffer.
constexpr size_t kViewBytes = sv_com_buf_adr;

// Start-up values: zero everything, then the init flag, version and model.
void initialise_area(Area area, size_t size);

}  // namespace lumora::simvane
