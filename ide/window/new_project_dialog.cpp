#include "ide/window/new_project_dialog.h"

#include <QVBoxLayout>

#include "ide/project/project_creation.h"
#include "ide/window/dialog_checks.h"
#include "platform/path_style.h"
#include "ui/message_box.h"

namespace lumora::ide {

NewProjectDialog::NewProjectDialog(const QString& default_folder, BrowseFolder browse, QWidget* parent)
    : QDialog(parent), browse_folder_(std::move(browse)) {
    prepare_dialog(*this, QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ新規作成"), "new_project_dialog");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    name_ = add_field(grid, 0, QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄ名(&P)："), "project_name");
    folder_ = add_field(grid, 1, QStringLiteral("ﾌｫﾙﾀﾞ(&D)："), "project_folder", &browse_);
    result_ = add_field(grid, 2, QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄ ﾌｫﾙﾀﾞ："), "project_result");
    result_->setReadOnly(true);
    layout->addLayout(grid);
    layout->addWidget(add_ok_cancel(*this));
    folder_->setText(default_folder);
    connect(name_, &QLineEdit::textChanged, this, &NewProjectDialog::update_result);
    connect(folder_, &QLineEdit::textChanged, this, &NewProjectDialog::update_result);
    connect(browse_, &QPushButton::clicked, this, [this] {
        if (!browse_folder_) return;
        if (auto chosen = browse_folder_(this, folder_->text())) folder_->setText(*chosen);
    });
    update_result();
    name_->setFocus();
}

std::string NewProjectDialog::project_folder() const {
    return resulting_project_folder(folder_->text().toStdString(), name_->text().toStdString(),
                                    platform::host_path_style());
}

void NewProjectDialog::update_result() {
    result_->setText(QString::fromStdString(project_folder()));
}

void NewProjectDialog::accept() {
    const QString caption = QString::fromUtf8(kNewProjectCaption);
    if (auto problem = check_new_project_fields(name_->text().toStdString(), folder_->text().toStdString())) {
        warn(this, caption, QString::fromStdString(*problem));
        return;
    }
    NewProjectPrompts prompts;
    prompts.warn = [&](const std::string& message) { warn(this, caption, QString::fromStdString(message)); };
    prompts.ask_create = [&](const std::string& question) {
        return ui::show_box(this, ui::Box{caption, QString::fromStdString(question), ui::BoxIcon::warning,
                                          ui::BoxButtons::yes_no, std::nullopt}) == ui::BoxAnswer::yes;
    };
    if (!accept_new_project_folder(project_folder(), name_->text().toStdString(), prompts,
                                   platform::host_path_style()))
        return;
    QDialog::accept();
}

}  // namespace lumora::ide
