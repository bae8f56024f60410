#include "ide/editview/replace_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ide/editor/document_set.h"
#include "ide/editview/edit_environment.h"
#include "ide/editview/find_dialog.h"
#include "ide/editview/text_edit_view.h"
#include "ui/cell_font.h"
#include "ui/sjis_text.h"

namespace lumora::editview {

ReplaceDialog::ReplaceDialog(CTextEditView& view, editor::SearchSettings& settings)
    : QDialog(&view), view_(view), settings_(settings), session_(view.controller(), settings) {
    setFont(ui::dialog_font());
    setWindowTitle(QStringLiteral("文字列の置換"));
    auto* grid = new QGridLayout(this);
    auto* find_label = new QLabel(QStringLiteral("検索文字列(&N)："), this);
    find_ = new QComboBox(this);
    fill_history(find_, settings.find_history, editor::initial_find_text(view.controller(), settings));
    find_label->setBuddy(find_);
    find_->setAccessibleName(QStringLiteral("検索文字列(&N)："));
    find_->setMinimumContentsLength(24);
    auto* replace_label = new QLabel(QStringLiteral("置換文字列(&P)："), this);
    replace_ = new QComboBox(this);
    fill_history(replace_, settings.replace_history, settings.replace_text);
    replace_label->setBuddy(replace_);
    replace_->setAccessibleName(QStringLiteral("置換文字列(&P)："));
    whole_word_ = new QCheckBox(QStringLiteral("単語単位で探す(&W)"), this);
    match_case_ = new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this);
    whole_word_->setChecked(settings.whole_word);
    match_case_->setChecked(settings.match_case);
    auto* scope = new QGroupBox(QStringLiteral("置換範囲"), this);
    auto* scope_layout = new QVBoxLayout(scope);
    whole_file_ = new QRadioButton(QStringLiteral("ﾌｧｲﾙ全体(&O)"), scope);
    selection_ = new QRadioButton(QStringLiteral("選択範囲(&S)"), scope);
    scope_layout->addWidget(whole_file_);
    scope_layout->addWidget(selection_);
    grid->addWidget(find_label, 0, 0);
    grid->addWidget(find_, 0, 1);
    grid->addWidget(replace_label, 1, 0);
    grid->addWidget(replace_, 1, 1);
    grid->addWidget(whole_word_, 2, 0, 1, 2);
    grid->addWidget(match_case_, 3, 0, 1, 2);
    grid->addWidget(scope, 4, 0, 1, 2);

    auto* buttons = new QVBoxLayout;
    find_next_ = new QPushButton(QStringLiteral("次を検索(&F)"), this);
    find_next_->setDefault(true);
    replace_button_ = new QPushButton(QStringLiteral("置換(&R)"), this);
    replace_all_ = new QPushButton(QStringLiteral("全て置換(&A)"), this);
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    for (QPushButton* b : {find_next_, replace_button_, replace_all_, cancel}) buttons->addWidget(b);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 5, 1);

    if (view.controller().has_selection()) {
        selection_->setChecked(true);
        find_next_->setEnabled(false);
        replace_button_->setEnabled(false);
    } else {
        whole_file_->setChecked(true);
        selection_->setEnabled(false);
    }
    connect(whole_file_, &QRadioButton::clicked, this, &ReplaceDialog::scope_chosen);
    connect(selection_, &QRadioButton::clicked, this, &ReplaceDialog::scope_chosen);
    connect(find_next_, &QPushButton::clicked, this, &ReplaceDialog::find_next);
    connect(replace_button_, &QPushButton::clicked, this, &ReplaceDialog::replace);
    connect(replace_all_, &QPushButton::clicked, this, &ReplaceDialog::replace_all);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ReplaceDialog::store() {
    settings_.take_over(ui::to_sjis(find_->currentText()), ui::to_sjis(replace_->currentText()));
    settings_.whole_word = whole_word_->isChecked();
    settings_.match_case = match_case_->isChecked();
}

void ReplaceDialog::scope_chosen() {
    const bool whole = whole_file_->isChecked();
    find_next_->setEnabled(whole);
    replace_button_->setEnabled(whole);
    session_.forget_match();
}

template <typename F>
void ReplaceDialog::with_field_replacement(F&& f) {
    store();
    if (settings_.find_text.empty()) return;
    const std::string stored = settings_.replace_text;
    settings_.replace_text = ui::to_sjis(replace_->currentText());
    view_.act([&](editor::EditController&) { f(); });
    settings_.replace_text = stored;
}

void ReplaceDialog::find_next() {
    with_field_replacement([this] {
        if (session_.find_next()) selection_->setEnabled(false);
    });
}

void ReplaceDialog::replace() {
    with_field_replacement([this] {
        if (session_.replace()) selection_->setEnabled(false);
    });
}

void ReplaceDialog::replace_all() {
    with_field_replacement([this] { session_.replace_all(selection_->isChecked()); });
}

void run_replace_dialog(CTextEditView& view) {
    ReplaceDialog dialog(view, view.environment().search());
    dialog.exec();
}

}  // namespace lumora::editview
