// Speed of the picture converters on large inputs.
//
// Before timing anything, the incremental palette merging of pictosrc is run
// beside the straightforward one on the same picture and the two C texts are
// compared byte for byte; the program fails if they differ.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

#include "common/bmp.h"
#include "converters/gridex/gridex_convert.h"
#include "converters/pictosrc/pictosrc_convert.h"
#include "converters/pictosrc/pictosrc_text.h"
#include "converters/testdata/bmp_builder.h"

namespace {

using namespace lumora;

struct Picture {
    std::vector<uint8_t> file;
    BmpPixels pixels;
};

Picture load(std::vector<uint8_t> file) {
    Picture p{std::move(file), {}};
    const auto h = parse_bmp_header(p.file);
    if (!h) std::abort();
    const auto px = bmp_pixels(p.file, *h);
    if (!px) std::abort();
    p.pixels = *px;
    return p;
}

// Every pixel a random colour: each tile has ~64 colours and no two tiles
// share a palette, so merging starts from one palette per tile.
Picture noise_picture(int size, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint32_t> px(static_cast<size_t>(size) * size);
    for (auto& v : px) v = rng() & 0xFFFFFF;
    testdata::BmpLayout l;
    l.width = size;
    l.height = size;
    l.bit_count = 24;
    return load(testdata::build_bmp(l, px));
}

std::string pictosrc_text(const Picture& p, pictosrc::MergeMethod method) {
    const auto c = pictosrc::convert(p.pixels, method);
    return c ? pictosrc::render(*c) : std::string();
}

void BM_PictosrcNoise(benchmark::State& state) {
    const Picture p = noise_picture(static_cast<int>(state.range(0)), 1);
    const auto method = state.range(1) ? pictosrc::MergeMethod::Straightforward : pictosrc::MergeMethod::Incremental;
    for (auto _ : state) benchmark::DoNotOptimize(pictosrc::convert(p.pixels, method));
    state.SetLabel(state.range(1) ? "straightforward" : "incremental");
}
BENCHMARK(BM_PictosrcNoise)->Args({256, 0})->Args({128, 0})->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PictosrcNoise)->Args({128, 1})->Unit(benchmark::kMillisecond)->Iterations(1);

// 512×512 map area (64×64 cells) built from 256 parts in random orientations,
// the parts area (16×16 parts) beside it and the attribute area below.
// `shared_rows`: parts equal in all but their last row, so each comparison
// runs deep before it fails.
Picture gridex_picture(bool shared_rows) {
    const int width = 512 + 128;
    const int height = 512 + 512;
    std::vector<uint32_t> px(static_cast<size_t>(width) * height, 0);
    std::mt19937 rng(9);
    auto at = [&](int x, int y) -> uint32_t& { return px[static_cast<size_t>(y) * width + x]; };
    for (int part = 0; part < 256; ++part) {
        const int ox = 512 + 8 * (part % 16);
        const int oy = 8 * (part / 16);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                at(ox + x, oy + y) = shared_rows && y < 7 ? static_cast<uint32_t>((x * 7 + y * 3) & 0xFF)
                                                           : static_cast<uint32_t>(rng() & 0xFF);
        at(ox + 7, oy + 7) = static_cast<uint32_t>(part);  // every part distinct
    }
    for (int cy = 0; cy < 64; ++cy) {
        for (int cx = 0; cx < 64; ++cx) {
            const int part = static_cast<int>(rng() % 256);
            const bool mirrored = shared_rows ? false : rng() % 2;
            const bool flipped = shared_rows ? false : rng() % 2;
            const int ox = 512 + 8 * (part % 16);
            const int oy = 8 * (part / 16);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    at(8 * cx + x, 8 * cy + y) = at(ox + (mirrored ? 7 - x : x), oy + (flipped ? 7 - y : y));
        }
    }
    testdata::BmpLayout l;
    l.width = width;
    l.height = height;
    return load(testdata::build_bmp(l, px));
}

void BM_GridexMap512(benchmark::State& state) {
    const Picture p = gridex_picture(state.range(0) != 0);
    gridex::Settings s;
    s.map = {0, 0, 512, 512};
    s.attr_x = 0;
    s.attr_y = 512;
    s.parts = {512, 0, 128, 128};
    for (auto _ : state) {
        const auto r = gridex::convert(p.pixels, s);
        if (r.status != gridex::ConvertStatus::Ok) state.SkipWithError("conversion failed");
        benchmark::DoNotOptimize(r.map.data());
    }
    state.SetLabel(state.range(0) ? "parts alike but for the last row" : "noise parts, random orientations");
}
BENCHMARK(BM_GridexMap512)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const Picture check = noise_picture(128, 2);
    const std::string fast = pictosrc_text(check, pictosrc::MergeMethod::Incremental);
    const std::string slow = pictosrc_text(check, pictosrc::MergeMethod::Straightforward);
    if (fast.empty() || fast != slow) {
        std::fprintf(stderr, "pictosrc: incremental and straightforward merging disagree on 128x128 noise\n");
        return 1;
    }
    std::printf("pictosrc: incremental and straightforward merging give identical text (%zu bytes, 128x128)\n",
                fast.size());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
