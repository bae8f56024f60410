#include "ide/editview/find_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ide/editor/document_set.h"
#include "ide/editview/edit_environment.h"
#include "ide/editview/text_edit_view.h"
#include "ui/cell_font.h"
#include "ui/sjis_text.h"

namespace lumora::editview {

void fill_history(QComboBox* box, const std::vector<std::string>& history, const std::string& text) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& h : history) box->addItem(ui::from_sjis(h));
    box->setEditText(ui::from_sjis(text));
}

FindDialog::FindDialog(QWidget* parent, editor::SearchSettings& settings, const std::string& initial,
                       Mode mode, CTextEditView* view)
    : QDialog(parent), settings_(settings), view_(view) {
    setFont(ui::dialog_font());
    setWindowTitle(mode == Mode::document ? QStringLiteral("文字列の検索")
                                          : QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄから検索"));
    auto* grid = new QGridLayout(this);
    auto* label = new QLabel(QStringLiteral("検索文字列(&N)："), this);
    find_ = new QComboBox(this);
    fill_history(find_, settings.find_history, initial.empty() ? settings.find_text : initial);
    find_->setMinimumContentsLength(24);
    label->setBuddy(find_);
    find_->setAccessibleName(QStringLiteral("検索文字列(&N)："));
    whole_word_ = new QCheckBox(QStringLiteral("単語単位で探す(&W)"), this);
    match_case_ = new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this);
    whole_word_->setChecked(settings.whole_word);
    match_case_->setChecked(settings.match_case);
    grid->addWidget(label, 0, 0);
    grid->addWidget(find_, 0, 1);
    grid->addWidget(whole_word_, 1, 0, 1, 2);
    grid->addWidget(match_case_, 2, 0, 1, 2);

    auto* buttons = new QVBoxLayout;
    find_button_ = new QPushButton(QStringLiteral("検索(&F)"), this);
    find_button_->setDefault(true);
    buttons->addWidget(find_button_);
    if (mode == Mode::document) {
        mark_all_ = new QPushButton(QStringLiteral("全て設定(&M)"), this);
        buttons->addWidget(mark_all_);
        connect(mark_all_, &QPushButton::clicked, this, &FindDialog::mark_all);
    }
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    buttons->addWidget(cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 3, 1);

    auto enable = [this] { find_button_->setEnabled(!find_->currentText().isEmpty()); };
    connect(find_, &QComboBox::editTextChanged, this, enable);
    enable();
    connect(find_button_, &QPushButton::clicked, this, [this] {
        store();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FindDialog::store() {
    settings_.take_over_find(ui::to_sjis(find_->currentText()));
    settings_.whole_word = whole_word_->isChecked();
    settings_.match_case = match_case_->isChecked();
}

void FindDialog::mark_all() {
    store();
    if (!view_ || settings_.find_text.empty()) return;
    view_->act([this](editor::EditController& c) {
        editor::mark_all(c.document(), settings_);
        c.set_caret(c.caret());
    });
    view_->document().notify(view_, editor::kHintRetokenized);
}

void run_find_dialog(CTextEditView& view) {
    const std::string initial = editor::initial_find_text(view.controller(), view.environment().search());
    FindDialog dialog(&view, view.environment().search(), initial, FindDialog::Mode::document, &view);
    if (dialog.exec() == QDialog::Accepted) view.find_again(true);
}

}  // namespace lumora::editview
