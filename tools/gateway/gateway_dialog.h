#pragma once
// The gateway's window: port list, speed buttons, log file field and the
// status of the last command. All behaviour is in GatewayController; this
// class only turns clicks into calls and reader events into paint.

#include <QDialog>
#include <QString>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace lumora::gateway {

class GatewayController;

class GatewayDialog : public QDialog {
    Q_OBJECT
  public:
    // Shows the unknown-command box and returns when it is dismissed. The
    // default is a modal QMessageBox with the error icon; tests put in their own.
    using MessageBoxFn = std::function<void(QWidget* parent, const QString& caption, const QString& text)>;

    explicit GatewayDialog(GatewayController& controller, QWidget* parent = nullptr);
    ~GatewayDialog() override;

    void set_message_box(MessageBoxFn fn) { message_box_ = std::move(fn); }
    // Opens the port chosen in the list at the chosen speed (COM1: at 9600 at first).
    void start();

    QString status_text() const;

  private:
    void on_port_chosen(int index);
    void on_speed_chosen(int baud);
    void show_status(const QString& text);
    void show_unknown(uint8_t command_class, uint8_t command_code);

    GatewayController& controller_;
    MessageBoxFn message_box_;
    QComboBox* port_list_ = nullptr;
    QRadioButton* speed_9600_ = nullptr;
    QRadioButton* speed_38400_ = nullptr;
    QLineEdit* log_edit_ = nullptr;
    QLabel* status_ = nullptr;
};

// The dialog's size for a given font: `dialog units` converted as Windows
// does (a quarter of the average character width, an eighth of the height).
QSize dialog_units_to_pixels(const QFont& font, int dlu_x, int dlu_y);

}  // namespace lumora::gateway
