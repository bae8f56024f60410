#pragma once
// The output pane: the project's message list drawn row by row in the
// fixed-cell font and the colours of each kind, with the keys, click and
// double click of the output window.

#include <QAbstractScrollArea>
#include <functional>
#include <memory>

#include "ide/output/output_list.h"
#include "ide/window/output_pane_model.h"

namespace lumora::ide {

struct Settings;

class OutputPaneRows;

class OutputPane : public QAbstractScrollArea {
    Q_OBJECT
  public:
    OutputPane(const Settings& settings, QWidget* parent = nullptr);
    ~OutputPane() override;

    // The list shown (the open project's), or none.
    void set_list(OutputList* list);
    OutputList* list() const { return list_; }
    const OutputPaneModel& model() const { return model_; }

    // Lines were appended to or cleared from the list.
    void on_list_change(OutputList::Change change, size_t first, size_t count);
    // Selects a line and keeps it visible (F4 / Shift+F4).
    void select_line(size_t index);
    // Called with the selected line for Enter and double click.
    std::function<void(size_t index)> on_jump;

    int cell_width() const { return cell_w_; }
    int cell_height() const { return cell_h_; }
    // The line items a screen reader has asked for so far.
    OutputPaneRows& accessible_rows() const { return *accessible_rows_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    void sync_scroll_bars();
    void schedule_sync();
    void update_viewport_size();
    void jump();
    // Tells a screen reader when the selected line moved since `before`.
    void selection_moved_from(std::optional<size_t> before);

    const Settings& settings_;
    OutputList* list_ = nullptr;
    OutputPaneModel model_;
    int cell_w_ = 8;
    int cell_h_ = 16;
    int ascent_ = 12;
    bool syncing_ = false;
    bool sync_pending_ = false;
    size_t announced_count_ = 0;  // lines a screen reader was told of
    std::unique_ptr<OutputPaneRows> accessible_rows_;
};

}  // namespace lumora::ide
