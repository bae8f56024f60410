#include "ide/window/project_settings_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ide/project/option_line.h"
#include "ide/window/dialog_parts.h"
#include "ui/sjis_text.h"

namespace lumora::ide {

namespace {

const char* const kBoxTexts[5] = {"最適化する(&O)", "厳密なﾌﾟﾛﾄﾀｲﾌﾟﾁｪｯｸ(&P)", "ｽﾀｯｸｵｰﾊﾞｰﾌﾛｰﾁｪｯｸ(&S)",
                                  "警告ﾒｯｾｰｼﾞ表示(&W)", "警告をｴﾗｰとして扱う(&E)"};
const char* const kModeTexts[4] = {"ASCII1", "ASCII2", "日本語1", "日本語2"};

}  // namespace

CompileOptionsPage::CompileOptionsPage(QWidget* parent) : QWidget(parent) {
    setObjectName("compile_options_page");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    line_ = add_field(grid, 0, QStringLiteral("ｺﾝﾊﾟｲﾙ ｵﾌﾟｼｮﾝ(&C)："), "compile_options");
    macros_ = add_field(grid, 1, QStringLiteral("マクロ定義(&M)："), "macros");
    includes_ = add_field(grid, 2, QStringLiteral("ｲﾝｸﾙｰﾄﾞ ﾌｧｲﾙのﾊﾟｽ(&I)："), "includes");
    layout->addLayout(grid);
    for (int i = 0; i < 5; ++i) {
        boxes_[i] = new QCheckBox(QString::fromUtf8(kBoxTexts[i]));
        boxes_[i]->setObjectName(QStringLiteral("option_box_%1").arg(i));
        layout->addWidget(boxes_[i]);
        connect(boxes_[i], &QCheckBox::toggled, this, [this, i](bool on) { box_changed(i, on); });
    }
    connect(line_, &QLineEdit::textEdited, this, &CompileOptionsPage::line_edited);
    connect(macros_, &QLineEdit::textEdited, this, &CompileOptionsPage::macros_edited);
    connect(includes_, &QLineEdit::textEdited, this, &CompileOptionsPage::includes_edited);
}

void CompileOptionsPage::set_line(const std::string& sjis_line) {
    updating_ = true;
    line_->setText(ui::from_sjis(sjis_line));
    updating_ = false;
    show_fields();
}

std::string CompileOptionsPage::line() const {
    return ui::to_sjis(line_->text());
}

void CompileOptionsPage::show_fields() {
    const OptionFields fields = derive_option_fields(line());
    updating_ = true;
    for (int i = 0; i < 5; ++i) boxes_[i]->setChecked(fields.boxes[static_cast<size_t>(i)]);
    macros_->setText(ui::from_sjis(fields.macros));
    includes_->setText(ui::from_sjis(fields.includes));
    updating_ = false;
}

void CompileOptionsPage::line_edited() {
    if (!updating_) show_fields();
}

void CompileOptionsPage::box_changed(int index, bool ticked) {
    if (updating_) return;
    updating_ = true;
    line_->setText(ui::from_sjis(apply_option_box(line(), static_cast<OptionBox>(index), ticked)));
    updating_ = false;
}

void CompileOptionsPage::macros_edited() {
    updating_ = true;
    line_->setText(ui::from_sjis(apply_macro_field(line(), ui::to_sjis(macros_->text()))));
    updating_ = false;
}

void CompileOptionsPage::includes_edited() {
    updating_ = true;
    line_->setText(ui::from_sjis(apply_include_field(line(), ui::to_sjis(includes_->text()))));
    updating_ = false;
}

ProjectSettingsDialog::ProjectSettingsDialog(const ProjectRecord& record, QWidget* parent)
    : QDialog(parent), record_(record) {
    prepare_dialog(*this, QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄの設定"), "project_settings_dialog");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    name_ = add_field(grid, 0, QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄ名："), "settings_name");
    output_ = add_field(grid, 1, QStringLiteral("出力ﾌｫﾙﾀﾞ："), "output_folder");
    description_ = add_field(grid, 2, QStringLiteral("説明："), "description");
    resource_ = add_field(grid, 3, QStringLiteral("連結ﾘｿｰｽ："), "linked_resource");
    link_ = add_field(grid, 4, QStringLiteral("ﾘﾝｸ ｵﾌﾟｼｮﾝ："), "link_options");
    layout->addLayout(grid);

    auto* modes = new QGroupBox(QStringLiteral("表示ﾓｰﾄﾞ"));
    auto* mode_row = new QHBoxLayout(modes);
    for (int i = 0; i < 4; ++i) {
        modes_[i] = new QRadioButton(QString::fromUtf8(kModeTexts[i]));
        modes_[i]->setObjectName(QStringLiteral("display_mode_%1").arg(i));
        mode_row->addWidget(modes_[i]);
    }
    layout->addWidget(modes);
    auto_transfer_ = new QCheckBox(QStringLiteral("自動転送&&実行"));
    auto_transfer_->setObjectName("auto_transfer");
    layout->addWidget(auto_transfer_);
    auto* options = new QGroupBox(QStringLiteral("ｺﾝﾊﾟｲﾙ"));
    auto* options_layout = new QVBoxLayout(options);
    page_ = new CompileOptionsPage;
    options_layout->addWidget(page_);
    layout->addWidget(options);
    layout->addWidget(add_ok_cancel(*this));

    name_->setText(ui::from_sjis(record.name));
    output_->setText(QString::fromStdString(record.output_folder));
    description_->setText(ui::from_sjis(record.description));
    resource_->setText(ui::from_sjis(record.linked_resource));
    link_->setText(ui::from_sjis(record.link_options));
    modes_[record.display_mode < 4 ? record.display_mode : static_cast<uint16_t>(kJapanese2)]->setChecked(
        true);
    auto_transfer_->setChecked(record.auto_transfer);
    page_->set_line(record.compile_options);
}

ProjectRecord ProjectSettingsDialog::edited() const {
    ProjectRecord r = record_;
    r.name = ui::to_sjis(name_->text());
    r.output_folder = output_->text().toStdString();
    r.description = ui::to_sjis(description_->text());
    r.linked_resource = ui::to_sjis(resource_->text());
    r.link_options = ui::to_sjis(link_->text());
    for (uint16_t i = 0; i < 4; ++i)
        if (modes_[i]->isChecked()) r.display_mode = i;
    r.auto_transfer = auto_transfer_->isChecked();
    r.compile_options = page_->line();
    return r;
}

}  // namespace lumora::ide
