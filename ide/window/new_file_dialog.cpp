#include "ide/window/new_file_dialog.h"

#include <QVBoxLayout>

#include "ide/window/dialog_checks.h"

namespace lumora::ide {

NewFileDialog::NewFileDialog(const QString& folder, BrowseFolder browse, Create create, QWidget* parent)
    : QDialog(parent), browse_folder_(std::move(browse)), create_(std::move(create)) {
    prepare_dialog(*this, QStringLiteral("ﾌｧｲﾙ新規作成"), "new_file_dialog");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    name_ = add_field(grid, 0, QStringLiteral("ﾌｧｲﾙ名(&N)："), "file_name");
    folder_ = add_field(grid, 1, QStringLiteral("ﾌｫﾙﾀﾞ(&D)："), "file_folder", &browse_);
    layout->addLayout(grid);
    layout->addWidget(add_ok_cancel(*this));
    folder_->setText(folder);
    connect(browse_, &QPushButton::clicked, this, [this] {
        if (!browse_folder_) return;
        if (auto chosen = browse_folder_(this, folder_->text())) folder_->setText(*chosen);
    });
    name_->setFocus();
}

void NewFileDialog::accept() {
    const std::string name = name_->text().toStdString();
    const std::string folder = folder_->text().toStdString();
    if (auto problem = check_new_file_fields(name, folder)) {
        warn(this, windowTitle(), QString::fromStdString(*problem));
        return;
    }
    if (create_) {
        if (auto refusal = create_(folder, name)) {
            warn(this, windowTitle(), *refusal);
            return;
        }
    }
    created_ = join_folder(folder, name);
    QDialog::accept();
}

}  // namespace lumora::ide
