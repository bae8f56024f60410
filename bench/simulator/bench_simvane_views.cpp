// Render time of each simvane view for a busy area: every map cell, tile and
// palette filled, all 128 sprites in the run.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "area.h"
#include "views.h"

namespace {

using namespace lumora::simvane;

std::vector<uint8_t> busy_area(uint8_t colour_mode) {
    std::vector<uint8_t> a(SIMVANE_AREA_SIZE, 0);
    std::mt19937 rng(7);
    for (size_t i = 0; i < sv_spr_adr + 0x200; ++i) a[i] = static_cast<uint8_t>(rng());
    for (size_t i = sv_col_pal_adr; i < sv_scr_scrl_adr; ++i) a[i] = static_cast<uint8_t>(rng());
    a[sv_col_mode_adr] = colour_mode;
    a[sv_spr_rg_adr] = 0;
    a[sv_spr_rg_adr + 1] = 128;
    a[sv_disp_adr] = 0x27;  // both screens, sprites, screen 2 window
    a[sv_scr2_win_adr + 2] = 100;
    a[sv_scr2_win_adr + 3] = 100;
    a[sv_spr_win_adr] = 0;
    a[sv_spr_win_adr + 2] = 200;
    a[sv_spr_win_adr + 3] = 200;
    a[sv_lcd_adr] = 1;
    a[sv_seg_adr] = 0x3F;
    a[sv_flag_init_adr] = 0;
    return a;
}

void view(benchmark::State& state, ViewKind kind, uint8_t colour_mode, int mode) {
    const std::vector<uint8_t> a = busy_area(colour_mode);
    for (auto _ : state) benchmark::DoNotOptimize(render_view(a.data(), kind, mode));
}

void compose_only(benchmark::State& state) {
    const std::vector<uint8_t> a = busy_area(0xE0);
    const Layer s1 = render_screen_layer(a.data(), 1), s2 = render_screen_layer(a.data(), 2),
                sp = render_sprite_layer(a.data());
    for (auto _ : state) benchmark::DoNotOptimize(compose_lcd(a.data(), 7, s1, s2, sp));
}

BENCHMARK_CAPTURE(view, character_1024_planar, ViewKind::character, 0xC0, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(view, character_512_two_bit, ViewKind::character, 0x00, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(view, sprite_128, ViewKind::sprite, 0xE0, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(view, screen1_packed, ViewKind::screen1, 0xE0, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(view, screen2_monochrome, ViewKind::screen2, 0x00, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(view, lcd_whole_landscape, ViewKind::lcd, 0xE0, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(view, lcd_whole_portrait_inverted, ViewKind::lcd, 0xE0, 7)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(view, segment, ViewKind::segment, 0xE0, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK(compose_only)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
