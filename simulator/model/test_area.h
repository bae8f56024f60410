#pragma once
// A private area in ordinary memory, set up as simvane sets up the shared one.

#include <cstdlib>
#include <memory>

#include "area.h"

namespace lumora::simvane::testing {

class TestArea {
  public:
    TestArea() : bytes_(static_cast<uint8_t*>(std::aligned_alloc(4096, SIMVANE_AREA_SIZE))) {
        initialise_area(area(), SIMVANE_AREA_SIZE);
    }
    Area area() const { return Area(bytes_.get()); }
    uint8_t* base() const { return bytes_.get(); }
    uint8_t& operator[](size_t off) const { return bytes_.get()[off]; }
    void put16(size_t off, uint16_t v) const {
        bytes_.get()[off] = static_cast<uint8_t>(v);
        bytes_.get()[off + 1] = static_cast<uint8_t>(v >> 8);
    }
    uint16_t get16(size_t off) const {
        return static_cast<uint16_t>(bytes_.get()[off] | bytes_.get()[off + 1] << 8);
    }

  private:
    struct Free {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint8_t, Free> bytes_;
};

}  // namespace lumora::simvane::testing
