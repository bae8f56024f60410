// The gateway window, offscreen: its controls, and that port, speed, log and
// status follow what the user and the console do.

#include "gateway_dialog.h"

#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "frame_link.h"
#include "gateway_controller.h"
#include "platform/pty_pair.h"
#include "requests.h"
#include "ui/dialog_units.h"
#include "ui/message_box.h"

namespace lumora::gateway {
namespace {

using netclient::Bytes;
using netclient::FrameLink;

const Bytes kPowerOnAck{0x00, 0x55, 0x55, 0x55, 0x55, 0x55};

class GatewayDialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "gateway_dialog_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    void SetUp() override {
        for (int i = 0; i < 2; ++i) {
            pty_[i] = platform::PtyPair::create();
            ASSERT_TRUE(pty_[i]);
            link_[i] = std::make_unique<FrameLink>(pty_[i]->master_fd());
            ::setenv(("LUMORA_COM" + std::to_string(i + 1)).c_str(), pty_[i]->device_path().c_str(), 1);
        }
        dialog_ = std::make_unique<GatewayDialog>(controller_);
        dialog_->start();
        ASSERT_TRUE(controller_.port_open());
    }
    void TearDown() override { dialog_.reset(); }

    template <typename T>
    T* child(const char* name) {
        T* w = dialog_->findChild<T*>(name);
        EXPECT_TRUE(w) << name;
        return w;
    }
    speed_t speed_of(int port) {
        termios t{};
        ::tcgetattr(pty_[port]->device_fd(), &t);
        return cfgetospeed(&t);
    }
    std::optional<Bytes> ask(int port, const Bytes& request) {
        EXPECT_TRUE(link_[port]->send(request));
        return link_[port]->read_reply(10000);
    }

    std::optional<platform::PtyPair> pty_[2];
    std::unique_ptr<FrameLink> link_[2];
    GatewayController controller_;
    std::unique_ptr<GatewayDialog> dialog_;
};

TEST_F(GatewayDialogTest, ControlsCarryTheirTextsAndTheDialogFont) {
    EXPECT_EQ(dialog_->windowTitle(), "VantaGatewayServer");
    EXPECT_EQ(dialog_->font().family(), "IPAPGothic");
    EXPECT_EQ(dialog_->font().pointSize(), 9);
    EXPECT_EQ(child<QLabel>("portLabel")->text(), QString::fromUtf8("通信ポート(&P)："));
    auto* ports = child<QComboBox>("portList");
    ASSERT_EQ(ports->count(), 4);
    EXPECT_EQ(ports->itemText(0), "COM1:");
    EXPECT_EQ(ports->itemText(3), "COM4:");
    EXPECT_EQ(ports->currentText(), "COM1:");
    EXPECT_EQ(child<QGroupBox>("speedGroup")->title(), QString::fromUtf8("通信速度"));
    EXPECT_EQ(child<QRadioButton>("speed9600")->text(), "&9600bps");
    EXPECT_EQ(child<QRadioButton>("speed38400")->text(), "&38400bps");
    EXPECT_TRUE(child<QRadioButton>("speed9600")->isChecked());
    EXPECT_FALSE(child<QRadioButton>("speed38400")->isChecked());
    EXPECT_EQ(child<QLabel>("logLabel")->text(), QString::fromUtf8("ログ(&L)："));
    EXPECT_EQ(child<QLabel>("logLabel")->buddy(), child<QLineEdit>("logEdit"));
    EXPECT_EQ(child<QGroupBox>("statusGroup")->title(), QString::fromUtf8("ステータス"));
    EXPECT_TRUE(dialog_->status_text().isEmpty());
    const QSize dlu = ui::dialog_units_to_pixels(dialog_->font(), 111, 111);
    EXPECT_GT(dlu.width(), 100);
    EXPECT_GE(dialog_->minimumWidth(), dlu.width());
    // A picture of the window for the docs and for eyes.
    dialog_->adjustSize();
    EXPECT_TRUE(dialog_->grab().save(LUMORA_BIN_DIR "/../gateway_dialog.png"));
}

TEST_F(GatewayDialogTest, OpensCom1At9600AndShowsTheLastCommand) {
    EXPECT_EQ(controller_.port_name(), "COM1:");
    EXPECT_EQ(speed_of(0), B9600);
    EXPECT_EQ(ask(0, netclient::power_on()), kPowerOnAck);
    QTRY_COMPARE_WITH_TIMEOUT(dialog_->status_text(), QString("power ON"), 10000);
    EXPECT_EQ(ask(0, netclient::check_status()), (Bytes{0x02, 0x00, 0x02, 0x02, 0x02}));
    QTRY_COMPARE_WITH_TIMEOUT(dialog_->status_text(), QString("check Status"), 10000);
    EXPECT_EQ(ask(0, netclient::lookup("localhost"))->at(4), 0x01);
    QTRY_COMPARE_WITH_TIMEOUT(dialog_->status_text(), QString("gethstbyname"), 10000);
}

TEST_F(GatewayDialogTest, PortChoiceReopensAndSpeedChoiceReconfigures) {
    EXPECT_EQ(ask(0, netclient::power_on()), kPowerOnAck);

    child<QRadioButton>("speed38400")->click();
    EXPECT_EQ(controller_.speed(), 38400);
    EXPECT_EQ(speed_of(0), B38400);
    EXPECT_EQ(ask(0, netclient::check_status())->size(), 5u);

    auto* ports = child<QComboBox>("portList");
    ports->setCurrentIndex(1);
    emit ports->activated(1);
    EXPECT_EQ(controller_.port_name(), "COM2:");
    EXPECT_EQ(speed_of(1), B38400);  // the kept speed
    // The adapter is the same one: it is still on.
    EXPECT_EQ(ask(1, netclient::power_on()), (Bytes{0x01, 0x00, 0x03, 0x02, 0x31, 0x30}));
    // COM1: is no longer served.
    ASSERT_TRUE(link_[0]->send(netclient::check_status()));
    EXPECT_EQ(link_[0]->read_until_quiet(700, 700), Bytes{});

    child<QRadioButton>("speed9600")->click();
    EXPECT_EQ(speed_of(1), B9600);

    // A port that cannot be opened leaves no reader, and no complaint.
    ::setenv("LUMORA_COM3", "/nonexistent/tty", 1);
    ports->setCurrentIndex(2);
    emit ports->activated(2);
    EXPECT_FALSE(controller_.port_open());
    ports->setCurrentIndex(0);
    emit ports->activated(0);
    EXPECT_TRUE(controller_.port_open());
    EXPECT_EQ(speed_of(0), B9600);
}

TEST_F(GatewayDialogTest, LogFieldNamesTheLogFile) {
    char dir[] = "/tmp/gateway-dialog-XXXXXX";
    ASSERT_TRUE(::mkdtemp(dir));
    const std::string log = std::string(dir) + "/traffic.log";
    QTest::keyClicks(child<QLineEdit>("logEdit"), QString::fromStdString(log));
    EXPECT_EQ(ask(0, netclient::power_on()), kPowerOnAck);
    std::ifstream in(log, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_EQ(s.str(), "R> 01 00 01 02 \r\nS> 00 55 55 55 55 55 \r\n");
    std::remove(log.c_str());
    ::rmdir(dir);
}

TEST_F(GatewayDialogTest, UnknownCommandShowsAnErrorBoxThatHoldsFrameHandling) {
    EXPECT_EQ(ask(0, netclient::power_on()), kPowerOnAck);
    QString text, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool seen = false;
    Bytes while_open{0xEE};
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible()) continue;
            poll.stop();
            text = box->text();
            caption = box->windowTitle();
            icon = box->icon();
            EXPECT_TRUE(box->isModal());
            EXPECT_EQ(box->parentWidget(), dialog_.get());
            // The console asks again while the box is up: no answer yet.
            link_[0]->send(netclient::check_status());
            while_open = link_[0]->read_until_quiet(700, 700);
            seen = true;
            box->accept();
            return;
        }
    });
    poll.start();
    ASSERT_TRUE(link_[0]->send(netclient::request(0x33, 0x44)));
    QTRY_VERIFY_WITH_TIMEOUT(seen, 15000);
    EXPECT_EQ(text, "unkown command (33:44)");
    EXPECT_EQ(caption, "VantaGatewayServer");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(while_open, Bytes{});
    // Once dismissed, the waiting request is handled.
    EXPECT_EQ(link_[0]->read_reply(10000), (Bytes{0x02, 0x00, 0x02, 0x02, 0x02}));
    QTRY_COMPARE_WITH_TIMEOUT(dialog_->status_text(), QString("check Status"), 10000);
}

// Records the boxes instead of showing them; answers at once.
struct RecordedBoxes : ui::MessageBoxes {
    std::vector<QString> texts;
    ui::BoxAnswer show(QWidget*, const ui::Box& box) override {
        texts.push_back(box.text);
        return ui::BoxAnswer::ok;
    }
};

TEST_F(GatewayDialogTest, BoxesThroughTheSharedInterfaceAndClosingWhileABoxIsPending) {
    RecordedBoxes boxes;
    ui::ScopedMessageBoxes scope(boxes);
    std::vector<QString>& shown = boxes.texts;
    EXPECT_EQ(ask(0, netclient::power_on()), kPowerOnAck);
    ASSERT_TRUE(link_[0]->send(netclient::request(0x11, 0x55)));
    QTRY_COMPARE_WITH_TIMEOUT(dialog_->status_text(), QString("unkown command!"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), size_t{1}, 10000);
    EXPECT_EQ(shown[0], "unkown command (11:55)");
    EXPECT_EQ(ask(0, netclient::check_status())->size(), 5u);

    // A box that is never dismissed must not keep the window from closing:
    // the reader stops waiting for it.
    ASSERT_TRUE(link_[0]->send(netclient::request(0x42, 0x01)));
    // No events are processed here, so the box request stays queued and the
    // reader keeps waiting for it until the dialog goes.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    dialog_->reject();
    dialog_.reset();
    EXPECT_FALSE(controller_.port_open());
}

}  // namespace
}  // namespace lumora::gateway
