#pragma once
// The application object: the six windows, the three workers and the sound
// device around one area. main() creates the area and runs this.

#include <QObject>
#include <QPointer>
#include <memory>
#include <string>

#include "area.h"
#include "sim_state.h"
#include "sound_model.h"

namespace lumora::simvane {

class AudioOutput;
class KeyInput;
class SV_chr_win;
class SV_con_win;
class SV_lcd_win;
class SV_scr_win;
class Workers;

// Writes the whole area as raw bytes; false when the file cannot be written.
bool save_area_to(const uint8_t* base, size_t size, const QString& path);

class SV_app : public QObject {
    Q_OBJECT
  public:
    SV_app(Area area, std::string serial_device);
    ~SV_app() override;

    // Creates and shows the windows (control, character, sprite, screen 1,
    // screen 2, LCD), then starts the workers and the sound device.
    void start(bool with_sound = true);
    // Stops the workers and the sound device; returns once they have ended.
    void stop();

    SimState& state() { return state_; }
    Mixer& mixer() { return mixer_; }
    // The windows; null once closed.
    SV_con_win* control() const;
    SV_chr_win* characters() const;
    SV_scr_win* layer_window(int layer) const;
    SV_lcd_win* lcd() const;

    void set_mode(int mode);
    void set_frame_period(int micros);
    void set_sound(bool on);
    void set_serial(bool on);

  signals:
    // The control window was closed: the application should end.
    void quit_requested();

  private:
    void save_area();

    Area area_;
    std::string serial_device_;
    SimState state_;
    Mixer mixer_;
    std::unique_ptr<Workers> workers_;
    std::unique_ptr<AudioOutput> audio_;
    std::unique_ptr<KeyInput> keys_;
    QPointer<SV_con_win> control_;
    QPointer<SV_chr_win> chr_;
    QPointer<SV_scr_win> scr_[3];
    QPointer<SV_lcd_win> lcd_;
};

}  // namespace lumora::simvane
