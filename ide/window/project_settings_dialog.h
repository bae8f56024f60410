#pragma once
// "ﾌﾟﾛｼﾞｪｸﾄの設定": edits a copy of the project's settings; the compile
// options page keeps the option line and its check boxes and fields in step
// both ways.

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <array>

#include "ide/project/project_record.h"

namespace lumora::ide {

class CompileOptionsPage : public QWidget {
    Q_OBJECT
  public:
    explicit CompileOptionsPage(QWidget* parent = nullptr);
    void set_line(const std::string& sjis_line);
    std::string line() const;

    QLineEdit* line_edit() const { return line_; }
    QLineEdit* macro_edit() const { return macros_; }
    QLineEdit* include_edit() const { return includes_; }
    QCheckBox* box(int index) const { return boxes_[static_cast<size_t>(index)]; }

  private:
    void line_edited();
    void box_changed(int index, bool ticked);
    void macros_edited();
    void includes_edited();
    void show_fields();

    QLineEdit* line_;
    QLineEdit* macros_;
    QLineEdit* includes_;
    std::array<QCheckBox*, 5> boxes_{};
    bool updating_ = false;
};

class ProjectSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    ProjectSettingsDialog(const ProjectRecord& record, QWidget* parent = nullptr);
    // The edited copy (after OK).
    ProjectRecord edited() const;

    QLineEdit* name_edit() const { return name_; }
    QLineEdit* output_edit() const { return output_; }
    QLineEdit* description_edit() const { return description_; }
    QLineEdit* resource_edit() const { return resource_; }
    QLineEdit* link_edit() const { return link_; }
    QRadioButton* mode_button(int mode) const { return modes_[static_cast<size_t>(mode)]; }
    QCheckBox* auto_transfer_box() const { return auto_transfer_; }
    CompileOptionsPage* compile_page() const { return page_; }

  private:
    ProjectRecord record_;
    QLineEdit* name_;
    QLineEdit* output_;
    QLineEdit* description_;
    QLineEdit* resource_;
    QLineEdit* link_;
    std::array<QRadioButton*, 4> modes_{};
    QCheckBox* auto_transfer_;
    CompileOptionsPage* page_;
};

}  // namespace lumora::ide
