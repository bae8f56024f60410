#include "ui/message_box.h"

#include <QMessageBox>
#include <QPushButton>

namespace lumora::ui {
namespace {

QtMessageBoxes& default_boxes() {
    static QtMessageBoxes boxes;
    return boxes;
}

MessageBoxes* current = nullptr;

QMessageBox::Icon qt_icon(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::information:
            return QMessageBox::Information;
        case BoxIcon::warning:
            return QMessageBox::Warning;
        case BoxIcon::error:
            return QMessageBox::Critical;
        case BoxIcon::question:
            return QMessageBox::Question;
        case BoxIcon::none:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonChoice {
    QMessageBox::StandardButton button;
    BoxAnswer answer;
};

std::vector<ButtonChoice> buttons_of(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::ok:
            return {{QMessageBox::Ok, BoxAnswer::ok}};
        case BoxButtons::ok_cancel:
            return {{QMessageBox::Ok, BoxAnswer::ok}, {QMessageBox::Cancel, BoxAnswer::cancel}};
        case BoxButtons::yes_no:
            return {{QMessageBox::Yes, BoxAnswer::yes}, {QMessageBox::No, BoxAnswer::no}};
        case BoxButtons::yes_no_cancel:
            return {{QMessageBox::Yes, BoxAnswer::yes},
                    {QMessageBox::No, BoxAnswer::no},
                    {QMessageBox::Cancel, BoxAnswer::cancel}};
        case BoxButtons::retry_cancel:
            return {{QMessageBox::Retry, BoxAnswer::retry}, {QMessageBox::Cancel, BoxAnswer::cancel}};
    }
    return {{QMessageBox::Ok, BoxAnswer::ok}};
}

}  // namespace

MessageBoxes::~MessageBoxes() = default;

BoxAnswer QtMessageBoxes::show(QWidget* parent, const Box& box) {
    QMessageBox message(qt_icon(box.icon), box.caption, box.text, QMessageBox::NoButton, parent);
    const auto choices = buttons_of(box.buttons);
    QMessageBox::StandardButtons set;
    for (const auto& c : choices) set |= c.button;
    message.setStandardButtons(set);
    const BoxAnswer wanted_default = box.default_answer.value_or(choices.front().answer);
    for (const auto& c : choices) {
        if (c.answer == wanted_default) message.setDefaultButton(c.button);
    }
    // Escape and the close button answer as a dismissed box does.
    const BoxAnswer on_escape = dismissed_answer(box.buttons);
    for (const auto& c : choices) {
        if (c.answer == on_escape) message.setEscapeButton(c.button);
    }
    const int clicked = message.exec();
    for (const auto& c : choices) {
        if (clicked == c.button) return c.answer;
    }
    return on_escape;
}

BoxAnswer dismissed_answer(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::ok:
            return BoxAnswer::ok;
        case BoxButtons::yes_no:
            return BoxAnswer::no;
        case BoxButtons::ok_cancel:
        case BoxButtons::yes_no_cancel:
        case BoxButtons::retry_cancel:
            return BoxAnswer::cancel;
    }
    return BoxAnswer::cancel;
}

BoxAnswer show_box(QWidget* parent, const Box& box) {
    MessageBoxes& boxes = current ? *current : default_boxes();
    return boxes.show(parent, box);
}

ScopedMessageBoxes::ScopedMessageBoxes(MessageBoxes& boxes) : previous_(current) {
    current = &boxes;
}

ScopedMessageBoxes::~ScopedMessageBoxes() {
    current = previous_;
}

}  // namespace lumora::ui
