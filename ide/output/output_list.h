#pragma once
// The message list of the output window, owned by the project document.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ide/output/output_message.h"

namespace lumora::ide {

class OutputList {
  public:
    enum class Change { Appended, Cleared };
    // `first` and `count` give the appended range; for Cleared both are 0.
    using Listener = std::function<void(Change change, size_t first, size_t count)>;
    using BeepHandler = std::function<void()>;

    // Builds a message from Shift-JIS text and appends it.
    const OutputMessage& add_message(std::string_view sjis_text, bool classify);
    // A line of tool output in whatever encoding the tool used (see
    // tool_text_to_sjis), classified.
    const OutputMessage& add_tool_line(std::string_view raw_line);
    // Kind 5 with the given file (a path in the in-memory form) and line
    // (project search).
    const OutputMessage& add_search_result(std::string_view sjis_text, std::string_view file, int line);
    void clear();

    size_t size() const { return messages_.size(); }
    bool empty() const { return messages_.empty(); }
    const OutputMessage& at(size_t index) const { return messages_.at(index); }
    const std::vector<OutputMessage>& messages() const { return messages_; }

    // Lines of the given kind among [first, size()).
    int count_kind(int kind, size_t first = 0) const;

    // Next (forward) or previous compile error or warning, starting after
    // `start` and wrapping at the ends; `start` itself is found only when it is
    // the only one. Without a start, forward begins at the first line and
    // backward at the last. nullopt when there is none.
    std::optional<size_t> find_error(std::optional<size_t> start, bool forward) const;

    // Several listeners may watch (the pane, the build's counters, tests).
    void add_listener(Listener listener) { listeners_.push_back(std::move(listener)); }
    void set_beep_handler(BeepHandler handler) { beep_ = std::move(handler); }

  private:
    const OutputMessage& append(OutputMessage message, bool beep);

    std::vector<OutputMessage> messages_;
    std::vector<Listener> listeners_;
    BeepHandler beep_;
};

// The selection of the output pane: it follows new lines while it sits on the
// last one (or there were none), otherwise it stays.
class OutputSelection {
  public:
    std::optional<size_t> selected() const { return selected_; }
    void select(std::optional<size_t> index, size_t line_count);
    // Call after lines were appended: old_count lines before, new_count now.
    // True when the selection moved to the new last line (the pane then
    // scrolls to the bottom and fully left).
    bool on_appended(size_t old_count, size_t new_count);
    void on_cleared() { selected_.reset(); }

  private:
    std::optional<size_t> selected_;
};

}  // namespace lumora::ide
