#include "ide/editor/scroll_model.h"

#include <algorithm>

namespace lumora::editor {

void ScrollAxis::set_total(int cells) {
    total_ = std::clamp(cells, 0, kMaxTotal);
    set_position(position_);
}

void ScrollAxis::set_visible(int visible_cells) {
    visible_ = std::max(visible_cells, 0);
    page_ = visible_ > 0 ? visible_ : kDefaultPage;
    set_position(position_);
}

int ScrollAxis::set_position(int cell) {
    const int old = position_;
    position_ = std::clamp(cell, 0, max_position());
    return position_ - old;
}

int ScrollAxis::keep_visible(int cell, int margin) {
    if (cell < position_) return set_position(cell);
    const int shown = std::max(visible_, 1);
    // The margin never pushes the cell itself out of a narrow window.
    if (cell >= position_ + shown) return set_position(cell - shown + 1 + std::min(margin, shown - 1));
    return 0;
}

void ScrollAxis::set_bar_value(int value) {
    if (value == bar_value()) return;
    set_position(value * factor());
}

}  // namespace lumora::editor
