// The windows and workers of simvane in this process (Qt offscreen), with
// the test attached to the area as a program under test.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QKeyEvent>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <thread>

#include "area_host.h"
#include "control_window.h"
#include "key_map.h"
#include "platform/pty_pair.h"
#include "sv_app.h"
#include "tests/support/child_process.h"
#include "view_windows.h"
#include "views.h"

namespace lumora::simvane {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

QApplication& app() {
    static int argc = 1;
    static char name[] = "simvane_window_test";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

// Runs the event loop until `done` or the limit.
template <class F>
bool eventually(F done, std::chrono::milliseconds limit = 10s) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        if (done()) return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(2ms);
    }
    return done();
}

class SimvaneWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        app();
        ASSERT_EQ(host_.create("/simvane-window-" + std::to_string(::getpid())), AreaHost::Status::ok);
        initialise_area(Area(host_.base()), host_.size());
        pty_ = platform::PtyPair::create();
        ASSERT_TRUE(pty_);
        sim_ = std::make_unique<SV_app>(Area(host_.base()), pty_->device_path());
        sim_->start(false);
    }
    void TearDown() override {
        sim_.reset();
        QCoreApplication::processEvents();
    }
    Area area() const { return Area(host_.base()); }
    double frame_rate(std::chrono::milliseconds span) {
        const uint32_t t0 = area().u32(sv_tick_adr);
        const auto s0 = Clock::now();
        std::this_thread::sleep_for(span);
        const uint32_t t1 = area().u32(sv_tick_adr);
        return (t1 - t0) / std::chrono::duration<double>(Clock::now() - s0).count();
    }
    // Descriptors of this process open on the serial device.
    int device_opens() const {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code ec;
            if (std::filesystem::read_symlink(e.path(), ec) == pty_->device_path()) ++n;
        }
        return n - 1;  // the pair holds one itself
    }

    AreaHost host_;
    std::optional<platform::PtyPair> pty_;
    std::unique_ptr<SV_app> sim_;
};

TEST_F(SimvaneWindows, TitlesFramesAndControls) {
    struct Expect {
        QWidget* w;
        const char* title;
        QRect frame;
    };
    const Expect windows[] = {
        {sim_->control(), "Simvane", QRect(320, 50, 200, 200)},
        {sim_->characters(), "character", QRect(30, 30, 256, 256)},
        {sim_->layer_window(0), "sprite", QRect(30, 320, 256, 256)},
        {sim_->layer_window(1), "screen1", QRect(300, 320, 256, 256)},
        {sim_->layer_window(2), "screen2", QRect(570, 320, 256, 256)},
        {sim_->lcd(), "lcd", QRect(570, 40, 240, 144)},
    };
    for (const auto& e : windows) {
        ASSERT_TRUE(e.w);
        EXPECT_TRUE(e.w->isVisible()) << e.title;
        EXPECT_EQ(e.w->windowTitle(), e.title);
        EXPECT_EQ(e.w->geometry(), e.frame) << e.title;
    }
    SV_con_view* v = sim_->control()->view();
    EXPECT_EQ(v->slider()->value(), 13000);
    EXPECT_EQ(v->slider()->minimum(), 1000);
    EXPECT_EQ(v->slider()->maximum(), 100000);
    EXPECT_TRUE(v->mode_button(4)->isChecked());
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(v->mode_button(i)->geometry(), QRect(70 + 30 * (i % 4), 70 + 15 * (i / 4), 14, 14));
    EXPECT_TRUE(v->sound_box()->isChecked());
    EXPECT_EQ(v->sound_box()->text(), "sound");
    EXPECT_TRUE(v->serial_box()->isChecked());
    EXPECT_EQ(v->serial_box()->text(), "serial");
    EXPECT_EQ(sim_->state().mode.load(), 4);
    EXPECT_EQ(sim_->state().slp.load(), 0);
}

TEST_F(SimvaneWindows, ModeButtonsSetTheModelByteKeysAndLcdSize) {
    SV_con_view* v = sim_->control()->view();
    QTest::mouseClick(v->mode_button(6), Qt::LeftButton);  // row 2, column 3
    EXPECT_EQ(sim_->state().mode.load(), 6);
    EXPECT_EQ(area().u8(sv_hard_adr), 1);
    EXPECT_EQ(sim_->lcd()->size(), QSize(144, 240));
    QTest::mouseClick(v->mode_button(1), Qt::LeftButton);
    EXPECT_EQ(sim_->state().mode.load(), 1);
    EXPECT_EQ(area().u8(sv_hard_adr), 0);
    EXPECT_EQ(sim_->lcd()->size(), QSize(224, 160));
    QTest::mouseClick(v->mode_button(2), Qt::LeftButton);
    EXPECT_EQ(sim_->lcd()->size(), QSize(160, 224));
    QTest::mouseClick(v->mode_button(4), Qt::LeftButton);
    EXPECT_EQ(sim_->lcd()->size(), QSize(240, 144));

    // Keys: keypad 8 and cursor left, pressed in a picture window.
    area().set_u8(sv_flag_init_adr, 0);
    QWidget* target = sim_->layer_window(1);
    QKeyEvent pad8(QEvent::KeyPress, Qt::Key_8, Qt::KeypadModifier);
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(target, &pad8);
    QApplication::sendEvent(target, &left);
    EXPECT_EQ(sim_->state().held_keys.load(), kPcPad8 | kPcLeft);
    EXPECT_TRUE(eventually([&] { return area().u16(sv_key_adr) == (SV_KEY_X1 | SV_KEY_Y4); }));
    QTest::mouseClick(v->mode_button(6), Qt::LeftButton);
    EXPECT_TRUE(eventually([&] { return area().u16(sv_key_adr) == (SV_KEY_X2 | SV_KEY_Y1); }));
    // Focus leaving simvane lets go of every key.
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(sim_->state().held_keys.load(), 0u);
    EXPECT_TRUE(eventually([&] { return area().u16(sv_key_adr) == 0; }));
}

TEST_F(SimvaneWindows, FrameRateAtTheSlowEnd) {
    area().set_u8(sv_flag_init_adr, 0);
    ASSERT_TRUE(eventually([&] { return area().u32(sv_tick_adr) > 0; }));
    // The default rate is checked against the real program in the scenarios.
    QSlider* slider = sim_->control()->view()->slider();
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_End);  // the "slow" end
    EXPECT_EQ(sim_->state().sv_vb_t.load(), 100000);
    std::this_thread::sleep_for(150ms);  // the frame that was waiting at the old period
    const double slow = frame_rate(3000ms);
    EXPECT_GT(slow, 8.0);
    EXPECT_LT(slow, 11.5);
}

TEST_F(SimvaneWindows, SwitchesPauseSoundAndSerial) {
    area().set_u8(sv_flag_init_adr, 0);
    area().set_u8(sv_com_cmd_adr, SV_COM_OPEN);
    ASSERT_TRUE(eventually([&] { return area().u8(sv_com_cmd_adr) == 0; }));
    EXPECT_EQ(device_opens(), 1);
    SV_con_view* v = sim_->control()->view();
    QTest::mouseClick(v->serial_box(), Qt::LeftButton);
    EXPECT_EQ(sim_->state().slp.load(), kPauseSerial);
    const auto unchecked = Clock::now();
    ASSERT_TRUE(eventually([&] { return device_opens() == 0; }));
    std::printf("device closed %lld ms after unchecking\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - unchecked).count()));
    // A request made meanwhile waits.
    area().set_u16(sv_com_len_adr, 0);
    area().set_u8(sv_com_cmd_adr, SV_COM_SEND);
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(area().u8(sv_com_cmd_adr), SV_COM_SEND);
    QTest::mouseClick(v->serial_box(), Qt::LeftButton);
    EXPECT_TRUE(eventually([&] { return area().u8(sv_com_cmd_adr) == 0; }));
    EXPECT_EQ(device_opens(), 1);  // open again for the program

    QTest::mouseClick(v->sound_box(), Qt::LeftButton);
    EXPECT_EQ(sim_->state().slp.load(), kPauseSound);
    area().set_u8(sv_snd_ch_adr, 1);
    area().set_u8(sv_flag_sound_adr, 1);
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(area().u8(sv_flag_sound_adr), 1);  // not taken while sound is off
    QTest::mouseClick(v->sound_box(), Qt::LeftButton);
    EXPECT_TRUE(eventually([&] { return area().u8(sv_flag_sound_adr) == 0; }));
    EXPECT_TRUE(sim_->mixer().channel(0).playing);
}

TEST_F(SimvaneWindows, PicturesFollowTheAreaAndSave) {
    uint8_t* b = host_.base();
    b[sv_col_mode_adr] = 0xE0;
    for (int i = 0; i < 32; ++i) b[sv_col_chr_adr + 32 + i] = 0x11;
    b[sv_col_pal_adr + (1 * 16 + 1) * 2] = 0x0F;
    b[sv_scr1_adr] = 1;
    b[sv_scr1_adr + 1] = 1 << 1;
    b[sv_lcd_adr] = 1;
    b[sv_disp_adr] = 1;
    // Not ready: the windows keep what they had.
    sim_->lcd()->pulse();
    EXPECT_EQ(sim_->lcd()->picture(), [] {
        QImage black(240, 144, QImage::Format_RGB32);
        black.fill(Qt::black);
        return black;
    }());
    area().set_u8(sv_flag_init_adr, 0);
    for (ViewWindow* w :
         std::initializer_list<ViewWindow*>{sim_->characters(), sim_->layer_window(0), sim_->layer_window(1),
                                            sim_->layer_window(2), sim_->lcd()})
        w->pulse();
    EXPECT_EQ(sim_->layer_window(1)->picture(), render_view(b, ViewKind::screen1, 4));
    EXPECT_EQ(sim_->characters()->picture(), render_view(b, ViewKind::character, 4));
    QImage lcd = sim_->lcd()->picture();
    EXPECT_EQ(lcd.copy(0, 0, 224, 144), render_view(b, ViewKind::lcd, 4));
    EXPECT_EQ(lcd.copy(224, 0, 16, 144), render_view(b, ViewKind::segment, 4));

    lumora::testing::TempDir dir;
    ASSERT_TRUE(sim_->layer_window(1)->save_picture_to(QString::fromStdString(dir / "s1.png")));
    EXPECT_EQ(QImage(QString::fromStdString(dir / "s1.png")).convertToFormat(QImage::Format_RGB32),
              sim_->layer_window(1)->picture());
    EXPECT_FALSE(sim_->lcd()->save_picture_to(QString::fromStdString(dir / "none/x.png")));
    area().set_u8(sv_flag_init_adr, 255);  // nothing moves while the copy is compared
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(save_area_to(b, SIMVANE_AREA_SIZE, QString::fromStdString(dir / "area.bin")));
    QFile f(QString::fromStdString(dir / "area.bin"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray saved = f.readAll();
    ASSERT_EQ(saved.size(), SIMVANE_AREA_SIZE);
    EXPECT_EQ(std::memcmp(saved.constData(), b, SIMVANE_AREA_SIZE), 0);
}

// The actions of the context menu a window opens, read while it is up.
QStringList context_menu_of(QWidget* w) {
    QStringList actions;
    QTimer::singleShot(0, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            for (QAction* a : popup->actions()) actions << a->text();
            popup->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5), w->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(w, &event);
    return actions;
}

TEST_F(SimvaneWindows, ContextMenus) {
    EXPECT_EQ(context_menu_of(sim_->control()), QStringList{"Save area…"});
    for (QWidget* w :
         std::initializer_list<QWidget*>{sim_->characters(), sim_->layer_window(0), sim_->layer_window(1),
                                         sim_->layer_window(2), sim_->lcd()})
        EXPECT_EQ(context_menu_of(w), QStringList{"Save picture…"}) << w->windowTitle().toStdString();
}

TEST_F(SimvaneWindows, ClosingWindowsAndQuitting) {
    QSignalSpy quit(sim_.get(), &SV_app::quit_requested);
    sim_->characters()->close();
    sim_->lcd()->close();
    EXPECT_TRUE(eventually([&] { return !sim_->characters() && !sim_->lcd(); }));
    EXPECT_EQ(quit.count(), 0);
    EXPECT_TRUE(sim_->control()->isVisible());
    EXPECT_TRUE(sim_->layer_window(1)->isVisible());
    // The mode still works with the LCD window gone.
    QTest::mouseClick(sim_->control()->view()->mode_button(2), Qt::LeftButton);
    EXPECT_EQ(area().u8(sv_hard_adr), 0);

    // An unlimited receive is in progress when the user quits.
    area().set_u8(sv_flag_init_adr, 0);
    area().set_u8(sv_com_cmd_adr, SV_COM_OPEN);
    ASSERT_TRUE(eventually([&] { return area().u8(sv_com_cmd_adr) == 0; }));
    area().set_u16(sv_com_len_adr, 10);
    area().set_u16(sv_com_tout_adr, 0xFFFF);
    area().set_u8(sv_com_cmd_adr, SV_COM_RECEIVE);
    std::this_thread::sleep_for(50ms);
    sim_->control()->close();
    EXPECT_EQ(quit.count(), 1);
    const auto t0 = Clock::now();
    sim_->stop();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0);
    std::printf("workers stopped in %lld ms\n", static_cast<long long>(took.count()));
    EXPECT_LT(took, 2000ms);  // well under 100 ms when the machine is not loaded
}

}  // namespace
}  // namespace lumora::simvane

// Qt needs its application object before any widget; gtest's main is shared.
