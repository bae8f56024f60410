#pragma once
// "ﾌｧｲﾙ新規作成": a file name and a folder. OK creates the file through the
// caller's `create` (File > New creates it alone; "新規ﾌｧｲﾙ追加" also adds it
// to the project); a refusal keeps the dialog open.

#include <QDialog>
#include <QLineEdit>
#include <functional>
#include <optional>
#include <string>

#include "ide/window/dialog_parts.h"

namespace lumora::ide {

class NewFileDialog : public QDialog {
    Q_OBJECT
  public:
    // `create` gets the folder and the name (host form) and returns the
    // message to show when it refused, or nothing when the file was made.
    using Create = std::function<std::optional<QString>(const std::string& folder, const std::string& name)>;

    NewFileDialog(const QString& folder, BrowseFolder browse, Create create, QWidget* parent = nullptr);

    QLineEdit* name_edit() const { return name_; }
    QLineEdit* folder_edit() const { return folder_; }
    QPushButton* browse_button() const { return browse_; }
    // The created file (valid after OK).
    const std::string& created_path() const { return created_; }

    void accept() override;

  private:
    QLineEdit* name_;
    QLineEdit* folder_;
    QPushButton* browse_ = nullptr;
    BrowseFolder browse_folder_;
    Create create_;
    std::string created_;
};

}  // namespace lumora::ide
