#pragma once
// "環境設定": the SDK folder, the compiler folder and the folder new
// projects are offered under, each with a browse button.

#include <QDialog>
#include <QLineEdit>

#include "ide/window/dialog_parts.h"

namespace lumora::ide {

struct Settings;

class EnvironmentDialog : public QDialog {
    Q_OBJECT
  public:
    EnvironmentDialog(const Settings& settings, BrowseFolder browse, QWidget* parent = nullptr);

    QLineEdit* platform_edit() const { return platform_; }
    QLineEdit* compiler_edit() const { return compiler_; }
    QLineEdit* project_edit() const { return project_; }
    // Stores the three texts (after OK).
    void store(Settings& settings) const;

  private:
    QLineEdit* platform_;
    QLineEdit* compiler_;
    QLineEdit* project_;
    BrowseFolder browse_folder_;
};

}  // namespace lumora::ide
