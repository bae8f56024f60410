#include "ide/output/output_list.h"

namespace lumora::ide {

const OutputMessage& OutputList::append(OutputMessage message, bool beep) {
    if (beep && beep_) beep_();
    messages_.push_back(std::move(message));
    size_t first = messages_.size() - 1;
    for (auto& listener : listeners_) listener(Change::Appended, first, 1);
    return messages_.back();
}

const OutputMessage& OutputList::add_message(std::string_view sjis_text, bool classify) {
    BuiltMessage built = build_message(sjis_text, classify);
    return append(std::move(built.message), built.beep);
}

const OutputMessage& OutputList::add_tool_line(std::string_view raw_line) {
    return add_message(tool_text_to_sjis(raw_line), true);
}

const OutputMessage& OutputList::add_search_result(std::string_view sjis_text, std::string_view file,
                                                   int line) {
    BuiltMessage built = build_message(sjis_text, false);
    built.message.file = std::string(file);
    built.message.line = line;
    built.message.kind = kSearchResult;
    return append(std::move(built.message), built.beep);
}

void OutputList::clear() {
    messages_.clear();
    for (auto& listener : listeners_) listener(Change::Cleared, 0, 0);
}

int OutputList::count_kind(int kind, size_t first) const {
    int n = 0;
    for (size_t i = first; i < messages_.size(); ++i)
        if (messages_[i].kind == kind) ++n;
    return n;
}

std::optional<size_t> OutputList::find_error(std::optional<size_t> start, bool forward) const {
    const size_t n = messages_.size();
    if (n == 0) return std::nullopt;
    auto is_error = [&](size_t i) {
        return messages_[i].kind == kCompileError || messages_[i].kind == kCompileWarning;
    };
    // Without a selection the walk starts just outside the list, so the first
    // step lands on the first (or last) line.
    size_t origin = start && *start < n ? *start : (forward ? n - 1 : 0);
    size_t i = origin;
    for (size_t steps = 0; steps < n; ++steps) {
        i = forward ? (i + 1) % n : (i + n - 1) % n;
        if (is_error(i)) return i;
    }
    return std::nullopt;
}

void OutputSelection::select(std::optional<size_t> index, size_t line_count) {
    if (index && line_count == 0) {
        selected_.reset();
        return;
    }
    if (index && *index >= line_count) index = line_count - 1;
    selected_ = index;
}

bool OutputSelection::on_appended(size_t old_count, size_t new_count) {
    if (new_count == 0 || new_count <= old_count) return false;
    bool at_end = old_count == 0 || !selected_ || *selected_ + 1 >= old_count;
    if (!at_end) return false;
    selected_ = new_count - 1;
    return true;
}

}  // namespace lumora::ide
