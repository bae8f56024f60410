#pragma once
// Pieces every dialog of the IDE is built from: the dialog font, labelled
// fields whose labels are their buddies (keyboard and screen readers reach
// them by the label's text), OK/Cancel, and warning boxes.

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <functional>
#include <optional>

class QDialog;

namespace lumora::ide {

// A browse button's action: the chosen folder, or nothing when cancelled.
using BrowseFolder = std::function<std::optional<QString>(QWidget* parent, const QString& start)>;

void prepare_dialog(QDialog& dialog, const QString& title, const char* object_name);
// A row "label  [field]" (and an optional browse button "参照") in `grid`.
QLineEdit* add_field(QGridLayout* grid, int row, const QString& label, const char* object_name,
                     QPushButton** browse = nullptr);
// "OK" and "ｷｬﾝｾﾙ" wired to accept() and reject().
QDialogButtonBox* add_ok_cancel(QDialog& dialog);
// An exclamation box; the dialog stays open after it.
void warn(QWidget* parent, const QString& caption, const QString& text);

}  // namespace lumora::ide
