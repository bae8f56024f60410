#pragma once
// "ｼﾞｬﾝﾌﾟ": a line number from 1 to the line count, starting at the caret line.

#include <QDialog>

class QSpinBox;

namespace lumora::editview {

class CTextEditView;

class JumpDialog : public QDialog {
    Q_OBJECT
  public:
    explicit JumpDialog(CTextEditView& view);
    QSpinBox* line_edit() const { return line_; }
    // OK: the caret to the line, column 0, scrolled into view.
    void go();

  private:
    CTextEditView& view_;
    QSpinBox* line_;
};

void run_jump_dialog(CTextEditView& view);

}  // namespace lumora::editview
