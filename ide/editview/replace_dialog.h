#pragma once
// "文字列の置換": find and replace texts with their histories, the options,
// the scope (whole file or selection) and the four buttons.

#include <QDialog>

#include "ide/editor/search.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace lumora::editview {

class CTextEditView;

class ReplaceDialog : public QDialog {
    Q_OBJECT
  public:
    ReplaceDialog(CTextEditView& view, editor::SearchSettings& settings);

    QComboBox* find_edit() const { return find_; }
    QComboBox* replace_edit() const { return replace_; }
    QCheckBox* whole_word() const { return whole_word_; }
    QCheckBox* match_case() const { return match_case_; }
    QRadioButton* whole_file() const { return whole_file_; }
    QRadioButton* selection_only() const { return selection_; }
    QPushButton* find_next_button() const { return find_next_; }
    QPushButton* replace_button() const { return replace_button_; }
    QPushButton* replace_all_button() const { return replace_all_; }

    void find_next();
    void replace();
    void replace_all();

  private:
    void store();
    void scope_chosen();
    // Runs a replace-session step with the field's replacement text (an empty
    // field replaces with nothing, without forgetting the stored text).
    template <typename F>
    void with_field_replacement(F&& f);

    CTextEditView& view_;
    editor::SearchSettings& settings_;
    editor::ReplaceSession session_;
    QComboBox* find_;
    QComboBox* replace_;
    QCheckBox* whole_word_;
    QCheckBox* match_case_;
    QRadioButton* whole_file_;
    QRadioButton* selection_;
    QPushButton* find_next_;
    QPushButton* replace_button_;
    QPushButton* replace_all_;
};

void run_replace_dialog(CTextEditView& view);

}  // namespace lumora::editview
