#pragma once
// The main frame's body between its bars: the project pane on the left, the
// editor area, the output pane along the bottom. Each pane is resized by
// dragging the grip at its inner edge; the rules are those of pane_layout.

#include <QWidget>

#include "ide/window/pane_layout.h"

namespace lumora::ide {

class FrameBody : public QWidget {
    Q_OBJECT
  public:
    FrameBody(QWidget* project, QWidget* editor, QWidget* output, QWidget* parent = nullptr);

    // The sizes asked for (they are clamped when laid out).
    const PaneSizes& sizes() const { return sizes_; }
    void set_pane_sizes(int project_width, int output_height);
    // Where everything is now, in this widget's coordinates.
    PaneLayout current_layout() const { return layout_; }

    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void relayout();
    void set_cursor_for(PaneDrag drag);

    QWidget* project_;
    QWidget* editor_;
    QWidget* output_;
    PaneSizes sizes_;
    PaneLayout layout_;
    PaneDrag drag_ = PaneDrag::none;
};

}  // namespace lumora::ide
