#include "ide/window/environment_dialog.h"

#include <QVBoxLayout>

#include "ide/app/settings.h"

namespace lumora::ide {

EnvironmentDialog::EnvironmentDialog(const Settings& settings, BrowseFolder browse, QWidget* parent)
    : QDialog(parent), browse_folder_(std::move(browse)) {
    prepare_dialog(*this, QStringLiteral("環境設定"), "environment_dialog");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    QPushButton* buttons[3] = {};
    platform_ = add_field(grid, 0, QStringLiteral("Lumora ﾌｫﾙﾀﾞ(&W)："), "platform_folder", &buttons[0]);
    compiler_ =
        add_field(grid, 1, QStringLiteral("Digital Mars C/C++ ﾌｫﾙﾀﾞ(&D)："), "compiler_folder", &buttons[1]);
    project_ =
        add_field(grid, 2, QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄ作成 ﾌｫﾙﾀﾞ(&P)："), "default_project_folder", &buttons[2]);
    layout->addLayout(grid);
    layout->addWidget(add_ok_cancel(*this));
    platform_->setText(QString::fromStdString(settings.platform_folder));
    compiler_->setText(QString::fromStdString(settings.compiler_folder));
    project_->setText(QString::fromStdString(settings.project_folder));
    QLineEdit* edits[3] = {platform_, compiler_, project_};
    for (int i = 0; i < 3; ++i) {
        QLineEdit* edit = edits[i];
        connect(buttons[i], &QPushButton::clicked, this, [this, edit] {
            if (!browse_folder_) return;
            if (auto chosen = browse_folder_(this, edit->text())) edit->setText(*chosen);
        });
    }
    resize(520, sizeHint().height());
}

void EnvironmentDialog::store(Settings& settings) const {
    settings.platform_folder = platform_->text().toStdString();
    settings.compiler_folder = compiler_->text().toStdString();
    settings.project_folder = project_->text().toStdString();
}

}  // namespace lumora::ide
