#include "gateway_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "gateway_controller.h"
#include "ui/cell_font.h"
#include "ui/dialog_units.h"
#include "ui/message_box.h"

namespace lumora::gateway {

namespace {

const char* const kCaption = "VantaGatewayServer";

// Lets the reader thread wait until the dialog thread has dismissed the box.
struct BoxWait {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    void finish() {
        std::lock_guard<std::mutex> lock(m);
        done = true;
        cv.notify_all();
    }
};

}  // namespace

GatewayDialog::GatewayDialog(GatewayController& controller, QWidget* parent)
    : QDialog(parent), controller_(controller) {
    setObjectName("gatewayDialog");
    setWindowTitle(QString::fromUtf8(kCaption));
    const QFont font = ui::dialog_font();
    setFont(font);

    auto* port_label = new QLabel(QString::fromUtf8("通信ポート(&P)："), this);
    port_label->setObjectName("portLabel");
    port_list_ = new QComboBox(this);
    port_list_->setObjectName("portList");
    port_list_->addItems({"COM1:", "COM2:", "COM3:", "COM4:"});
    port_label->setBuddy(port_list_);

    auto* speed_group = new QGroupBox(QString::fromUtf8("通信速度"), this);
    speed_group->setObjectName("speedGroup");
    speed_9600_ = new QRadioButton(QStringLiteral("&9600bps"), speed_group);
    speed_9600_->setObjectName("speed9600");
    speed_38400_ = new QRadioButton(QStringLiteral("&38400bps"), speed_group);
    speed_38400_->setObjectName("speed38400");
    speed_9600_->setChecked(true);
    auto* speed_layout = new QHBoxLayout(speed_group);
    speed_layout->addWidget(speed_9600_);
    speed_layout->addWidget(speed_38400_);

    auto* log_label = new QLabel(QString::fromUtf8("ログ(&L)："), this);
    log_label->setObjectName("logLabel");
    log_edit_ = new QLineEdit(this);
    log_edit_->setObjectName("logEdit");
    log_label->setBuddy(log_edit_);

    auto* status_group = new QGroupBox(QString::fromUtf8("ステータス"), this);
    status_group->setObjectName("statusGroup");
    status_ = new QLabel(status_group);
    status_->setObjectName("statusText");
    auto* status_layout = new QVBoxLayout(status_group);
    status_layout->addWidget(status_);

    auto* layout = new QVBoxLayout(this);
    auto* port_row = new QHBoxLayout;
    port_row->addWidget(port_label);
    port_row->addWidget(port_list_, 1);
    layout->addLayout(port_row);
    layout->addWidget(speed_group);
    auto* log_row = new QHBoxLayout;
    log_row->addWidget(log_label);
    log_row->addWidget(log_edit_, 1);
    layout->addLayout(log_row);
    layout->addWidget(status_group);

    setMinimumSize(ui::dialog_units_to_pixels(font, 111, 111));

    connect(port_list_, &QComboBox::activated, this, &GatewayDialog::on_port_chosen);
    connect(speed_9600_, &QRadioButton::clicked, this, [this] { on_speed_chosen(9600); });
    connect(speed_38400_, &QRadioButton::clicked, this, [this] { on_speed_chosen(38400); });
    connect(log_edit_, &QLineEdit::textChanged, this,
            [this](const QString& text) { controller_.set_log_path(text.toLocal8Bit().toStdString()); });

    // Both hooks run on the reader thread; the widgets are touched on ours.
    controller_.set_hooks(
        [this](std::string_view status) {
            const QString text = QString::fromUtf8(status.data(), static_cast<qsizetype>(status.size()));
            QMetaObject::invokeMethod(
                this, [this, text] { show_status(text); }, Qt::QueuedConnection);
        },
        [this](uint8_t cls, uint8_t code, const CancelFlag& cancel) {
            // Frame handling waits while the box is up, as the console expects;
            // a port change or exit (cancel) ends the wait.
            auto wait = std::make_shared<BoxWait>();
            QMetaObject::invokeMethod(
                this,
                [this, wait, cls, code] {
                    show_unknown(cls, code);
                    wait->finish();
                },
                Qt::QueuedConnection);
            std::unique_lock<std::mutex> lock(wait->m);
            while (!wait->done && !cancel.load()) wait->cv.wait_for(lock, std::chrono::milliseconds(50));
        });
}

GatewayDialog::~GatewayDialog() {
    // The reader calls back into this dialog; it must be gone first, and the
    // hooks must not outlive us.
    controller_.shutdown();
    controller_.set_hooks({}, {});
}

void GatewayDialog::start() {
    controller_.choose_speed(speed_38400_->isChecked() ? 38400 : 9600);
    controller_.choose_port(port_list_->currentText().toStdString());
}

QString GatewayDialog::status_text() const {
    return status_->text();
}

void GatewayDialog::on_port_chosen(int index) {
    // A port that cannot be opened leaves the gateway without a reader, silently.
    controller_.choose_port(port_list_->itemText(index).toStdString());
}

void GatewayDialog::on_speed_chosen(int baud) {
    controller_.choose_speed(baud);
}

void GatewayDialog::show_status(const QString& text) {
    status_->setText(text);
}

void GatewayDialog::show_unknown(uint8_t command_class, uint8_t command_code) {
    const QString text = QString::asprintf("unkown command (%02X:%02X)", command_class, command_code);
    ui::show_box(this, {windowTitle(), text, ui::BoxIcon::error});
}

}  // namespace lumora::gateway
