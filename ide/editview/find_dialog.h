#pragma once
// "文字列の検索" and "ﾌﾟﾛｼﾞｪｸﾄから検索": the find text with its history and
// the two options. The find dialog also marks every matching line.

#include <QDialog>
#include <string>

#include "ide/editor/search.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace lumora::editview {

class CTextEditView;

class FindDialog : public QDialog {
    Q_OBJECT
  public:
    enum class Mode { document, project };
    // `initial` (Shift-JIS) is the text the edit starts with; empty: the
    // stored find text. `view` is the view mark-all works on (document mode).
    FindDialog(QWidget* parent, editor::SearchSettings& settings, const std::string& initial, Mode mode,
               CTextEditView* view = nullptr);

    QComboBox* find_edit() const { return find_; }
    QCheckBox* whole_word() const { return whole_word_; }
    QCheckBox* match_case() const { return match_case_; }
    QPushButton* find_button() const { return find_button_; }
    QPushButton* mark_all_button() const { return mark_all_; }

    // Stores the dialog's text and options in the settings.
    void store();
    // "全て設定(&M)": bookmarks every line holding a match; the dialog stays.
    void mark_all();

  private:
    editor::SearchSettings& settings_;
    CTextEditView* view_;
    QComboBox* find_;
    QCheckBox* whole_word_;
    QCheckBox* match_case_;
    QPushButton* find_button_;
    QPushButton* mark_all_ = nullptr;
};

// Ctrl+F: the dialog, then a forward search from the caret on "検索(&F)".
void run_find_dialog(CTextEditView& view);

// Shared by the search dialogs: a drop-down edit filled with a history.
void fill_history(QComboBox* box, const std::vector<std::string>& history, const std::string& text);

}  // namespace lumora::editview
