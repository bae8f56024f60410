#pragma once
// The control window "Simvane": frame speed, display mode, sound and serial
// switches. It only reports choices; SV_app carries them out.

#include <QWidget>
#include <array>

class QCheckBox;
class QRadioButton;
class QSlider;

namespace lumora::simvane {

class SV_con_view : public QWidget {
    Q_OBJECT
  public:
    explicit SV_con_view(QWidget* parent, int mode);
    QSlider* slider() const { return slider_; }
    QRadioButton* mode_button(int i) const { return modes_[static_cast<size_t>(i)]; }
    QCheckBox* sound_box() const { return sound_; }
    QCheckBox* serial_box() const { return serial_; }

  signals:
    void frame_period_changed(int micros);
    void mode_chosen(int mode);
    void sound_switched(bool on);
    void serial_switched(bool on);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QSlider* slider_;
    std::array<QRadioButton*, 8> modes_{};
    QCheckBox* sound_;
    QCheckBox* serial_;
};

class SV_con_win : public QWidget {
    Q_OBJECT
  public:
    explicit SV_con_win(int mode);
    SV_con_view* view() const { return view_; }

  signals:
    void closed();
    void save_area_requested();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    SV_con_view* view_;
};

}  // namespace lumora::simvane
