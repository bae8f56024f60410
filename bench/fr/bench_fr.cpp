// Decoding the largest bitmap resources a viewer meets, and splitting a map
// that needs all four data files.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "converters/iflmfr/fr_bitmap.h"
#include "converters/orvconv/orv_convert.h"

namespace {

std::vector<uint8_t> bitmap(uint8_t mode, uint8_t w, uint8_t h) {
    const bool four = mode >= 4;
    const size_t tile = mode == 0 ? 8 : (four ? 32 : 16);
    const size_t content = (four ? 48 : 16) + tile * w * h;
    const auto paragraphs = static_cast<uint16_t>((content + 15) / 16);
    std::vector<uint8_t> out = {
        'F', 'R', 'B',  'M', static_cast<uint8_t>(paragraphs), static_cast<uint8_t>(paragraphs >> 8), 0, 0,
        w,   h,   mode, 0};
    out.resize(content);
    for (size_t i = 12; i < content; ++i) out[i] = static_cast<uint8_t>(i * 31 + (i >> 9));
    return out;
}

void BM_DecodeDib(benchmark::State& state) {
    const auto mode = static_cast<uint8_t>(state.range(0));
    // 4-bit resources state their length in 16 bits: 180x180 tiles is near the top.
    const uint8_t side = mode >= 4 ? 180 : 255;
    const auto data = bitmap(mode, side, side);
    if (!lumora::fr::decode_dib(data)) state.SkipWithError("sample resource not accepted");
    for (auto _ : state) {
        auto dib = lumora::fr::decode_dib(data);
        benchmark::DoNotOptimize(dib);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
    state.counters["pixels"] = double(8 * side) * double(8 * side);
}
BENCHMARK(BM_DecodeDib)->Arg(0)->Arg(2)->Arg(4)->Arg(5)->Unit(benchmark::kMillisecond);

void BM_OrvconvFourPieces(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("bench_fr_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::vector<uint8_t> map = {0, 0, 0, 0, 0, 0, 0, 0, 8, 128, 0, 0, 0, 16, 0, 16, 0, 0};
    map.resize(18 + 16 * 16 * 2 + 8 * 128 + 3 * 65536 + 1000, 0x5A);
    const std::string fr = (dir / "map.fr").string();
    std::ofstream(fr, std::ios::binary)
        .write(reinterpret_cast<const char*>(map.data()), std::streamsize(map.size()));
    lumora::orv::ConvertRequest req;
    req.fr_path = fr;
    req.out_dir = dir.string();
    req.fields = {"35.7", "139.6", "35.6", "139.8", "64", "1024"};
    for (auto _ : state) {
        const auto r = lumora::orv::convert(req);
        if (!r.ok) state.SkipWithError(r.message.c_str());
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_OrvconvFourPieces)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
