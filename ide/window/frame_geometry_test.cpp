// The main frame's geometry without a window: pane layout and edge drags,
// minimised windows in rows, the stored window rectangle, the lock panes.

#include <gtest/gtest.h>

#include "ide/window/frame_rules.h"
#include "ide/window/pane_layout.h"

namespace lumora::ide {
namespace {

TEST(PaneLayout, PanesAroundTheEditorAreaWithinTheirLimits) {
    PaneSizes s{1000, 600, true, true, 200, 160};
    PaneLayout l = lay_out_panes(s);
    EXPECT_EQ(l.output, (PaneRect{0, 443, 1000, 157}));
    EXPECT_EQ(l.output_grip, (PaneRect{0, 440, 1000, 3}));
    EXPECT_EQ(l.project, (PaneRect{0, 0, 196, 440}));
    EXPECT_EQ(l.project_grip, (PaneRect{196, 0, 4, 440}));
    EXPECT_EQ(l.editor, (PaneRect{200, 0, 800, 440}));

    // Hidden panes give their room to the editor area and have no grip.
    s.project_visible = false;
    l = lay_out_panes(s);
    EXPECT_EQ(l.editor, (PaneRect{0, 0, 1000, 440}));
    EXPECT_EQ(pane_drag_at(l, 1, 10), PaneDrag::none);
    s.output_visible = false;
    EXPECT_EQ(lay_out_panes(s).editor, (PaneRect{0, 0, 1000, 600}));

    // A shrunken frame squeezes the panes first, down to their minimum.
    s = {300, 150, true, true, 250, 120};
    l = lay_out_panes(s);
    EXPECT_EQ(l.project_width, 300 - kMinEditorAreaWidth);
    EXPECT_EQ(l.output_height, 150 - kMinEditorAreaHeight);
    s = {100, 40, true, true, 250, 120};
    l = lay_out_panes(s);
    EXPECT_EQ(l.project_width, kMinProjectPaneWidth);
    EXPECT_EQ(l.output_height, kMinOutputPaneHeight);
    EXPECT_EQ(l.editor.width, 4);
    EXPECT_EQ(l.editor.height, 0) << "never a negative size";
}

TEST(PaneLayout, GripsStartDragsAndTheDragFollowsThePointer) {
    PaneSizes s{1000, 600, true, true, 200, 160};
    const PaneLayout l = lay_out_panes(s);
    // Within 4 px of the project pane's right edge, within 3 px of the output pane's top.
    EXPECT_EQ(pane_drag_at(l, 195, 100), PaneDrag::none);
    EXPECT_EQ(pane_drag_at(l, 196, 100), PaneDrag::project_width);
    EXPECT_EQ(pane_drag_at(l, 199, 0), PaneDrag::project_width);
    EXPECT_EQ(pane_drag_at(l, 200, 100), PaneDrag::none);
    EXPECT_EQ(pane_drag_at(l, 198, 440), PaneDrag::output_height) << "the output grip spans the width";
    EXPECT_EQ(pane_drag_at(l, 500, 439), PaneDrag::none);
    EXPECT_EQ(pane_drag_at(l, 500, 442), PaneDrag::output_height);
    EXPECT_EQ(pane_drag_at(l, 500, 443), PaneDrag::none);

    drag_pane_to(PaneDrag::project_width, 310, 50, s);
    EXPECT_EQ(s.project_width, 310);
    drag_pane_to(PaneDrag::project_width, -40, 50, s);
    EXPECT_EQ(s.project_width, kMinProjectPaneWidth);
    drag_pane_to(PaneDrag::project_width, 990, 50, s);
    EXPECT_EQ(s.project_width, 1000 - kMinEditorAreaWidth);
    drag_pane_to(PaneDrag::output_height, 10, 400, s);
    EXPECT_EQ(s.output_height, 200);
    drag_pane_to(PaneDrag::output_height, 10, 700, s);  // dragged below the frame
    EXPECT_EQ(s.output_height, kMinOutputPaneHeight);
    drag_pane_to(PaneDrag::output_height, 10, -30, s);
    EXPECT_EQ(s.output_height, 600 - kMinEditorAreaHeight);
    drag_pane_to(PaneDrag::none, 10, 10, s);
    EXPECT_EQ(s.project_width, 1000 - kMinEditorAreaWidth);
    // The new sizes lay out as dragged.
    const PaneLayout after = lay_out_panes(s);
    EXPECT_EQ(after.project_grip.x + kProjectGripWidth, 1000 - kMinEditorAreaWidth);
    EXPECT_EQ(after.output_grip.y, kMinEditorAreaHeight);
}

TEST(ArrangeIcons, RowsAlongTheBottomWrappingUpwards) {
    EXPECT_TRUE(arrange_icons(400, 300, {}).empty());
    const std::vector<IconSize> three(3, {160, 30});
    EXPECT_EQ(arrange_icons(400, 300, three), (std::vector<IconPlace>{{0, 270}, {160, 270}, {0, 240}}));
    // Icons of a row share its bottom edge; the next row sits on the tallest.
    EXPECT_EQ(arrange_icons(300, 200, {{100, 20}, {100, 40}, {100, 30}, {100, 20}}),
              (std::vector<IconPlace>{{0, 180}, {100, 160}, {200, 170}, {0, 140}}));
    // An icon wider than the area still gets a row of its own.
    EXPECT_EQ(arrange_icons(100, 100, {{150, 20}, {150, 20}}), (std::vector<IconPlace>{{0, 80}, {0, 60}}));
}

TEST(FramePlacement, StoredRectangleRoundTripsThroughTheWorkArea) {
    const WindowRect frame{150, 120, 950, 720};
    // A panel on the left and on top: stored relative to the work area.
    const WindowRect stored = window_rect_to_store(frame, 48, 32);
    EXPECT_EQ(stored, (WindowRect{102, 88, 902, 688}));
    EXPECT_EQ(stored_rect_on_screen(stored, 48, 32), frame);
    // A work area starting left of or above the primary screen shifts nothing.
    EXPECT_EQ(stored_rect_on_screen(stored, -1280, 0), stored);
    EXPECT_EQ(stored_rect_on_screen(window_rect_to_store(frame, -1280, -10), -1280, -10), frame);
}

TEST(StatusPanes, LocksLightOnlyWhileOn) {
    using platform::LockLight;
    const auto unknown = lock_panes({});
    ASSERT_EQ(unknown.size(), 4u);
    EXPECT_STREQ(unknown[0].text, "KANA");
    EXPECT_STREQ(unknown[1].text, "CAP");
    EXPECT_STREQ(unknown[2].text, "NUM");
    EXPECT_STREQ(unknown[3].text, "SCRL");
    for (const LockPane& p : unknown) EXPECT_FALSE(p.lit) << p.text;
    const auto some = lock_panes({LockLight::off, LockLight::on, LockLight::unknown, LockLight::on});
    EXPECT_FALSE(some[0].lit);
    EXPECT_TRUE(some[1].lit);
    EXPECT_FALSE(some[2].lit);
    EXPECT_TRUE(some[3].lit);
}

}  // namespace
}  // namespace lumora::ide
