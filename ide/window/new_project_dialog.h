#pragma once
// "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ新規作成": a project name and the folder it goes under; OK
// only closes once the resulting folder exists and holds no such project.

#include <QDialog>
#include <QLineEdit>
#include <string>

#include "ide/window/dialog_parts.h"

namespace lumora::ide {

class NewProjectDialog : public QDialog {
    Q_OBJECT
  public:
    NewProjectDialog(const QString& default_folder, BrowseFolder browse, QWidget* parent = nullptr);

    QLineEdit* name_edit() const { return name_; }
    QLineEdit* folder_edit() const { return folder_; }
    QLineEdit* result_edit() const { return result_; }
    QPushButton* browse_button() const { return browse_; }

    QString name() const { return name_->text(); }
    // The resulting project folder (host path).
    std::string project_folder() const;

    void accept() override;

  private:
    void update_result();

    QLineEdit* name_;
    QLineEdit* folder_;
    QLineEdit* result_;
    QPushButton* browse_ = nullptr;
    BrowseFolder browse_folder_;
};

}  // namespace lumora::ide
