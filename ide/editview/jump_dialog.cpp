#include "ide/editview/jump_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "ide/editor/search.h"
#include "ide/editview/text_edit_view.h"
#include "ui/cell_font.h"

namespace lumora::editview {

JumpDialog::JumpDialog(CTextEditView& view) : QDialog(&view), view_(view) {
    setFont(ui::dialog_font());
    setWindowTitle(QStringLiteral("ｼﾞｬﾝﾌﾟ"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("行番号："), this);
    line_ = new QSpinBox(this);
    line_->setRange(1, std::max(1, view.document().line_count()));
    line_->setValue(view.controller().caret().line + 1);
    line_->setAccessibleName(QStringLiteral("行番号："));
    label->setBuddy(line_);
    row->addWidget(label);
    row->addWidget(line_);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        go();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    line_->selectAll();
}

void JumpDialog::go() {
    const int line = editor::clamp_jump_line(view_.document(), line_->value());
    view_.act([line](editor::EditController& c) { c.set_caret({0, line - 1}); });
}

void run_jump_dialog(CTextEditView& view) {
    JumpDialog dialog(view);
    dialog.exec();
}

}  // namespace lumora::editview
