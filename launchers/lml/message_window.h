#pragma once
// "LML メッセージウィンド": one read-only text box filling the window, with
// the tools' messages. It can dock below the launcher's main window.

#include <QWidget>

class QPlainTextEdit;

namespace lumora::lml {

class MessageWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MessageWindow(QWidget* parent = nullptr);

    void set_text(const std::string& text_with_crlf);
    QString text() const;
    void set_point_size(int points);
    QPlainTextEdit* text_box() const { return box_; }
    // Shows it in its normal state (not minimised) without taking the focus from the main window.
    void show_normal();

  signals:
    void activated();

  protected:
    void changeEvent(QEvent* event) override;

  private:
    QPlainTextEdit* box_ = nullptr;
};

}  // namespace lumora::lml
