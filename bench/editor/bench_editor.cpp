// Speed of the editor core on big inputs: opening, typing, colouring for a
// repaint, searching a document and searching a whole project.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/source_corpus.h"
#include "ide/editor/draw_state.h"
#include "ide/editor/edit_controller.h"
#include "ide/editor/keyword_db.h"
#include "ide/editor/project_search.h"
#include "ide/editor/search.h"
#include "ide/editor/text_doc.h"
#include "ide/editor/text_file_reader.h"

using namespace lumora::editor;

namespace {

const KeywordDatabase& keywords() {
    return lumora::bench::source_keywords();
}

using lumora::bench::source_lines;
using lumora::bench::source_text;

std::string scratch_dir() {
    std::string t = (std::filesystem::temp_directory_path() / "edbenchXXXXXX").string();
    std::vector<char> buf(t.begin(), t.end());
    buf.push_back('\0');
    return ::mkdtemp(buf.data());
}

double cpu_ms() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// first_cpu_ms is the first opening alone: run on its own
// (--benchmark_filter=Open20MB) that is a fresh process, whose memory is not
// yet mapped.
void BM_Open20MB(benchmark::State& state) {
    const std::string dir = scratch_dir();
    const std::string path = dir + "/big.c";
    std::ofstream(path, std::ios::binary) << source_text(20u << 20);
    size_t bytes = std::filesystem::file_size(path);
    bool first = true;
    for (auto _ : state) {
        const double cpu0 = cpu_ms();
        auto doc = std::make_unique<CTextDoc>(&keywords());
        TextFileReader r;
        r.read(path);
        doc->load(r);
        benchmark::DoNotOptimize(doc->line_count());
        if (first) state.counters["first_cpu_ms"] = cpu_ms() - cpu0;
        first = false;
        state.PauseTiming();  // closing the document is not part of opening it
        doc.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_Open20MB)->Unit(benchmark::kMillisecond);

struct MillionLines {
    CTextDoc doc{&keywords()};
    MillionLines() { doc.set_lines(source_lines(1000000)); }
};

void BM_TypeCharMiddleOfMillionLines(benchmark::State& state) {
    MillionLines m;
    EditController ed(m.doc);
    // Each keystroke goes to another line so no line grows long.
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ed.set_caret({8, 400000 + (i++ % 200000)});
        state.ResumeTiming();
        ed.type_byte('x');
    }
    state.counters["undo_records"] = static_cast<double>(m.doc.undo_records().size());
}
BENCHMARK(BM_TypeCharMiddleOfMillionLines)->Unit(benchmark::kMicrosecond);

void BM_EnterMiddleOfMillionLines(benchmark::State& state) {
    MillionLines m;
    EditController ed(m.doc);
    ed.set_caret({8, 500000});
    for (auto _ : state) ed.enter();
}
BENCHMARK(BM_EnterMiddleOfMillionLines)->Unit(benchmark::kMicrosecond);

// Colours of the last screen (60 lines) of a 1,000,000-line C file, as a
// repaint needs them: the entry state (from line 0) plus the runs.
void paint_last_screen(CTextDoc& doc, std::vector<ColourRun>& runs) {
    const int first = doc.line_count() - 60;
    int st = drawing_entry_state(doc, kTypeC, first, first);
    for (int i = first; i < doc.line_count(); ++i) colour_line(*doc.line(i), kTypeC, st, runs);
}

void BM_RepaintLastScreenFirstTime(benchmark::State& state) {
    MillionLines m;
    std::vector<ColourRun> runs;
    for (auto _ : state) {
        state.PauseTiming();
        m.doc.retokenize_all();  // keyword sets switched: every cached state goes
        state.ResumeTiming();
        paint_last_screen(m.doc, runs);
    }
}
BENCHMARK(BM_RepaintLastScreenFirstTime)->Unit(benchmark::kMillisecond);

void BM_RepaintLastScreenNoEdits(benchmark::State& state) {
    MillionLines m;
    std::vector<ColourRun> runs;
    paint_last_screen(m.doc, runs);
    for (auto _ : state) paint_last_screen(m.doc, runs);
}
BENCHMARK(BM_RepaintLastScreenNoEdits)->Unit(benchmark::kMicrosecond);

// A second view shows the end of the file while the first one types in the
// middle: each keystroke repaints the second view.
void BM_RepaintLastScreenAfterTypingMidway(benchmark::State& state) {
    MillionLines m;
    EditController ed(m.doc);
    std::vector<ColourRun> runs;
    paint_last_screen(m.doc, runs);
    ed.set_caret({8, 500000});
    for (auto _ : state) {
        state.PauseTiming();
        ed.type_byte('x');
        state.ResumeTiming();
        paint_last_screen(m.doc, runs);
    }
}
BENCHMARK(BM_RepaintLastScreenAfterTypingMidway)->Unit(benchmark::kMicrosecond);

// The same with the keystroke timed too: the typed line is cut into tokens
// either when it changes or when the states are next looked at, and it grows
// by a byte a keystroke.
void BM_TypeMidwayThenRepaintLastScreen(benchmark::State& state) {
    MillionLines m;
    EditController ed(m.doc);
    std::vector<ColourRun> runs;
    paint_last_screen(m.doc, runs);
    ed.set_caret({8, 500000});
    for (auto _ : state) {
        ed.type_byte('x');
        paint_last_screen(m.doc, runs);
    }
}
BENCHMARK(BM_TypeMidwayThenRepaintLastScreen)->Unit(benchmark::kMicrosecond);

void search_million(benchmark::State& state, bool match_case) {
    MillionLines m;
    TextPos p{0, m.doc.line_count() - 1};
    m.doc.insert(nullptr, "needle_at_the_end", p);
    size_t bytes = 0;
    for (int i = 0; i < m.doc.line_count(); ++i) bytes += m.doc.line_text(i).size();
    SearchSettings s;
    s.find_text = "needle_at_the_end";
    s.match_case = match_case;
    for (auto _ : state) {
        auto r = search_document(m.doc, s, {0, 0}, true);
        if (!r || r->start.line != m.doc.line_count() - 1) state.SkipWithError("not found");
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}
void BM_SearchMillionLinesIgnoreCase(benchmark::State& state) {
    search_million(state, false);
}
void BM_SearchMillionLinesMatchCase(benchmark::State& state) {
    search_million(state, true);
}
BENCHMARK(BM_SearchMillionLinesIgnoreCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchMillionLinesMatchCase)->Unit(benchmark::kMillisecond);

// 1,000 files of 50 KB each.
struct ProjectTree {
    std::string dir = scratch_dir();
    std::vector<std::string> files;
    ProjectTree() {
        std::string body = source_text(50 * 1024);
        for (int i = 0; i < 1000; ++i) {
            files.push_back(dir + "/src" + std::to_string(i) + ".c");
            std::ofstream(files.back(), std::ios::binary) << body;
        }
    }
    ~ProjectTree() { std::filesystem::remove_all(dir); }
};

struct NullSink : ProjectSearchSink {
    int n = 0;
    void clear() override {}
    void add_line(const std::string&) override {}
    void add_result(const std::string&, const std::string&, int) override { ++n; }
};

void BM_FindInProject1000Files(benchmark::State& state) {
    ProjectTree tree;
    SearchSettings s;
    s.find_text = "table_7";
    for (auto _ : state) {
        NullSink sink;
        benchmark::DoNotOptimize(find_in_project(tree.files, s, 4, sink).count);
    }
    state.SetBytesProcessed(int64_t{50 * 1024 * 1000} * state.iterations());
    // The same search with grep, for comparison: wall time and the CPU time
    // grep used (on a shared machine the CPU times compare better).
    auto child_cpu = [] {
        rusage u{};
        getrusage(RUSAGE_CHILDREN, &u);
        return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
               (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
    };
    double wall = 0, cpu = 0;
    const int runs = 5;
    for (int i = 0; i < runs; ++i) {
        double c0 = child_cpu();
        auto t0 = std::chrono::steady_clock::now();
        int rc = std::system(("grep -rn table_7 " + tree.dir + " > /dev/null").c_str());
        auto t1 = std::chrono::steady_clock::now();
        if (rc == -1) state.SkipWithError("grep did not run");
        wall += std::chrono::duration<double, std::milli>(t1 - t0).count();
        cpu += child_cpu() - c0;
    }
    state.counters["grep_wall_ms"] = wall / runs;
    state.counters["grep_cpu_ms"] = cpu / runs;
}
BENCHMARK(BM_FindInProject1000Files)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
