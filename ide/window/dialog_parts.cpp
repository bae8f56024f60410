#include "ide/window/dialog_parts.h"

#include <QDialog>
#include <QLabel>

#include "ui/cell_font.h"
#include "ui/message_box.h"

namespace lumora::ide {

void prepare_dialog(QDialog& dialog, const QString& title, const char* object_name) {
    dialog.setWindowTitle(title);
    dialog.setObjectName(object_name);
    dialog.setFont(ui::dialog_font());
}

QLineEdit* add_field(QGridLayout* grid, int row, const QString& label, const char* object_name,
                     QPushButton** browse) {
    auto* text = new QLabel(label);
    auto* edit = new QLineEdit;
    edit->setObjectName(object_name);
    text->setBuddy(edit);
    // The field is known by its label's text (the buddy gives it that name).
    QString name = label;
    name.remove(QLatin1Char('&'));
    grid->addWidget(text, row, 0);
    grid->addWidget(edit, row, 1);
    if (browse) {
        *browse = new QPushButton(QStringLiteral("参照"));
        (*browse)->setObjectName(QString::fromLatin1(object_name) + QStringLiteral("_browse"));
        (*browse)->setAccessibleDescription(name);
        grid->addWidget(*browse, row, 2);
    }
    return edit;
}

QDialogButtonBox* add_ok_cancel(QDialog& dialog) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    box->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    box->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return box;
}

void warn(QWidget* parent, const QString& caption, const QString& text) {
    ui::show_box(parent, ui::Box{caption, text, ui::BoxIcon::warning, ui::BoxButtons::ok, std::nullopt});
}

}  // namespace lumora::ide
