// simvane's window pictures from an area the program under test wrote: the
// views read only the snapshot, whatever its registers, maps and tables say.
//
// Input: the display mode byte, up to 1 KiB written over the register block
// (0xB400-0xB7FF), then patches of the rest: a 16-bit offset, a length byte
// and that many bytes.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "area.h"
#include "fuzz/fuzz_support.h"
#include "views.h"

using namespace lumora;
using namespace lumora::simvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputSplitter in(data, size);
    const int mode = in.take_byte() & 7;
    // The snapshot is exactly the bytes the views may read, so a read past
    // it is caught.
    std::vector<uint8_t> area(SIMVANE_AREA_SIZE);
    initialise_area(Area(area.data()), area.size());
    std::vector<uint8_t> snap(area.begin(), area.begin() + kViewBytes);

    constexpr size_t kRegisters = sv_chr_pal_adr;
    const auto registers = in.take(kViewBytes - kRegisters);
    std::copy(registers.begin(), registers.end(), snap.begin() + kRegisters);
    while (!in.rest().empty()) {
        const size_t offset = in.take_u16() % kRegisters;
        const auto bytes = in.take(in.take_byte());
        for (size_t i = 0; i < bytes.size() && offset + i < kRegisters; ++i) snap[offset + i] = bytes[i];
    }

    const Layer screen1 = render_screen_layer(snap.data(), 1);
    const Layer screen2 = render_screen_layer(snap.data(), 2);
    const Layer sprites = render_sprite_layer(snap.data());
    layer_picture(sprites);
    render_character_view(snap.data());
    if (const auto lcd = compose_lcd(snap.data(), mode, screen1, screen2, sprites)) {
        const LcdLayout layout = lcd_layout(mode);
        if (lcd->width() > layout.window.width() || lcd->height() > layout.window.height()) std::abort();
    }
    render_segment(snap.data(), mode);
    return 0;
}
