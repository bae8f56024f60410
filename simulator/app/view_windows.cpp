#include "view_windows.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QPainter>
#include <cstring>

#include "ui/message_box.h"
#include "views.h"

namespace lumora::simvane {

PictureView::PictureView(QWidget* parent, const char* name) : QWidget(parent) {
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::set_picture(const QImage& picture) {
    picture_ = picture;
    if (!picture.isNull() && size() != picture.size()) resize(picture.size());
    update();
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (picture_.isNull())
        p.fillRect(rect(), Qt::black);
    else
        p.drawImage(0, 0, picture_);
}

ViewWindow::ViewWindow(Area area, const SimState& state, const QString& title, const QRect& frame,
                       int pulse_ms)
    : state_(state), area_(area), snapshot_(kViewBytes) {
    setWindowTitle(title);
    setGeometry(frame);
    setFixedSize(frame.size());
    setFocusPolicy(Qt::StrongFocus);
    setProperty("simvane_view", true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    connect(&timer_, &QTimer::timeout, this, &ViewWindow::pulse);
    timer_.start(pulse_ms);
}

void ViewWindow::pulse() {
    if (area_.u8(sv_flag_init_adr) != 0) return;
    std::memcpy(snapshot_.data(), area_.base(), kViewBytes);
    refresh(snapshot_.data(), state_.mode.load());
}

bool ViewWindow::save_picture_to(const QString& path) const {
    return picture().save(path, "PNG");
}

void ViewWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(tr("Save picture…"), this, &ViewWindow::save_picture);
    menu.exec(event->globalPos());
}

void ViewWindow::save_picture() {
    const QString path = QFileDialog::getSaveFileName(this, tr("Save picture"), windowTitle() + ".png",
                                                      tr("PNG pictures (*.png)"));
    if (path.isEmpty()) return;
    if (!save_picture_to(path))
        ui::show_box(this, ui::Box("simvane", tr("Cannot write %1.").arg(path), ui::BoxIcon::error));
}

SV_chr_win::SV_chr_win(Area area, const SimState& state)
    : ViewWindow(area, state, "character", QRect(30, 30, 256, 256), 150),
      view_(new PictureView(this, "chr_view")) {
    view_->resize(kLayerSide, kLayerSide);
}

QImage SV_chr_win::picture() const {
    return view_->picture();
}

void SV_chr_win::refresh(const uint8_t* snap, int) {
    view_->set_picture(render_character_view(snap));
}

namespace {

const char* layer_title(int layer) {
    return layer == 0 ? "sprite" : layer == 1 ? "screen1" : "screen2";
}
int layer_left(int layer) {
    return 30 + 270 * layer;
}

}  // namespace

SV_scr_win::SV_scr_win(Area area, const SimState& state, int layer)
    : ViewWindow(area, state, layer_title(layer), QRect(layer_left(layer), 320, 256, 256), 100),
      layer_(layer),
      view_(new PictureView(this, "scr_view")) {
    view_->resize(kLayerSide, kLayerSide);
}

QImage SV_scr_win::picture() const {
    return view_->picture();
}

void SV_scr_win::refresh(const uint8_t* snap, int) {
    view_->set_picture(
        layer_picture(layer_ == 0 ? render_sprite_layer(snap) : render_screen_layer(snap, layer_)));
}

SV_lcd_win::SV_lcd_win(Area area, const SimState& state)
    : ViewWindow(area, state, "lcd", QRect(570, 40, 240, 144), 100),
      lcd_(new PictureView(this, "lcd_main")),
      seg_(new PictureView(this, "lcd_seg")) {
    set_mode(state.mode.load());
}

void SV_lcd_win::set_mode(int mode) {
    if ((mode & 6) == (laid_out_mode_ & 6) && laid_out_mode_ >= 0) return;
    laid_out_mode_ = mode;
    const LcdLayout layout = lcd_layout(mode);
    setFixedSize(layout.window);
    lcd_->move(layout.picture);
    lcd_->resize((mode & kModePortrait) ? QSize(kLcdHeight, kLcdWidth) : QSize(kLcdWidth, kLcdHeight));
    seg_->move(layout.segment);
    seg_->resize((mode & 6) == 0   ? QSize(224, 16)
                 : (mode & 6) == 2 ? QSize(16, 224)
                 : (mode & 6) == 4 ? QSize(16, 144)
                                   : QSize(144, 16));
    // Old pictures of the other orientation would be drawn at the wrong size.
    lcd_->set_picture(QImage());
    seg_->set_picture(QImage());
}

void SV_lcd_win::refresh(const uint8_t* snap, int mode) {
    set_mode(mode);
    if (auto img = render_lcd(snap, mode)) lcd_->set_picture(*img);
    seg_->set_picture(render_segment(snap, mode));
}

QImage SV_lcd_win::picture() const {
    QImage all(size(), QImage::Format_RGB32);
    all.fill(Qt::black);
    QPainter p(&all);
    if (!lcd_->picture().isNull()) p.drawImage(lcd_->pos(), lcd_->picture());
    if (!seg_->picture().isNull()) p.drawImage(seg_->pos(), seg_->picture());
    return all;
}

}  // namespace lumora::simvane
