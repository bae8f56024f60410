#pragma once
// Scrolling in whole cells along one direction of the edit view: the total
// and page sizes, the position, keeping a cell in view, and the scale factor
// that maps cell positions onto a scroll bar with a limited range while
// every cell stays reachable by line steps.

namespace lumora::editor {

class ScrollAxis {
  public:
    static constexpr int kMaxTotal = 100000000;
    static constexpr int kBarLimit = 30000;
    static constexpr int kDefaultPage = 10;

    int total() const { return total_; }
    // Whole cells that fit in the window; a window too small for one cell
    // still pages by 10.
    int page() const { return page_; }
    int visible() const { return visible_; }
    int position() const { return position_; }
    int max_position() const { return total_ > visible_ ? total_ - visible_ : 0; }

    void set_total(int cells);
    // `visible_cells` whole cells fit in the client area.
    void set_visible(int visible_cells);
    // Clamped to 0 .. max_position(); returns the change.
    int set_position(int cell);
    int scroll_by(int cells) { return set_position(position_ + cells); }
    // Brings `cell` into view with `margin` more cells after it when it lies
    // beyond the end; returns the change.
    int keep_visible(int cell, int margin = 1);
    bool is_visible(int cell) const { return cell >= position_ && cell < position_ + visible_; }

    // Scroll bar: 1 up to kBarLimit cells, then total / kBarLimit + 1.
    int factor() const { return total_ <= kBarLimit ? 1 : total_ / kBarLimit + 1; }
    int bar_maximum() const { return (max_position() + factor() - 1) / factor(); }
    // The end of the document shows as the end of the bar.
    int bar_value() const { return position_ >= max_position() ? bar_maximum() : position_ / factor(); }
    // A thumb moved to `value`: the cell the bar shows there (the remainder
    // is kept when the bar did not really move).
    void set_bar_value(int value);

  private:
    int total_ = 0;
    int visible_ = 0;
    int page_ = kDefaultPage;
    int position_ = 0;
};

}  // namespace lumora::editor
