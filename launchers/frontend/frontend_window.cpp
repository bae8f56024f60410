#include "frontend_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

#include "convert_run.h"
#include "folder_browser.h"
#include "folder_listing.h"
#include "sound_preview.h"
#include "ui/cell_font.h"

namespace lumora::frontend {

FrontendWindow::FrontendWindow(const FrontendKind& kind, FrontendPaths paths, launchers::ToolRunner& runner,
                               SoundPreview* sound, QWidget* parent)
    : QWidget(parent), kind_(kind), paths_(std::move(paths)), runner_(runner), sound_(sound) {
    setWindowTitle(QString::fromStdString(kind.caption));
    setFont(ui::dialog_font());
    const std::string pattern = kind.pattern;
    browser_ = new launchers::FolderBrowser(
        [pattern](const std::string& folder) { return launchers::matching_files(folder, pattern); }, this);
    convert_ = new QPushButton(QString::fromStdString(kind.convert_text), this);
    convert_->setObjectName("convertButton");
    exit_ = new QPushButton(QString::fromStdString(kind.exit_text), this);
    exit_->setObjectName("exitButton");
    result_ = new QLabel(this);
    result_->setObjectName("resultLabel");
    result_->setAutoFillBackground(true);
    result_->setFrameShape(QFrame::Panel);
    result_->setFrameShadow(QFrame::Sunken);
    result_->setMinimumHeight(fontMetrics().height() + 8);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(convert_);
    buttons->addWidget(exit_);
    buttons->addStretch(1);
    auto* column = new QVBoxLayout;
    column->addWidget(browser_, 1);
    column->addLayout(buttons);
    column->addWidget(result_);
    auto* top = new QHBoxLayout(this);
    top->addLayout(column, 1);
    if (kind.preview == PreviewKind::picture) {
        picture_ = new QLabel(this);
        picture_->setObjectName("pictureBox");
        picture_->setAccessibleName(QString::fromUtf8("画像"));
        picture_->setFixedSize(256, 256);
        picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        picture_->setFrameShape(QFrame::Panel);
        picture_->setFrameShadow(QFrame::Sunken);
        top->addWidget(picture_, 0, Qt::AlignTop);
    }

    connect(convert_, &QPushButton::clicked, this, &FrontendWindow::convert);
    connect(exit_, &QPushButton::clicked, this, &QWidget::close);
    connect(browser_, &launchers::FolderBrowser::file_chosen, this, &FrontendWindow::preview);

    std::error_code error;
    browser_->set_folder(std::filesystem::current_path(error).string());
    resize(sizeHint().expandedTo(QSize(480, 320)));
}

void FrontendWindow::preview() {
    const std::string file = browser_->file();
    if (file.empty()) return;
    const std::string path = browser_->folder() + "/" + file;
    if (kind_.preview == PreviewKind::sound) {
        if (sound_) sound_->play(path);  // a file that cannot play stays silent, as before
        return;
    }
    QImage image(QString::fromStdString(path));
    picture_->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}

void FrontendWindow::set_red(bool red) {
    red_ = red;
    QPalette palette = result_->palette();
    palette.setColor(QPalette::Window, red ? QColor(255, 0, 0) : QWidget::palette().color(QPalette::Button));
    result_->setPalette(palette);
}

void FrontendWindow::convert() {
    if (!convert_->isEnabled()) return;
    convert_->setEnabled(false);
    exit_->setEnabled(false);
    result_->clear();
    set_red(false);
    start_conversion(kind_, paths_, browser_->folder(), browser_->file(), runner_,
                     [this](const ConvertResult& result) { show_result(result); });
}

void FrontendWindow::show_result(const ConvertResult& result) {
    result_->setText(QString::fromStdString(result.line));
    set_red(result.failed);
    convert_->setEnabled(true);
    exit_->setEnabled(true);
    emit conversion_finished();
}

}  // namespace lumora::frontend
