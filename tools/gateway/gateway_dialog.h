#pragma once
// The gateway's window: port list, speed buttons, log file field and the
// status of the last command. All behaviour is in GatewayController; this
// class only turns clicks into calls and reader events into paint.

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace lumora::gateway {

class GatewayController;

class GatewayDialog : public QDialog {
    Q_OBJECT
  public:
    explicit GatewayDialog(GatewayController& controller, QWidget* parent = nullptr);
    ~GatewayDialog() override;

    // Opens the port chosen in the list at the chosen speed (COM1: at 9600 at first).
    void start();

    QString status_text() const;

  private:
    void on_port_chosen(int index);
    void on_speed_chosen(int baud);
    void show_status(const QString& text);
    void show_unknown(uint8_t command_class, uint8_t command_code);

    GatewayController& controller_;
    QComboBox* port_list_ = nullptr;
    QRadioButton* speed_9600_ = nullptr;
    QRadioButton* speed_38400_ = nullptr;
    QLineEdit* log_edit_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace lumora::gateway
