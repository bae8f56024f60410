#include "ide/editview/colour_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "ui/cell_font.h"

namespace lumora::editview {

namespace {

constexpr int kChoiceRole = Qt::UserRole;

editor::SystemColours system_colours() {
    const QPalette p = QGuiApplication::palette();
    auto rgb = [](const QColor& c) {
        return editor::Rgb{static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                           static_cast<uint8_t>(c.blue())};
    };
    return {rgb(p.color(QPalette::Text)), rgb(p.color(QPalette::Base))};
}

// Colour entries: a filled rectangle inset 2 pixels in a white cell, a focus
// rectangle around the chosen one; the system entry is white with "標準".
class ColourEntryDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        p->save();
        p->fillRect(option.rect, Qt::white);
        const QRect inner = option.rect.adjusted(2, 2, -2, -2);
        const uint32_t colour = index.data(kChoiceRole).toUInt();
        if (colour == editor::kSystemColour) {
            p->fillRect(inner, Qt::white);
            p->setPen(Qt::black);
            p->drawText(inner, Qt::AlignCenter, QStringLiteral("標準"));
        } else {
            const editor::Rgb c = editor::colorref_rgb(colour);
            p->fillRect(inner, QColor(c.r, c.g, c.b));
        }
        if (option.state & QStyle::State_Selected) {
            QPen pen(Qt::black, 1, Qt::DotLine);
            p->setPen(pen);
            p->setBrush(Qt::NoBrush);
            p->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
        p->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return QSize(option.rect.width(), 20);
    }
};

QListWidget* colour_list(QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setItemDelegate(new ColourEntryDelegate(list));
    for (int i = 0; i < editor::kColourChoiceCount; ++i) {
        const uint32_t c = editor::kColourChoices[i];
        QString name;
        if (c == editor::kSystemColour) {
            name = QStringLiteral("標準");
        } else {
            const editor::Rgb rgb = editor::colorref_rgb(c);
            name = QStringLiteral("%1,%2,%3").arg(rgb.r).arg(rgb.g).arg(rgb.b);
        }
        auto* item = new QListWidgetItem(name, list);
        item->setData(kChoiceRole, c);
    }
    return list;
}

QLabel* buddy_label(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    buddy->setAccessibleName(text);
    return label;
}

}  // namespace

void ColourSample::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(colours_.background.r, colours_.background.g, colours_.background.b));
    p.setPen(QColor(colours_.text.r, colours_.text.g, colours_.text.b));
    p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("Sample"));
}

ColourDialog::ColourDialog(QWidget* parent, const editor::ColourArray& text,
                           const editor::ColourArray& background)
    : QDialog(parent), editor_(text, background) {
    setFont(ui::dialog_font());
    setWindowTitle(QStringLiteral("色設定"));
    auto* grid = new QGridLayout(this);
    classes_ = new QListWidget(this);
    for (const char* label : editor::kColourClassLabels) classes_->addItem(QString::fromUtf8(label));
    text_ = colour_list(this);
    background_ = colour_list(this);
    grid->addWidget(buddy_label(QStringLiteral("KeyWord(&K)："), classes_, this), 0, 0);
    grid->addWidget(classes_, 1, 0, 3, 1);
    grid->addWidget(buddy_label(QStringLiteral("前景(&O)："), text_, this), 0, 1);
    grid->addWidget(text_, 1, 1);
    grid->addWidget(buddy_label(QStringLiteral("背景(&B)："), background_, this), 0, 2);
    grid->addWidget(background_, 1, 2);
    auto* sample_box = new QGroupBox(QStringLiteral("ｻﾝﾌﾟﾙ"), this);
    auto* sample_layout = new QVBoxLayout(sample_box);
    sample_ = new ColourSample(sample_box);
    sample_->setMinimumSize(120, 40);
    sample_->setAccessibleName(QStringLiteral("ｻﾝﾌﾟﾙ"));
    sample_layout->addWidget(sample_);
    grid->addWidget(sample_box, 2, 1, 1, 2);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    grid->addWidget(buttons, 3, 1, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(classes_, &QListWidget::currentRowChanged, this, &ColourDialog::show_class);
    connect(text_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (updating_ || row < 0) return;
        editor_.choose_text(row);
        show_class(editor_.current_class());
    });
    connect(background_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (updating_ || row < 0) return;
        editor_.choose_background(row);
        show_class(editor_.current_class());
    });
    classes_->setCurrentRow(0);
    show_class(0);
}

void ColourDialog::show_class(int row) {
    if (row < 0) return;
    updating_ = true;
    editor_.select_class(row);
    // A colour the lists do not offer shows no entry and is kept as it is.
    text_->setCurrentRow(editor_.text_choice().value_or(-1));
    background_->setCurrentRow(editor_.background_choice().value_or(-1));
    updating_ = false;
    const editor::SystemColours system = system_colours();
    sample_->set_colours({editor::resolve_text(editor_.text(row), system),
                          editor::resolve_background(editor_.background(row), system)});
}

bool run_colour_dialog(QWidget* parent, editor::ColourArray& text, editor::ColourArray& background) {
    ColourDialog dialog(parent, text, background);
    if (dialog.exec() != QDialog::Accepted) return false;
    text = dialog.working().texts();
    background = dialog.working().backgrounds();
    return true;
}

}  // namespace lumora::editview
