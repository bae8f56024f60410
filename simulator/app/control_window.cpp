#include "control_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QRadioButton>
#include <QSlider>

#include "sim_state.h"

namespace lumora::simvane {
namespace {

// Names for the unlabelled mode buttons, for screen readers and tooltips.
QString mode_name(int mode) {
    static const char* const kLayout[] = {"landscape", "landscape inverted", "portrait", "portrait inverted"};
    return QString("%1, %2").arg(kLayout[mode & 3], (mode & 4) ? "colour" : "monochrome");
}

QLabel* small_label(QWidget* parent, const QString& text, const QRect& where, Qt::Alignment align) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setPixelSize(10);
    label->setFont(f);
    label->setAlignment(align);
    label->setGeometry(where);
    return label;
}

}  // namespace

SV_con_view::SV_con_view(QWidget* parent, int mode) : QWidget(parent) {
    setObjectName("SV_con_view");
    auto* speed_label = small_label(this, "speed(vblank)", QRect(20, 124, 160, 13), Qt::AlignLeft);
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName("vb_sl");
    slider_->setAccessibleName("speed(vblank)");
    slider_->setRange(kMinFramePeriod, kMaxFramePeriod);
    slider_->setSingleStep(1000);
    slider_->setPageStep(10000);
    slider_->setValue(kDefaultFramePeriod);
    slider_->setGeometry(20, 137, 160, 18);
    speed_label->setBuddy(slider_);
    small_label(this, "fast", QRect(20, 156, 60, 13), Qt::AlignLeft);
    small_label(this, "slow", QRect(120, 156, 60, 13), Qt::AlignRight);
    connect(slider_, &QSlider::valueChanged, this, &SV_con_view::frame_period_changed);

    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 8; ++i) {
        auto* b = new QRadioButton(this);
        b->setObjectName("mode");
        b->setAccessibleName(mode_name(i));
        b->setToolTip(mode_name(i));
        b->setGeometry(70 + 30 * (i % 4), 70 + 15 * (i / 4), 14, 14);
        group->addButton(b, i);
        modes_[static_cast<size_t>(i)] = b;
    }
    modes_[static_cast<size_t>(mode & 7)]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, &SV_con_view::mode_chosen);

    sound_ = new QCheckBox("sound", this);
    sound_->setObjectName("pr_cb_sound");
    sound_->setGeometry(20, 104, 70, 16);
    sound_->setChecked(true);
    connect(sound_, &QCheckBox::toggled, this, &SV_con_view::sound_switched);
    serial_ = new QCheckBox("serial", this);
    serial_->setObjectName("pr_cb_serial");
    serial_->setGeometry(110, 104, 70, 16);
    serial_->setChecked(true);
    connect(serial_, &QCheckBox::toggled, this, &SV_con_view::serial_switched);
}

void SV_con_view::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRoundedRect(QRectF(5.5, 5.5, width() - 11, 50), 8, 8);
    p.drawRoundedRect(QRectF(5.5, 62.5, width() - 11, height() - 68), 8, 8);
    QFont f = font();
    f.setPixelSize(26);
    f.setBold(true);
    p.setFont(f);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRect(5, 5, width() - 10, 50), Qt::AlignCenter, "Simvane");
    // Column and row marks of the mode grid.
    QFont small = font();
    small.setPixelSize(9);
    p.setFont(small);
    p.drawText(QRect(10, 70, 56, 14), Qt::AlignRight | Qt::AlignVCenter, "mono");
    p.drawText(QRect(10, 85, 56, 14), Qt::AlignRight | Qt::AlignVCenter, "colour");
}

SV_con_win::SV_con_win(int mode) : view_(new SV_con_view(this, mode)) {
    setWindowTitle("Simvane");
    setGeometry(320, 50, 200, 200);
    setFixedSize(200, 200);
    view_->setGeometry(0, 0, 200, 200);
}

void SV_con_win::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

void SV_con_win::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(tr("Save area…"), this, &SV_con_win::save_area_requested);
    menu.exec(event->globalPos());
}

}  // namespace lumora::simvane
