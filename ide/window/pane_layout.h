#pragma once
// Where the main frame's panes sit and how dragging their edges resizes
// them, and where minimised editor windows go: rules without a window.

#include <vector>

namespace lumora::ide {

inline constexpr int kMinProjectPaneWidth = 96;
inline constexpr int kMinOutputPaneHeight = 48;
// What the editor area keeps at least while a pane edge is dragged, so it
// can never be pushed out of the frame.
inline constexpr int kMinEditorAreaWidth = 120;
inline constexpr int kMinEditorAreaHeight = 80;
// The grip strips: the last pixels of the project pane on its right, the
// first pixels of the output pane on its top.
inline constexpr int kProjectGripWidth = 4;
inline constexpr int kOutputGripHeight = 3;

struct PaneRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
    bool operator==(const PaneRect&) const = default;
};

// What the layout starts from: the body's size (between the bars), which
// panes show, and the sizes the user gave them.
struct PaneSizes {
    int body_width = 0;
    int body_height = 0;
    bool project_visible = true;
    bool output_visible = true;
    int project_width = 200;  // grip included
    int output_height = 160;  // grip included
};

// The output pane spans the whole width at the bottom; the project pane
// stands on its left above it; the editor area takes the rest. The sizes
// are kept between their minimum and what leaves the editor area its
// minimum (the minimum wins when the body is too small for both).
struct PaneLayout {
    PaneRect project;       // the tree
    PaneRect project_grip;  // strip at the project pane's right edge
    PaneRect editor;        // the MDI area
    PaneRect output;        // the output view
    PaneRect output_grip;   // strip at the output pane's top edge
    int project_width = 0;  // the sizes actually used
    int output_height = 0;
};
PaneLayout lay_out_panes(const PaneSizes& sizes);

int clamp_project_width(int width, int body_width);
int clamp_output_height(int height, int body_height);

enum class PaneDrag { none, project_width, output_height };

// What a press at (x, y) in the body starts: within the grip of a shown
// pane, the drag of that pane's edge.
PaneDrag pane_drag_at(const PaneLayout& layout, int x, int y);

// The size a drag gives for the pointer at (x, y) in the body: the project
// pane's new width is the pointer's position in it (the pane starts at the
// body's left); the output pane's new height is its bottom minus the
// pointer's position. Clamped as the layout does. `sizes` is updated.
void drag_pane_to(PaneDrag drag, int x, int y, PaneSizes& sizes);

// Minimised editor windows ("icons"), left to right along the bottom of an
// area of `area_width` x `area_height`, each row above the last when the
// next one no longer fits. Each returned point is the top left of the icon
// of the same index.
struct IconSize {
    int width = 0;
    int height = 0;
};
struct IconPlace {
    int x = 0;
    int y = 0;
    bool operator==(const IconPlace&) const = default;
};
std::vector<IconPlace> arrange_icons(int area_width, int area_height, const std::vector<IconSize>& icons);

}  // namespace lumora::ide
