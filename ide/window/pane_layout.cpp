#include "ide/window/pane_layout.h"

#include <algorithm>

namespace lumora::ide {

int clamp_project_width(int width, int body_width) {
    const int most = std::max(kMinProjectPaneWidth, body_width - kMinEditorAreaWidth);
    return std::clamp(width, kMinProjectPaneWidth, most);
}

int clamp_output_height(int height, int body_height) {
    const int most = std::max(kMinOutputPaneHeight, body_height - kMinEditorAreaHeight);
    return std::clamp(height, kMinOutputPaneHeight, most);
}

PaneLayout lay_out_panes(const PaneSizes& s) {
    PaneLayout l;
    const int w = std::max(0, s.body_width);
    const int h = std::max(0, s.body_height);
    int above_output = h;
    if (s.output_visible) {
        l.output_height = clamp_output_height(s.output_height, h);
        above_output = std::max(0, h - l.output_height);
        l.output_grip = {0, above_output, w, kOutputGripHeight};
        l.output = {0, above_output + kOutputGripHeight, w, l.output_height - kOutputGripHeight};
    }
    int editor_left = 0;
    if (s.project_visible) {
        l.project_width = clamp_project_width(s.project_width, w);
        l.project = {0, 0, l.project_width - kProjectGripWidth, above_output};
        l.project_grip = {l.project_width - kProjectGripWidth, 0, kProjectGripWidth, above_output};
        editor_left = l.project_width;
    }
    l.editor = {editor_left, 0, std::max(0, w - editor_left), above_output};
    return l;
}

PaneDrag pane_drag_at(const PaneLayout& l, int x, int y) {
    if (l.output_height > 0 && l.output_grip.contains(x, y)) return PaneDrag::output_height;
    if (l.project_width > 0 && l.project_grip.contains(x, y)) return PaneDrag::project_width;
    return PaneDrag::none;
}

void drag_pane_to(PaneDrag drag, int x, int y, PaneSizes& s) {
    switch (drag) {
        case PaneDrag::project_width:
            s.project_width = clamp_project_width(x, s.body_width);
            break;
        case PaneDrag::output_height:
            s.output_height = clamp_output_height(s.body_height - y, s.body_height);
            break;
        case PaneDrag::none:
            break;
    }
}

std::vector<IconPlace> arrange_icons(int area_width, int area_height, const std::vector<IconSize>& icons) {
    std::vector<IconPlace> places;
    places.reserve(icons.size());
    size_t row_start = 0;
    int x = 0;
    int row_bottom = area_height;  // bottom edge of the row being filled
    int row_height = 0;
    // Rows are filled left to right; a row's icons sit on its bottom edge,
    // so each row is placed once its tallest icon is known.
    auto close_row = [&](size_t end) {
        for (size_t i = row_start; i < end; ++i) places[i].y = row_bottom - icons[i].height;
        row_bottom -= row_height;
        row_start = end;
        row_height = 0;
        x = 0;
    };
    for (size_t i = 0; i < icons.size(); ++i) {
        const IconSize& icon = icons[i];
        if (x > 0 && x + icon.width > area_width) close_row(i);
        places.push_back({x, 0});
        x += icon.width;
        row_height = std::max(row_height, icon.height);
    }
    close_row(icons.size());
    return places;
}

}  // namespace lumora::ide
