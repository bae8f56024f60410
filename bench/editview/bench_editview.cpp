// Speed of the edit view under Qt's offscreen platform: a key press until
// its frame is painted in a million-line document, a full repaint of a
// 200 x 60-cell view, opening a 20 MB file until its first frame, paging
// through a million lines, and the processor time of an idle blinking caret.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/source_corpus.h"
#include "ide/editor/keyword_db.h"
#include "ide/editor/text_doc.h"
#include "ide/editor/text_file_reader.h"
#include "ide/editview/edit_environment.h"
#include "ide/editview/text_edit_view.h"

using namespace lumora;

namespace {

const editor::KeywordDatabase& keywords() {
    return bench::source_keywords();
}

std::vector<std::string> million_lines() {
    return bench::source_lines(1000000);
}

editview::EditEnvironment& environment() {
    static editview::EditEnvironment* env = new editview::EditEnvironment;
    return *env;
}

// A shown view of `columns` x `rows` cells.
std::unique_ptr<editview::CTextEditView> make_view(editor::CTextDoc& doc, int columns, int rows) {
    auto view = std::make_unique<editview::CTextEditView>(doc, environment());
    view->show();
    const auto& c = environment().cell();
    const QSize extra = view->size() - view->viewport()->size();
    view->resize(columns * c.width + extra.width(), rows * c.height + extra.height());
    view->activateWindow();
    view->setFocus();
    QApplication::processEvents();
    return view;
}

void press(QWidget* w, Qt::Key key, const QString& text = {}) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &e);
}

void BM_KeyToFrameMillionLines(benchmark::State& state) {
    editor::CTextDoc doc(&keywords(), 4);
    doc.set_lines(million_lines());
    doc.set_text_type(editor::kTypeC);
    auto view = make_view(doc, 120, 50);
    view->go_to_line(500000);
    QApplication::processEvents();
    int n = 0;
    for (auto _ : state) {
        // Typing and deleting again keeps the document the same size.
        if (n++ % 2)
            press(view.get(), Qt::Key_Backspace);
        else
            press(view.get(), Qt::Key_unknown, QStringLiteral("x"));
        view->viewport()->repaint();
    }
}
BENCHMARK(BM_KeyToFrameMillionLines)->Unit(benchmark::kMillisecond);

void BM_FullRepaint200x60(benchmark::State& state) {
    editor::CTextDoc doc(&keywords(), 4);
    std::vector<std::string> lines(200);
    for (size_t i = 0; i < lines.size(); ++i) {
        lines[i] = bench::source_line(i);
        while (lines[i].size() < 200) lines[i] += " x = y + 1;";
        lines[i].resize(200);
    }
    doc.set_lines(lines);
    doc.set_text_type(editor::kTypeC);
    // Argument 1: characters copied as pre-blended pictures (what the view
    // does); 0: every glyph blended by the painter, for comparison.
    environment().set_sprite_text(state.range(0) != 0);
    auto view = make_view(doc, 200, 60);
    for (auto _ : state) view->viewport()->repaint();
    environment().set_sprite_text(true);
}
BENCHMARK(BM_FullRepaint200x60)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// A screen of 6,000 different kanji, painted with no character picture made
// yet: the first sight of new text (argument as above).
void BM_FirstRepaintOfNewKanji200x60(benchmark::State& state) {
    editor::CTextDoc doc(&keywords(), 4);
    std::vector<std::string> lines(60);
    int code = 0;
    for (auto& l : lines) {
        for (int i = 0; i < 100; ++i, ++code) {
            // Lead bytes 0x89-0x9F, trail bytes 0x40-0x7E and 0x80-0xFC.
            const int lead = 0x89 + code / 188, t = code % 188;
            l += static_cast<char>(lead);
            l += static_cast<char>(t < 63 ? 0x40 + t : 0x80 + (t - 63));
        }
    }
    doc.set_lines(lines);
    environment().set_sprite_text(state.range(0) != 0);
    auto view = make_view(doc, 200, 60);
    for (auto _ : state) {
        state.PauseTiming();
        environment().set_font(environment().font());  // forgets every picture
        state.ResumeTiming();
        view->viewport()->repaint();
    }
    environment().set_sprite_text(true);
}
BENCHMARK(BM_FirstRepaintOfNewKanji200x60)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

double cpu_seconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The counter first_cpu_ms is the first opening alone: run on its own
// (--benchmark_filter=Open20MB), that is a fresh process whose memory is not
// yet mapped, which costs several times more than the openings after it.
void BM_Open20MBToFirstFrame(benchmark::State& state) {
    const std::string path = (std::filesystem::temp_directory_path() / "bench_editview_20mb.c").string();
    std::ofstream(path, std::ios::binary) << bench::source_text(20u << 20);
    bool first = true;
    for (auto _ : state) {
        const double cpu0 = cpu_seconds();
        editor::TextFileReader reader;
        if (!reader.read(path)) {
            state.SkipWithError("cannot read the file");
            break;
        }
        auto doc = std::make_unique<editor::CTextDoc>(&keywords(), 4);
        doc->load(reader);
        auto view = make_view(*doc, 120, 50);
        view->viewport()->repaint();
        if (first) state.counters["first_cpu_ms"] = (cpu_seconds() - cpu0) * 1e3;
        first = false;
        // Closing the document is not part of opening it.
        state.PauseTiming();
        view.reset();
        doc.reset();
        state.ResumeTiming();
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_Open20MBToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PageDownMillionLines(benchmark::State& state) {
    editor::CTextDoc doc(&keywords(), 4);
    doc.set_lines(million_lines());
    doc.set_text_type(editor::kTypeC);
    auto view = make_view(doc, 120, 50);
    for (auto _ : state) {
        if (view->controller().caret().line >= doc.line_count() - 1)
            view->act([](editor::EditController& c) { c.set_caret({0, 0}); });
        press(view.get(), Qt::Key_PageDown);
        view->viewport()->repaint();
    }
}
BENCHMARK(BM_PageDownMillionLines)->Unit(benchmark::kMicrosecond);

// Processor share of an idle editor whose caret blinks: the event loop runs
// for a few seconds with nothing else to do.
void BM_IdleCaretBlinkCpu(benchmark::State& state) {
    editor::CTextDoc doc(&keywords(), 4);
    doc.set_lines(million_lines());
    auto view = make_view(doc, 120, 50);
    double share = 0;
    for (auto _ : state) {
        const double cpu0 = cpu_seconds();
        const auto t0 = std::chrono::steady_clock::now();
        QTimer::singleShot(5000, qApp, &QCoreApplication::quit);
        QApplication::exec();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        share = (cpu_seconds() - cpu0) / wall;
    }
    state.counters["cpu_percent"] = share * 100;
}
BENCHMARK(BM_IdleCaretBlinkCpu)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
