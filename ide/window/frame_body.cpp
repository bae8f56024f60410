#include "ide/window/frame_body.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace lumora::ide {

namespace {

QRect to_qrect(const PaneRect& r) {
    return QRect(r.x, r.y, r.width, r.height);
}

}  // namespace

FrameBody::FrameBody(QWidget* project, QWidget* editor, QWidget* output, QWidget* parent)
    : QWidget(parent), project_(project), editor_(editor), output_(output) {
    setObjectName("frame_body");
    // Moves without a button pressed show the sizing cursor over a grip.
    setMouseTracking(true);
    for (QWidget* w : {project_, editor_, output_}) {
        w->setParent(this);
        w->installEventFilter(this);
    }
}

void FrameBody::set_pane_sizes(int project_width, int output_height) {
    sizes_.project_width = project_width;
    sizes_.output_height = output_height;
    relayout();
}

QSize FrameBody::minimumSizeHint() const {
    return QSize(kMinProjectPaneWidth + kMinEditorAreaWidth, kMinOutputPaneHeight + kMinEditorAreaHeight);
}

void FrameBody::relayout() {
    sizes_.body_width = width();
    sizes_.body_height = height();
    sizes_.project_visible = !project_->isHidden();
    sizes_.output_visible = !output_->isHidden();
    layout_ = lay_out_panes(sizes_);
    if (sizes_.project_visible) project_->setGeometry(to_qrect(layout_.project));
    editor_->setGeometry(to_qrect(layout_.editor));
    if (sizes_.output_visible) output_->setGeometry(to_qrect(layout_.output));
    update();
}

void FrameBody::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

// A pane shown or hidden gives or takes its room at once.
bool FrameBody::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) &&
        (watched == project_ || watched == output_))
        relayout();
    return QWidget::eventFilter(watched, event);
}

void FrameBody::set_cursor_for(PaneDrag drag) {
    switch (drag) {
        case PaneDrag::project_width:
            setCursor(Qt::SizeHorCursor);
            break;
        case PaneDrag::output_height:
            setCursor(Qt::SizeVerCursor);
            break;
        case PaneDrag::none:
            unsetCursor();
            break;
    }
}

void FrameBody::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const PaneDrag drag =
        event->button() == Qt::LeftButton ? pane_drag_at(layout_, p.x(), p.y()) : PaneDrag::none;
    if (drag == PaneDrag::none) {
        QWidget::mousePressEvent(event);
        return;
    }
    drag_ = drag;
    set_cursor_for(drag_);
    event->accept();
}

void FrameBody::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (drag_ == PaneDrag::none) {
        set_cursor_for(pane_drag_at(layout_, p.x(), p.y()));
        return;
    }
    drag_pane_to(drag_, p.x(), p.y(), sizes_);
    relayout();
    event->accept();
}

void FrameBody::mouseReleaseEvent(QMouseEvent* event) {
    if (drag_ == PaneDrag::none || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    drag_pane_to(drag_, p.x(), p.y(), sizes_);
    drag_ = PaneDrag::none;
    relayout();
    set_cursor_for(pane_drag_at(layout_, p.x(), p.y()));
    event->accept();
}

// The grips look like the raised edge of their pane.
void FrameBody::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    if (sizes_.project_visible) {
        const QRect g = to_qrect(layout_.project_grip);
        painter.fillRect(g, pal.button());
        painter.setPen(pal.color(QPalette::Dark));
        painter.drawLine(g.topRight(), g.bottomRight());
    }
    if (sizes_.output_visible) {
        const QRect g = to_qrect(layout_.output_grip);
        painter.fillRect(g, pal.button());
        painter.setPen(pal.color(QPalette::Light));
        painter.drawLine(g.topLeft(), g.topRight());
    }
}

}  // namespace lumora::ide
