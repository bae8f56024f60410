#include "progress_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <climits>

#include "texts.h"
#include "ui/cell_font.h"
#include "ui/dialog_units.h"

namespace lumora::lmputw {

ProgressDialog::ProgressDialog(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    const QFont font = ui::dialog_font();
    setFont(font);
    setWindowTitle(QString::fromUtf8(text::kCaption));
    setFixedSize(ui::dialog_units_to_pixels(font, 162, 31));

    status_ = new QLabel(this);
    status_->setGeometry(ui::dialog_units_rect(font, 3, 3, 156, 12));
    bar_ = new QProgressBar(this);
    bar_->setGeometry(ui::dialog_units_rect(font, 3, 15, 114, 12));
    bar_->setTextVisible(false);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    cancel_ = new QPushButton(QString::fromUtf8(text::kCancel), this);
    cancel_->setGeometry(ui::dialog_units_rect(font, 120, 15, 39, 14));
    cancel_->setDefault(true);
    connect(cancel_, &QPushButton::clicked, this, [this] { ask_to_cancel(); });
}

void ProgressDialog::show_status(const QString& text) {
    status_->setText(text);
}

void ProgressDialog::show_progress(size_t position, size_t total) {
    // The bar counts in int; very large totals are scaled down together.
    size_t scale = 1;
    while (total / scale > static_cast<size_t>(INT_MAX)) scale *= 2;
    bar_->setRange(0, static_cast<int>(total / scale));
    bar_->setValue(static_cast<int>(std::min(position, total) / scale));
}

void ProgressDialog::show_caption(const QString& text) {
    setWindowTitle(text);
}

void ProgressDialog::finish() {
    finished_ = true;
    hide();
    close();
}

void ProgressDialog::ask_to_cancel() {
    if (on_cancel) on_cancel();
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    if (finished_) {
        event->accept();
        return;
    }
    // The run closes the dialog once it has stopped.
    event->ignore();
    ask_to_cancel();
}

void ProgressDialog::reject() {
    if (finished_) {
        QDialog::reject();
        return;
    }
    ask_to_cancel();
}

}  // namespace lumora::lmputw
