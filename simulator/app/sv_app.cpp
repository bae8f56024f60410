#include "sv_app.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <algorithm>
#include <cstdio>

#include "audio_output.h"
#include "control_window.h"
#include "key_input.h"
#include "ui/message_box.h"
#include "view_windows.h"
#include "workers.h"

namespace lumora::simvane {

bool save_area_to(const uint8_t* base, size_t size, const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const qint64 n = f.write(reinterpret_cast<const char*>(base), static_cast<qint64>(size));
    return n == static_cast<qint64>(size) && f.flush();
}

SV_app::SV_app(Area area, std::string serial_device)
    : area_(area), serial_device_(std::move(serial_device)) {}

SV_app::~SV_app() {
    stop();
    if (keys_) qApp->removeEventFilter(keys_.get());
    delete control_;
    delete chr_;
    for (auto& w : scr_) delete w;
    delete lcd_;
}

SV_con_win* SV_app::control() const {
    return control_;
}
SV_chr_win* SV_app::characters() const {
    return chr_;
}
SV_scr_win* SV_app::layer_window(int layer) const {
    return scr_[layer];
}
SV_lcd_win* SV_app::lcd() const {
    return lcd_;
}

void SV_app::start(bool with_sound) {
    control_ = new SV_con_win(state_.mode.load());
    chr_ = new SV_chr_win(area_, state_);
    for (int layer = 0; layer < 3; ++layer) scr_[layer] = new SV_scr_win(area_, state_, layer);
    lcd_ = new SV_lcd_win(area_, state_);
    // Closing a picture window closes only it.
    for (QWidget* w : std::initializer_list<QWidget*>{chr_, scr_[0], scr_[1], scr_[2], lcd_})
        w->setAttribute(Qt::WA_DeleteOnClose);
    SV_con_view* view = control_->view();
    connect(view, &SV_con_view::frame_period_changed, this, &SV_app::set_frame_period);
    connect(view, &SV_con_view::mode_chosen, this, &SV_app::set_mode);
    connect(view, &SV_con_view::sound_switched, this, &SV_app::set_sound);
    connect(view, &SV_con_view::serial_switched, this, &SV_app::set_serial);
    connect(control_, &SV_con_win::closed, this, &SV_app::quit_requested);
    connect(control_, &SV_con_win::save_area_requested, this, &SV_app::save_area);

    keys_ = std::make_unique<KeyInput>(state_.held_keys);
    qApp->installEventFilter(keys_.get());

    control_->show();
    chr_->show();
    for (auto& w : scr_) w->show();
    lcd_->show();

    workers_ = std::make_unique<Workers>(area_, state_, mixer_, serial_device_);
    workers_->start();
    if (with_sound) {
        audio_ = std::make_unique<AudioOutput>(mixer_);
        if (!audio_->open()) {
            std::fprintf(stderr, "simvane: no sound: %s\n", audio_->error().c_str());
            audio_.reset();
        }
    }
}

void SV_app::stop() {
    if (workers_) workers_->stop();
    workers_.reset();
    audio_.reset();
}

void SV_app::set_mode(int mode) {
    state_.mode.store(mode & 7);
    area_.set_u8(sv_hard_adr, (mode & kModeColour) ? 1 : 0);
    if (lcd_) lcd_->set_mode(mode);
}

void SV_app::set_frame_period(int micros) {
    state_.sv_vb_t.store(std::clamp(micros, kMinFramePeriod, kMaxFramePeriod));
}

void SV_app::set_sound(bool on) {
    if (on)
        state_.slp.fetch_and(~kPauseSound);
    else
        state_.slp.fetch_or(kPauseSound);
    if (workers_) workers_->wake();
}

void SV_app::set_serial(bool on) {
    if (on)
        state_.slp.fetch_and(~kPauseSerial);
    else
        state_.slp.fetch_or(kPauseSerial);
    if (workers_) workers_->wake();
}

void SV_app::save_area() {
    const QString path = QFileDialog::getSaveFileName(control_, tr("Save area"), "simvane-area.bin",
                                                      tr("Area images (*.bin)"));
    if (path.isEmpty()) return;
    if (!save_area_to(area_.base(), SIMVANE_AREA_SIZE, path))
        ui::show_box(control_, ui::Box("simvane", tr("Cannot write %1.").arg(path), ui::BoxIcon::error));
}

}  // namespace lumora::simvane
