#pragma once
// Every message box of the kit's windows goes through here, so a test can
// answer the boxes a scenario expects and fail on one it did not.

#include <QString>
#include <optional>
#include <utility>

class QWidget;

namespace lumora::ui {

enum class BoxIcon { none, information, warning, error, question };
enum class BoxButtons { ok, ok_cancel, yes_no, yes_no_cancel, retry_cancel };
enum class BoxAnswer { ok, cancel, yes, no, retry };

struct Box {
    Box() = default;
    Box(QString caption_text, QString message, BoxIcon box_icon = BoxIcon::none,
        BoxButtons box_buttons = BoxButtons::ok, std::optional<BoxAnswer> default_button = std::nullopt)
        : caption(std::move(caption_text)),
          text(std::move(message)),
          icon(box_icon),
          buttons(box_buttons),
          default_answer(default_button) {}

    QString caption;
    QString text;
    BoxIcon icon = BoxIcon::none;
    BoxButtons buttons = BoxButtons::ok;
    // The button that Enter presses; the first button of the set when empty.
    std::optional<BoxAnswer> default_answer;
};

class MessageBoxes {
  public:
    virtual ~MessageBoxes();
    virtual BoxAnswer show(QWidget* parent, const Box& box) = 0;
};

// Modal QMessageBox with the box's texts, icon and buttons.
class QtMessageBoxes : public MessageBoxes {
  public:
    BoxAnswer show(QWidget* parent, const Box& box) override;
};

// Shows the box through the current implementation (QtMessageBoxes unless a
// ScopedMessageBoxes has put another one in).
BoxAnswer show_box(QWidget* parent, const Box& box);

// The answer a box gives when it is closed without choosing (Escape, the
// window's close button): Cancel where there is one, else No, else OK.
BoxAnswer dismissed_answer(BoxButtons buttons);

// Puts `boxes` in place for its lifetime and restores the previous one.
class ScopedMessageBoxes {
  public:
    explicit ScopedMessageBoxes(MessageBoxes& boxes);
    ~ScopedMessageBoxes();
    ScopedMessageBoxes(const ScopedMessageBoxes&) = delete;
    ScopedMessageBoxes& operator=(const ScopedMessageBoxes&) = delete;

  private:
    MessageBoxes* previous_;
};

}  // namespace lumora::ui
