#include "key_map.h"

#include "simvane_area.h"

namespace lumora::simvane {
namespace {

struct Mapping {
    uint16_t bit;
    uint32_t landscape;
    uint32_t portrait;
};

// Portrait use turns the console a quarter turn, so each pad is read one
// direction round.
constexpr Mapping kMap[] = {
    {SV_KEY_START, kPcS, kPcS},     {SV_KEY_A, kPcA, kPcA},        {SV_KEY_B, kPcB, kPcB},
    {SV_KEY_X1, kPcPad8, kPcPad4},  {SV_KEY_X2, kPcPad6, kPcPad8}, {SV_KEY_X3, kPcPad2, kPcPad6},
    {SV_KEY_X4, kPcPad4, kPcPad2},  {SV_KEY_Y1, kPcUp, kPcLeft},   {SV_KEY_Y2, kPcRight, kPcUp},
    {SV_KEY_Y3, kPcDown, kPcRight}, {SV_KEY_Y4, kPcLeft, kPcDown},
};

}  // namespace

uint16_t key_word(uint32_t held, bool portrait) {
    uint16_t k = 0;
    for (const auto& m : kMap)
        if (held & (portrait ? m.portrait : m.landscape)) k |= m.bit;
    return k;
}

}  // namespace lumora::simvane
