#include "converters/orvconv/orvconv_window.h"

#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdio>

#include "common/cp932.h"
#include "converters/orvconv/mapinfo.h"
#include "converters/orvconv/orv_convert.h"
#include "ui/message_box.h"

namespace lumora::orv {

namespace {

const char* const kCaption = "Orvコンバータ";

QLineEdit* make_edit(const char* name, bool read_only) {
    auto* e = new QLineEdit(QStringLiteral("0"));
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(read_only);
    return e;
}

// Two labelled fields side by side inside a titled group.
QGroupBox* pair_group(const QString& title, const QString& first_label, QLineEdit* first,
                      const QString& second_label, QLineEdit* second) {
    auto* group = new QGroupBox(title);
    auto* grid = new QGridLayout(group);
    // The labels are the fields' buddies, so a screen reader names each field
    // by its own label; the group's title tells the two pairs apart.
    auto* label1 = new QLabel(first_label);
    auto* label2 = new QLabel(second_label);
    label1->setBuddy(first);
    label2->setBuddy(second);
    first->setAccessibleDescription(title);
    second->setAccessibleDescription(title);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(first, 0, 1);
    grid->addWidget(label2, 0, 2);
    grid->addWidget(second, 0, 3);
    return group;
}

std::string to_std(const QString& s) {
    return s.toStdString();
}

}  // namespace

OrvWindow::OrvWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QString::fromUtf8(kCaption));
    setFont(QFont(QStringLiteral("IPAPGothic"), 9));

    btn_file_ = new QPushButton(QStringLiteral("ファイル選択"));
    btn_file_->setObjectName(QStringLiteral("btnFile"));
    label_path_ = new QLabel;
    label_path_->setObjectName(QStringLiteral("Label1"));
    label_path_->setFrameShape(QFrame::Panel);
    label_path_->setFrameShadow(QFrame::Sunken);
    label_path_->setAutoFillBackground(true);
    QPalette white = label_path_->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    label_path_->setPalette(white);
    // A long path must not stretch the fixed-size window; the tooltip shows it whole.
    label_path_->setFixedWidth(260);
    btn_start_ = new QPushButton(QStringLiteral("開始"));
    btn_start_->setObjectName(QStringLiteral("btnStart"));
    btn_start_->setEnabled(false);

    // The size fields only show mapinfo.dat; their text is kept whole, since
    // pictures wider than 999 pixels are common.
    edit_width_ = make_edit("editWidth", true);
    edit_height_ = make_edit("editHeight", true);
    edit_lu_lat_ = make_edit("editLUlat", false);
    edit_lu_lon_ = make_edit("editLUlon", false);
    edit_rd_lat_ = make_edit("editRDlat", false);
    edit_rd_lon_ = make_edit("editRDlon", false);

    rd_normal_ = new QRadioButton(QStringLiteral("通常"));
    rd_normal_->setObjectName(QStringLiteral("rdModeNomal"));
    rd_normal_->setChecked(true);
    rd_abs_ = new QRadioButton(QStringLiteral("絶対値"));
    rd_abs_->setObjectName(QStringLiteral("rdModeAbs"));
    auto* modes = new QButtonGroup(this);
    modes->addButton(rd_normal_);
    modes->addButton(rd_abs_);

    auto* top = new QHBoxLayout;
    top->addWidget(btn_file_);
    top->addWidget(label_path_, 1);

    auto* size_group = pair_group(QStringLiteral("イメージサイズ"), QStringLiteral("幅"), edit_width_,
                                  QStringLiteral("高さ"), edit_height_);
    auto* mode_row = new QHBoxLayout;
    mode_row->addWidget(new QLabel(QStringLiteral("緯度経度")));
    mode_row->addWidget(rd_normal_);
    mode_row->addWidget(rd_abs_);
    mode_row->addStretch(1);
    auto* upper_left = pair_group(QStringLiteral("左上"), QStringLiteral("緯度"), edit_lu_lat_,
                                  QStringLiteral("経度"), edit_lu_lon_);
    auto* lower_right = pair_group(QStringLiteral("右下"), QStringLiteral("緯度"), edit_rd_lat_,
                                   QStringLiteral("経度"), edit_rd_lon_);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(btn_start_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(size_group);
    layout->addLayout(mode_row);
    layout->addWidget(upper_left);
    layout->addWidget(lower_right);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // not resizable

    connect(btn_file_, &QPushButton::clicked, this, &OrvWindow::chooseFile);
    connect(btn_start_, &QPushButton::clicked, this, &OrvWindow::start);

    chooser_ = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), OrvWindow::fileFilter());
    };
    reporter_ = [](QWidget* parent, const QString& message) {
        ui::show_box(parent, {QString::fromUtf8(kCaption), message, ui::BoxIcon::error});
    };
}

QString OrvWindow::fileFilter() {
    return QStringLiteral("リソースファイル (*.fr)");
}

void OrvWindow::report(const std::string& message) {
    // Standard error keeps the record for scripts and terminals; the box is
    // what a desktop user actually sees.
    std::fputs(message.c_str(), stderr);
    QString text = QString::fromStdString(message);
    while (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    if (reporter_) reporter_(this, text);
}

void OrvWindow::chooseFile() {
    const QString path = chooser_ ? chooser_(this) : QString();
    if (path.isEmpty()) return;
    label_path_->setText(path);
    label_path_->setToolTip(path);
    btn_start_->setEnabled(true);
    const MapInfoResult info = read_mapinfo(QFile::encodeName(path).toStdString());
    if (!info.ok) {
        // Never leave another map's corners beside this path.
        for (QLineEdit* e :
             {edit_lu_lat_, edit_lu_lon_, edit_rd_lat_, edit_rd_lon_, edit_width_, edit_height_})
            e->setText(QStringLiteral("0"));
        report(info.message);
        return;
    }
    edit_lu_lat_->setText(QString::fromStdString(info.fields.lu_lat));
    edit_lu_lon_->setText(QString::fromStdString(info.fields.lu_lon));
    edit_rd_lat_->setText(QString::fromStdString(info.fields.rd_lat));
    edit_rd_lon_->setText(QString::fromStdString(info.fields.rd_lon));
    // Shown as written in mapinfo.dat, a Shift-JIS text file.
    edit_width_->setText(QString::fromStdString(cp932::to_utf8(info.fields.width)));
    edit_height_->setText(QString::fromStdString(cp932::to_utf8(info.fields.height)));
}

void OrvWindow::start() {
    const QString path = label_path_->text();
    if (path.isEmpty()) return;
    ConvertRequest request;
    request.fr_path = QFile::encodeName(path).toStdString();
    request.out_dir = QFile::encodeName(out_dir_.isEmpty() ? QDir::currentPath() : out_dir_).toStdString();
    request.fields.lu_lat = to_std(edit_lu_lat_->text());
    request.fields.lu_lon = to_std(edit_lu_lon_->text());
    request.fields.rd_lat = to_std(edit_rd_lat_->text());
    request.fields.rd_lon = to_std(edit_rd_lon_->text());
    request.fields.width = to_std(edit_width_->text());
    request.fields.height = to_std(edit_height_->text());
    request.absolute = rd_abs_->isChecked();
    const ConvertResult result = convert(request);
    if (!result.ok) report(result.message);
}

}  // namespace lumora::orv
