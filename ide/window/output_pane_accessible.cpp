#include "ide/window/output_pane_accessible.h"

#include <QPointer>
#include <QScrollBar>
#include <algorithm>
#include <climits>

#include "ide/window/output_pane.h"
#include "ui/sjis_text.h"

namespace lumora::ide {

namespace {

// One line of the pane. It holds no copy of the text: the list may grow
// and be cleared under it, so every question goes to the pane.
class OutputRowAccessible : public QAccessibleInterface {
  public:
    OutputRowAccessible(OutputPane* pane, size_t index) : pane_(pane), index_(index) {}

    size_t index() const { return index_; }

    bool isValid() const override { return pane_ && pane_->list() && index_ < pane_->list()->size(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return pane_ ? pane_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return pane_ ? QAccessible::queryAccessibleInterface(pane_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) return {};
        return ui::from_sjis(pane_->list()->at(index_).text);
    }

    QRect rect() const override {
        if (!isValid()) return {};
        const QWidget* view = pane_->viewport();
        const long row = static_cast<long>(index_) - pane_->model().top();
        const QPoint origin = view->mapToGlobal(QPoint(0, static_cast<int>(row) * pane_->cell_height()));
        return QRect(origin, QSize(view->width(), pane_->cell_height()));
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        s.readOnly = true;
        const auto selected = pane_->model().selected();
        s.selected = selected && *selected == index_;
        s.focused = s.selected && pane_->hasFocus();
        const long top = pane_->model().top();
        const long row = static_cast<long>(index_);
        s.invisible = !pane_->isVisible();
        s.offscreen = row < top || row >= top + pane_->model().rows();
        return s;
    }

  private:
    QPointer<OutputPane> pane_;
    size_t index_;
};

OutputPaneRows::Listener& listener() {
    static OutputPaneRows::Listener l;
    return l;
}

QAccessibleInterface* make_interface(const QString& class_name, QObject* object) {
    if (class_name == QLatin1String(OutputPane::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new OutputPaneAccessible(static_cast<OutputPane*>(object));
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------- the pane

OutputPaneAccessible::OutputPaneAccessible(OutputPane* pane) : QAccessibleWidget(pane, QAccessible::List) {}

OutputPane* OutputPaneAccessible::pane() const {
    return static_cast<OutputPane*>(widget());
}

int OutputPaneAccessible::childCount() const {
    const OutputList* list = pane()->list();
    return list ? static_cast<int>(std::min<size_t>(list->size(), INT_MAX)) : 0;
}

QAccessibleInterface* OutputPaneAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) return nullptr;
    return pane()->accessible_rows().row(static_cast<size_t>(index));
}

int OutputPaneAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto* row = dynamic_cast<const OutputRowAccessible*>(child);
    if (!row || !row->isValid() || row->parent() != this) return -1;
    return static_cast<int>(row->index());
}

QAccessibleInterface* OutputPaneAccessible::childAt(int x, int y) const {
    const QWidget* view = pane()->viewport();
    const QPoint local = view->mapFromGlobal(QPoint(x, y));
    if (!view->rect().contains(local)) return nullptr;
    const long index = pane()->model().top() + local.y() / pane()->cell_height();
    return index < childCount() ? child(static_cast<int>(index)) : nullptr;
}

QAccessibleInterface* OutputPaneAccessible::focusChild() const {
    const auto selected = pane()->model().selected();
    if (!selected || !pane()->hasFocus()) return nullptr;
    return child(static_cast<int>(*selected));
}

QAccessible::State OutputPaneAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    return s;
}

// ---------------------------------------------------------------- the line items

OutputPaneRows::~OutputPaneRows() {
    forget_all();
}

QAccessibleInterface* OutputPaneRows::row(size_t index) {
    if (auto it = ids_.find(index); it != ids_.end()) return QAccessible::accessibleInterface(it->second);
    auto* row = new OutputRowAccessible(&pane_, index);
    ids_.emplace(index, QAccessible::registerAccessibleInterface(row));
    return row;
}

void OutputPaneRows::forget_all() {
    for (const auto& [index, id] : ids_) QAccessible::deleteAccessibleInterface(id);
    ids_.clear();
}

void OutputPaneRows::set_listener(Listener l) {
    listener() = std::move(l);
}

void OutputPaneRows::send(QAccessibleEvent& event) {
    if (listener())
        listener()(event);
    else
        QAccessible::updateAccessibility(&event);
}

// Asking for an event's item makes it: nothing is announced (nor made)
// while nobody listens.
bool OutputPaneRows::listened_to() {
    return listener() || QAccessible::isActive();
}

void OutputPaneRows::announce_appended(size_t last) {
    if (!listened_to() || last > INT_MAX) return;
    QAccessibleEvent created(&pane_, QAccessible::ObjectCreated);
    created.setChild(static_cast<int>(last));
    send(created);
}

void OutputPaneRows::announce_cleared() {
    if (!listened_to()) return;
    QAccessibleEvent reorder(&pane_, QAccessible::ObjectReorder);
    send(reorder);
}

void OutputPaneRows::announce_current(size_t index) {
    if (!listened_to() || index > INT_MAX) return;
    QAccessibleEvent selection(&pane_, QAccessible::Selection);
    selection.setChild(static_cast<int>(index));
    send(selection);
    if (pane_.hasFocus()) {
        QAccessibleEvent focus(&pane_, QAccessible::Focus);
        focus.setChild(static_cast<int>(index));
        send(focus);
    }
}

void install_output_pane_accessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(make_interface);
        return true;
    }();
    (void)installed;
}

}  // namespace lumora::ide
