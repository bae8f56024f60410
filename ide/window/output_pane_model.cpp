#include "ide/window/output_pane_model.h"

#include <algorithm>

namespace lumora::ide {

void OutputPaneModel::set_viewport(int rows, int columns) {
    rows_ = std::max(1, rows);
    columns_ = std::max(1, columns);
    scroll_to(top_, left_);
}

int OutputPaneModel::max_top() const {
    return std::max(0, static_cast<int>(count_) - rows_);
}

int OutputPaneModel::max_left() const {
    return std::max(0, width() - columns_);
}

void OutputPaneModel::scroll_to(int top, int left) {
    top_ = std::clamp(top, 0, max_top());
    left_ = std::clamp(left, 0, max_left());
}

void OutputPaneModel::appended(size_t new_count, int longest) {
    const size_t old_count = count_;
    count_ = new_count;
    width_ = std::max(width_, longest);
    const bool follow = old_count == 0 || !selected_ || *selected_ + 1 >= old_count;
    if (follow && new_count > 0) {
        selected_ = new_count - 1;
        top_ = max_top();
        left_ = 0;
    }
}

void OutputPaneModel::cleared() {
    count_ = 0;
    width_ = 0;
    selected_.reset();
    top_ = 0;
    left_ = 0;
}

void OutputPaneModel::keep_selection_visible() {
    if (!selected_) return;
    const int row = static_cast<int>(*selected_);
    if (row < top_) top_ = row;
    if (row > top_ + rows_ - 1) top_ = row - rows_ + 1;
    scroll_to(top_, left_);
}

void OutputPaneModel::move_selection(long delta) {
    if (count_ == 0) return;
    long from = selected_ ? static_cast<long>(*selected_) : (delta > 0 ? -1 : static_cast<long>(count_));
    long to = std::clamp(from + delta, 0L, static_cast<long>(count_) - 1);
    selected_ = static_cast<size_t>(to);
}

bool OutputPaneModel::key(PaneKey key, bool ctrl) {
    const int half = std::max(1, rows_ / 2);
    bool jump = false;
    switch (key) {
        case PaneKey::enter:
            jump = selected_.has_value();
            break;
        case PaneKey::up:
            move_selection(-1);
            break;
        case PaneKey::down:
            move_selection(1);
            break;
        case PaneKey::page_up:
            if (ctrl)
                scroll_to(top_, left_ - columns_);
            else
                move_selection(-half);
            break;
        case PaneKey::page_down:
            if (ctrl)
                scroll_to(top_, left_ + columns_);
            else
                move_selection(half);
            break;
        case PaneKey::home:
            scroll_to(top_, 0);
            if (ctrl && count_ > 0) selected_ = 0;
            break;
        case PaneKey::end:
            if (ctrl) {
                scroll_to(top_, 0);
                if (count_ > 0) selected_ = count_ - 1;
            } else {
                scroll_to(top_, max_left());
            }
            break;
        case PaneKey::left:
            scroll_to(top_, left_ - 1);
            break;
        case PaneKey::right:
            scroll_to(top_, left_ + 1);
            break;
    }
    keep_selection_visible();
    return jump;
}

void OutputPaneModel::click(int row) {
    if (count_ == 0) return;
    const long index =
        std::clamp(static_cast<long>(top_) + std::max(0, row), 0L, static_cast<long>(count_) - 1);
    selected_ = static_cast<size_t>(index);
}

void OutputPaneModel::select(size_t index) {
    if (index >= count_) return;
    selected_ = index;
    keep_selection_visible();
}

}  // namespace lumora::ide
