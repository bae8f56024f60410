#include "message_window.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "ui/cell_font.h"

namespace lumora::lml {

MessageWindow::MessageWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QString::fromUtf8("LML メッセージウィンド"));
    setObjectName("messageWindow");
    box_ = new QPlainTextEdit(this);
    box_->setObjectName("messageText");
    box_->setReadOnly(true);
    box_->setAccessibleName(windowTitle());
    box_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box_);
}

void MessageWindow::set_text(const std::string& text_with_crlf) {
    QString text = QString::fromStdString(text_with_crlf);
    text.replace("\r\n", "\n");
    box_->setPlainText(text);
    box_->verticalScrollBar()->setValue(box_->verticalScrollBar()->maximum());
}

QString MessageWindow::text() const {
    return box_->toPlainText();
}

void MessageWindow::set_point_size(int points) {
    QFont font = ui::dialog_font();
    font.setPointSize(points);
    box_->setFont(font);
}

void MessageWindow::show_normal() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    setAttribute(Qt::WA_ShowWithoutActivating);
    show();
}

void MessageWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) emit activated();
}

}  // namespace lumora::lml
