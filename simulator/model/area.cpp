#include "area.h"

#include <cstring>

namespace lumora::simvane {

void initialise_area(Area area, size_t size) {
    std::memset(area.base(), 0, size);
    area.set_u8(sv_flag_init_adr, 255);
    area.set_u8(sv_ver_adr, SIMVANE_VERSION);
    area.set_u8(sv_hard_adr, 1);
}

}  // namespace lumora::simvane
