#pragma once
// The output pane as a screen reader sees it: a list named after the pane
// whose lines are list items, the selected line the current item. Line
// items are made only when a reader asks for them, so a build that prints
// 100,000 lines costs nothing while no reader looks.

#include <QAccessible>
#include <QAccessibleWidget>
#include <cstddef>
#include <functional>
#include <unordered_map>

namespace lumora::ide {

class OutputPane;

class OutputPaneAccessible : public QAccessibleWidget {
  public:
    explicit OutputPaneAccessible(OutputPane* pane);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    QAccessible::State state() const override;

  private:
    OutputPane* pane() const;
};

// The line items made so far, owned by the pane: they go when the lines
// they stand for are cleared and when the pane goes.
class OutputPaneRows {
  public:
    explicit OutputPaneRows(OutputPane& pane) : pane_(pane) {}
    ~OutputPaneRows();
    OutputPaneRows(const OutputPaneRows&) = delete;
    OutputPaneRows& operator=(const OutputPaneRows&) = delete;

    QAccessibleInterface* row(size_t index);
    size_t made() const { return ids_.size(); }
    void forget_all();

    // Tell a reader about new lines (the last of them is announced), about
    // the list being emptied, and about the current line.
    void announce_appended(size_t last);
    void announce_cleared();
    void announce_current(size_t index);

    // Announcements go to the accessibility bridge while one is active; a
    // listener set here takes them instead, bridge or not (tests, where
    // the window system has none). An empty one gives them back.
    using Listener = std::function<void(QAccessibleEvent& event)>;
    static void set_listener(Listener listener);

  private:
    static bool listened_to();
    static void send(QAccessibleEvent& event);

    OutputPane& pane_;
    std::unordered_map<size_t, QAccessible::Id> ids_;
};

// Gives every output pane the interface above; called once per program.
void install_output_pane_accessibility();

}  // namespace lumora::ide
