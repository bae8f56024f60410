#pragma once
// lmPutw's small progress dialog: a status line, a progress bar and Cancel.
// It stays above other windows and appears without taking the focus; Cancel
// and closing only ask the run to stop, which then closes the dialog.

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace lumora::lmputw {

class ProgressDialog : public QDialog {
  public:
    explicit ProgressDialog(QWidget* parent = nullptr);

    // Called on Cancel, Escape and the window's close button.
    std::function<void()> on_cancel;

    void show_status(const QString& text);
    void show_progress(size_t position, size_t total);
    void show_caption(const QString& text);
    // The run is over: hide and close for good.
    void finish();

    QLabel* status_line() const { return status_; }
    QProgressBar* progress_bar() const { return bar_; }
    QPushButton* cancel_button() const { return cancel_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void ask_to_cancel();

    QLabel* status_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    bool finished_ = false;
};

}  // namespace lumora::lmputw
