#pragma once
// The five picture windows: character set, sprites, screen 1, screen 2 and
// the LCD with its segment strip. Each redraws on its own pulse from a
// snapshot of the area, and does nothing while the program under test is
// not ready. The pictures come from the model; these classes only show them.

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "area.h"
#include "sim_state.h"

namespace lumora::simvane {

// Shows one picture at its natural size.
class PictureView : public QWidget {
  public:
    explicit PictureView(QWidget* parent, const char* name);
    void set_picture(const QImage& picture);
    const QImage& picture() const { return picture_; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QImage picture_;
};

class ViewWindow : public QWidget {
    Q_OBJECT
  public:
    ViewWindow(Area area, const SimState& state, const QString& title, const QRect& frame, int pulse_ms);

    // What "Save picture…" writes: the window's pictures as shown.
    virtual QImage picture() const = 0;
    // Writes picture() as PNG; false when the file cannot be written.
    bool save_picture_to(const QString& path) const;
    // One pulse, as the timer does it.
    void pulse();

  protected:
    virtual void refresh(const uint8_t* snap, int mode) = 0;
    void contextMenuEvent(QContextMenuEvent* event) override;
    const SimState& state_;

  private:
    void save_picture();
    Area area_;
    QTimer timer_;
    std::vector<uint8_t> snapshot_;
};

class SV_chr_win : public ViewWindow {
  public:
    SV_chr_win(Area area, const SimState& state);
    QImage picture() const override;

  protected:
    void refresh(const uint8_t* snap, int mode) override;

  private:
    PictureView* view_;
};

// Layer 0 the sprites, 1 screen 1, 2 screen 2.
class SV_scr_win : public ViewWindow {
  public:
    SV_scr_win(Area area, const SimState& state, int layer);
    QImage picture() const override;
    int layer() const { return layer_; }

  protected:
    void refresh(const uint8_t* snap, int mode) override;

  private:
    int layer_;
    PictureView* view_;
};

class SV_lcd_win : public ViewWindow {
  public:
    SV_lcd_win(Area area, const SimState& state);
    QImage picture() const override;
    // Resizes the window and places the picture and strip for `mode`.
    void set_mode(int mode);

  protected:
    void refresh(const uint8_t* snap, int mode) override;

  private:
    PictureView* lcd_;
    PictureView* seg_;
    int laid_out_mode_ = -1;
};

}  // namespace lumora::simvane
