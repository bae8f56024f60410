#include "ide/editor/document_set.h"

#include <sys/stat.h>

#include <algorithm>

#include "ide/editor/text_file_reader.h"

namespace lumora::editor {

namespace {

bool equal_ignoring_case(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

// On a case-sensitive file system "a.c" and "A.c" may both exist; they are
// one document only when they are the same file (or the asked-for one is missing).
bool same_document(const std::string& open_path, const std::string& asked) {
    if (open_path == asked) return true;
    if (!equal_ignoring_case(open_path, asked)) return false;
    struct stat a {
    }, b{};
    if (::stat(asked.c_str(), &b) != 0) return true;
    if (::stat(open_path.c_str(), &a) != 0) return true;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

CTextDoc* DocumentSet::find(const std::string& path) const {
    for (const auto& d : docs_)
        if (!d->path().empty() && same_document(d->path(), path)) return d.get();
    return nullptr;
}

OpenOutcome DocumentSet::open(const std::string& path) {
    OpenOutcome out;
    if (CTextDoc* d = find(path)) {
        out.document = d;
        out.already_open = true;
        return out;
    }
    TextFileReader reader;
    if (!reader.read(path, &out.error)) return out;
    if (reader.kind == kKindNotText) {
        out.not_text = true;
        return out;
    }
    auto doc = std::make_unique<CTextDoc>(keywords_, tab_length_);
    doc->load(reader);
    out.document = doc.get();
    docs_.push_back(std::move(doc));
    return out;
}

CTextDoc& DocumentSet::create() {
    docs_.push_back(std::make_unique<CTextDoc>(keywords_, tab_length_));
    return *docs_.back();
}

void DocumentSet::close(CTextDoc* doc) {
    docs_.erase(std::remove_if(docs_.begin(), docs_.end(), [&](const auto& d) { return d.get() == doc; }),
                docs_.end());
}

void DocumentSet::set_tab_length(int tab_length) {
    tab_length_ = tab_length;
    for (auto& d : docs_) d->set_tab_length(tab_length);
}

void DocumentSet::retokenize_all() {
    for (auto& d : docs_) d->retokenize_all();
}

void go_to_line_centred(EditController& view, int n, const std::function<void()>& scroll_into_view) {
    const int count = std::max(view.document().line_count(), 1);
    n = std::clamp(n, 1, count);
    const int h = view.visible_rows() / 2;
    if (h > 0) {
        view.set_caret({0, std::min(n + h - 1, count - 1)});
        if (scroll_into_view) scroll_into_view();
    }
    view.set_caret({0, n - 1});
    if (scroll_into_view) scroll_into_view();
}

void place_caret_after_open(EditController& view, int line, const std::string& text, bool already_open,
                            const std::function<void()>& scroll_into_view) {
    const bool go = already_open ? line >= 0 : line > 0;
    if (go) {
        go_to_line_centred(view, std::max(line, 1), scroll_into_view);
        return;
    }
    if (text.empty()) return;
    SearchSettings s;
    s.find_text = text;
    s.whole_word = true;
    s.match_case = true;
    view.set_caret({0, 0});
    find_and_show(view, s, true);
    if (scroll_into_view) scroll_into_view();
}

std::string initial_find_text(const EditController& view, const SearchSettings& settings) {
    std::string t = view.word_at_caret();  // the selection when there is one
    return t.empty() ? settings.find_text : t;
}

}  // namespace lumora::editor
