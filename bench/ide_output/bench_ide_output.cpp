// Classifying a long tool output: 100,000 lines of the kinds a build prints.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "ide/output/output_list.h"

namespace {

std::vector<std::string> tool_output(size_t lines) {
    const char* samples[] = {
        "src\\game\\player.c(1234) : Error: undefined identifier 'score'",
        "src/game/enemy.c(88) : warning 5: possible unintended assignment",
        "LINKER : Error 42: Symbol Undefined _draw_sprite",
        "LINKER : Warning 13: default library not found",
        "sc -c -msw -NL -j0 -a1 -0 -o -Bj main.c -obin\\main.Obj",
        "Fatal error: out of memory",
        "\xE8\xAD\xA6\xE5\x91\x8A: a UTF-8 line from a host tool",
        "",
    };
    std::vector<std::string> out;
    out.reserve(lines);
    for (size_t i = 0; i < lines; ++i) out.emplace_back(samples[i % (sizeof samples / sizeof *samples)]);
    return out;
}

void BM_ClassifyToolOutput(benchmark::State& state) {
    const auto lines = tool_output(100000);
    for (auto _ : state) {
        lumora::ide::OutputList list;
        for (const auto& line : lines) list.add_tool_line(line);
        benchmark::DoNotOptimize(list.count_kind(lumora::ide::kCompileError));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines.size()));
    state.counters["lines_per_s"] =
        benchmark::Counter(static_cast<double>(lines.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ClassifyToolOutput)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
