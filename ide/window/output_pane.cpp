#include "ide/window/output_pane.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "ide/app/settings.h"
#include "ide/window/output_pane_accessible.h"
#include "ui/cell_font.h"
#include "ui/sjis_text.h"

namespace lumora::ide {

namespace {

QColor colour_of(uint32_t bgr, const QColor& system) {
    if (bgr == kNoBackground) return system;
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

}  // namespace

OutputPane::OutputPane(const Settings& settings, QWidget* parent)
    : QAbstractScrollArea(parent),
      settings_(settings),
      accessible_rows_(std::make_unique<OutputPaneRows>(*this)) {
    install_output_pane_accessibility();
    setObjectName("output");
    setAccessibleName(QStringLiteral("ｱｳﾄﾌﾟｯﾄ"));
    const QFont font = ui::fixed_cell_font(14);
    setFont(font);
    viewport()->setFont(font);
    const ui::CellMetrics m = ui::cell_metrics(font);
    cell_w_ = std::max(1, m.width);
    cell_h_ = std::max(1, m.height);
    ascent_ = m.ascent;
    viewport()->setCursor(Qt::UpArrowCursor);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

OutputPane::~OutputPane() = default;

void OutputPane::set_list(OutputList* list) {
    list_ = list;
    model_.cleared();
    accessible_rows_->forget_all();
    announced_count_ = 0;
    if (list_ && !list_->empty()) on_list_change(OutputList::Change::Appended, 0, list_->size());
    sync_scroll_bars();
    viewport()->update();
}

void OutputPane::on_list_change(OutputList::Change change, size_t first, size_t count) {
    if (change == OutputList::Change::Cleared || !list_) {
        model_.cleared();
        accessible_rows_->forget_all();
        accessible_rows_->announce_cleared();
        announced_count_ = 0;
    } else {
        int longest = 0;
        for (size_t i = first; i < first + count && i < list_->size(); ++i)
            longest = std::max(longest, static_cast<int>(list_->at(i).text.size()));
        model_.appended(list_->size(), longest);
    }
    schedule_sync();
}

// A running tool delivers lines one by one; the scroll bars follow once per
// turn of the event loop, not once per line.
void OutputPane::schedule_sync() {
    viewport()->update();
    if (sync_pending_) return;
    sync_pending_ = true;
    QTimer::singleShot(0, this, [this] {
        sync_pending_ = false;
        sync_scroll_bars();
        // A reader hears of new lines once per turn too: the last one.
        if (list_ && list_->size() > announced_count_) {
            announced_count_ = list_->size();
            accessible_rows_->announce_appended(list_->size() - 1);
            if (model_.selected() && *model_.selected() == list_->size() - 1)
                accessible_rows_->announce_current(*model_.selected());
        }
    });
}

void OutputPane::select_line(size_t index) {
    const auto before = model_.selected();
    model_.select(index);
    selection_moved_from(before);
    sync_scroll_bars();
    viewport()->update();
}

void OutputPane::update_viewport_size() {
    model_.set_viewport(viewport()->height() / cell_h_, viewport()->width() / cell_w_);
}

void OutputPane::sync_scroll_bars() {
    update_viewport_size();
    syncing_ = true;
    verticalScrollBar()->setRange(0, std::max(0, static_cast<int>(model_.line_count()) - model_.rows()));
    verticalScrollBar()->setPageStep(model_.rows());
    verticalScrollBar()->setValue(model_.top());
    horizontalScrollBar()->setRange(0, std::max(0, model_.width() - model_.columns()));
    horizontalScrollBar()->setPageStep(model_.columns());
    horizontalScrollBar()->setValue(model_.left());
    syncing_ = false;
}

void OutputPane::scrollContentsBy(int, int) {
    if (syncing_) return;
    model_.scroll_to(verticalScrollBar()->value(), horizontalScrollBar()->value());
    viewport()->update();
}

void OutputPane::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    sync_scroll_bars();
}

void OutputPane::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QColor window = palette().color(QPalette::Base);
    const QColor text = palette().color(QPalette::Text);
    p.fillRect(viewport()->rect(), window);
    if (!list_) return;
    const int first = model_.top();
    const int last = std::min(static_cast<int>(list_->size()), first + model_.rows() + 1);
    p.setBackgroundMode(Qt::OpaqueMode);
    for (int row = first; row < last; ++row) {
        const OutputMessage& m = list_->at(static_cast<size_t>(row));
        const int cls = colour_class_for_kind(m.kind);
        const QColor fg = colour_of(settings_.text_colours[cls], text);
        const QColor bg = colour_of(settings_.background_colours[cls], window);
        const int y = (row - first) * cell_h_;
        const int x = -model_.left() * cell_w_;
        const int width = static_cast<int>(m.text.size()) * cell_w_;
        p.fillRect(QRect(x, y, width, cell_h_), bg);
        p.setPen(fg);
        p.setBackground(bg);
        // Cell by cell: a double-byte character takes two cells.
        int cell = 0;
        for (size_t i = 0; i < m.text.size();) {
            const unsigned char b = static_cast<unsigned char>(m.text[i]);
            const bool lead = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < m.text.size();
            const size_t n = lead ? 2 : 1;
            const QString glyph = ui::from_sjis(std::string_view(m.text).substr(i, n));
            const int cx = x + cell * cell_w_;
            if (cx + static_cast<int>(n) * cell_w_ >= 0 && cx < viewport()->width())
                p.drawText(cx, y + ascent_, glyph);
            cell += static_cast<int>(n);
            i += n;
        }
        if (model_.selected() && *model_.selected() == static_cast<size_t>(row)) {
            p.setPen(QPen(text, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRect(x, y, std::max(width, cell_w_), cell_h_).adjusted(0, 0, -1, -1));
        }
    }
}

void OutputPane::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    PaneKey key;
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            key = PaneKey::enter;
            break;
        case Qt::Key_Up:
            key = PaneKey::up;
            break;
        case Qt::Key_Down:
            key = PaneKey::down;
            break;
        case Qt::Key_PageUp:
            key = PaneKey::page_up;
            break;
        case Qt::Key_PageDown:
            key = PaneKey::page_down;
            break;
        case Qt::Key_Home:
            key = PaneKey::home;
            break;
        case Qt::Key_End:
            key = PaneKey::end;
            break;
        case Qt::Key_Left:
            key = PaneKey::left;
            break;
        case Qt::Key_Right:
            key = PaneKey::right;
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    update_viewport_size();
    const auto before = model_.selected();
    const bool wants_jump = model_.key(key, ctrl);
    selection_moved_from(before);
    sync_scroll_bars();
    viewport()->update();
    if (wants_jump) jump();
}

void OutputPane::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) return;
    const auto before = model_.selected();
    model_.click(static_cast<int>(event->position().y()) / cell_h_);
    selection_moved_from(before);
    viewport()->update();
}

void OutputPane::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    model_.click(static_cast<int>(event->position().y()) / cell_h_);
    viewport()->update();
    jump();
}

void OutputPane::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (model_.selected()) accessible_rows_->announce_current(*model_.selected());
}

void OutputPane::selection_moved_from(std::optional<size_t> before) {
    if (model_.selected() && model_.selected() != before)
        accessible_rows_->announce_current(*model_.selected());
}

void OutputPane::jump() {
    if (model_.selected() && on_jump) on_jump(*model_.selected());
}

}  // namespace lumora::ide
