#pragma once
// What the output pane shows and how its keys move it: the selected line,
// the scroll position in character cells, following running output.
// The widget only paints rows and turns key presses into calls here.

#include <cstddef>
#include <optional>

namespace lumora::ide {

enum class PaneKey { enter, up, down, page_up, page_down, home, end, left, right };

// Lines the pane is always wide enough for; longer lines widen it.
inline constexpr int kOutputMinimumWidth = 256;

class OutputPaneModel {
  public:
    // Whole rows and columns that fit in the pane.
    void set_viewport(int rows, int columns);
    int rows() const { return rows_; }
    int columns() const { return columns_; }

    size_t line_count() const { return count_; }
    // Width of the scroll range in cells: at least 256, else the longest line.
    int width() const { return width_ > kOutputMinimumWidth ? width_ : kOutputMinimumWidth; }

    // New lines arrived (`longest` is the widest of them, in cells). When the
    // selection sat on the last line (or there were none), the pane follows:
    // last line at the bottom, fully left, the new last line selected.
    void appended(size_t new_count, int longest);
    void cleared();

    std::optional<size_t> selected() const { return selected_; }
    int top() const { return top_; }
    int left() const { return left_; }
    void scroll_to(int top, int left);

    // A key press; true when it asks for a jump to the selected line.
    bool key(PaneKey key, bool ctrl);
    // A click on the row `row` of the visible rows (0 = top row); the
    // selection is limited to the last line. Nothing when the list is empty.
    void click(int row);
    // Selects `index` (F4 / Shift+F4) and makes it visible.
    void select(size_t index);

  private:
    void move_selection(long delta);
    void keep_selection_visible();
    int max_top() const;
    int max_left() const;

    int rows_ = 1;
    int columns_ = 1;
    size_t count_ = 0;
    int width_ = 0;
    std::optional<size_t> selected_;
    int top_ = 0;
    int left_ = 0;
};

}  // namespace lumora::ide
