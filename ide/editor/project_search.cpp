#include "ide/editor/project_search.h"

#include <cstdio>

#include "common/cp932.h"
#include "common/sjis.h"
#include "ide/editor/text_file_reader.h"
#include "ide/editor/tokenizer.h"

namespace lumora::editor {

namespace {

// Host paths are UTF-8; the output window holds Shift-JIS.
std::string path_for_display(const std::string& path) {
    if (cp932::has_non_ascii(path) && cp932::is_valid_utf8(path)) return cp932::from_utf8(path);
    return path;
}

std::string sjis(const char* utf8) { return cp932::from_utf8(utf8); }

}  // namespace

std::string project_result_line(const std::string& sjis_path, int line_number, std::string_view text, int tab_length) {
    if (tab_length <= 0) tab_length = 4;
    std::string out = sjis_path;
    char num[32];
    std::snprintf(num, sizeof num, "(%d):", line_number);
    out += num;
    // Tab stops count from the start of the output line, as it is shown.
    size_t column = out.size();
    for (size_t i = 0; i < text.size();) {
        const uint8_t b = static_cast<uint8_t>(text[i]);
        if (b == '\t') {
            size_t next = (column / static_cast<size_t>(tab_length) + 1) * static_cast<size_t>(tab_length);
            out.append(next - column, ' ');
            column = next;
            ++i;
        } else if (sjis::is_lead(b) && i + 1 < text.size() && sjis::is_trail(static_cast<uint8_t>(text[i + 1]))) {
            out.append(text.substr(i, 2));
            column += 2;
            i += 2;
        } else {
            out.push_back(static_cast<char>(b));
            ++column;
            ++i;
        }
    }
    return out;
}

ProjectSearchOutcome find_in_project(const std::vector<std::string>& files, const SearchSettings& settings,
                                     int tab_length, ProjectSearchSink& sink,
                                     const std::function<bool()>& keep_running, const KeywordDatabase* keywords) {
    ProjectSearchOutcome outcome;
    sink.clear();
    sink.add_line("'" + settings.find_text + sjis("' を検索中..."));
    LineMatcher matcher(settings);
    std::vector<TokenSpan> tokens;
    auto running = [&] { return !keep_running || keep_running(); };
    for (const std::string& file : files) {
        if (!running()) {
            outcome.cancelled = true;
            break;
        }
        TextFileReader reader;
        if (!reader.read(file)) continue;  // unreadable files are skipped
        if (matcher.empty()) continue;
        const std::string shown_path = path_for_display(file);
        int line_number = 0;
        // Files that are not text are cut into lines all the same.
        cut_lines(reader.contents, reader.encoding, [&](std::string_view line) {
            ++line_number;
            if (line.size() < matcher.length()) return;
            if (matcher.whole_word()) {
                std::string_view p = matcher.prepare(line);
                if (!matcher.contains(p)) return;
                tokenize(line, keywords, tokens);
            }
            if (!matcher.line_matches(line, tokens)) return;
            sink.add_result(project_result_line(shown_path, line_number, line, tab_length), file, line_number);
            ++outcome.count;
        });
    }
    if (outcome.cancelled) {
        sink.add_line(sjis("取り消されました。"));
    } else {
        char num[32];
        std::snprintf(num, sizeof num, "%d", outcome.count);
        sink.add_line(num + sjis(" 個、検索されました。"));
    }
    return outcome;
}

ProjectSearchOutcome ProjectSearchRunner::run(const std::vector<std::string>& files, const SearchSettings& settings,
                                              int tab_length, ProjectSearchSink& sink, const std::function<void()>& pump,
                                              const KeywordDatabase* keywords) {
    if (running_) {
        request_stop();
        return {};
    }
    running_ = true;
    stop_ = false;
    ProjectSearchOutcome r = find_in_project(
        files, settings, tab_length, sink,
        [&] {
            if (pump) pump();
            return !stop_;
        },
        keywords);
    running_ = false;
    stop_ = false;
    return r;
}

}  // namespace lumora::editor
