#include "ide/editview/document_commands.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputMethod>

#include "ide/editview/text_edit_view.h"
#include "ui/file_filter.h"
#include "ui/message_box.h"

namespace lumora::editview {

namespace {

SavePathChooser& chooser() {
    static SavePathChooser c;
    return c;
}

std::string& temp_folder() {
    static std::string folder;
    return folder;
}

QString file_dialog(QWidget* parent, const QString& initial) {
    // The overwrite question is ours (a message box like every other), so
    // the dialog does not ask its own.
    return QFileDialog::getSaveFileName(parent, QString(), initial,
                                        ui::dialog_filter(QStringLiteral("All Files (*.*)|*.*||")), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

bool ask_yes_no(QWidget* parent, const QString& text) {
    ui::Box box{box_caption(), text, ui::BoxIcon::question, ui::BoxButtons::yes_no, {}};
    return ui::show_box(parent, box) == ui::BoxAnswer::yes;
}

// Input method off while a file dialog is open, back as it was afterwards.
class InputMethodOff {
  public:
    explicit InputMethodOff(QWidget* view) : view_(view) {
        if (!view_) return;
        was_on_ = view_->testAttribute(Qt::WA_InputMethodEnabled);
        view_->setAttribute(Qt::WA_InputMethodEnabled, false);
        QGuiApplication::inputMethod()->update(Qt::ImEnabled);
    }
    ~InputMethodOff() {
        if (!view_) return;
        view_->setAttribute(Qt::WA_InputMethodEnabled, was_on_);
        QGuiApplication::inputMethod()->update(Qt::ImEnabled);
    }

  private:
    QWidget* view_;
    bool was_on_ = false;
};

}  // namespace

void set_save_path_chooser(SavePathChooser c) {
    chooser() = std::move(c);
}

void set_save_temp_folder(const std::string& folder) {
    temp_folder() = folder;
}

QString box_caption() {
    return QStringLiteral("Kelvane");
}

QString document_path(const editor::CTextDoc& doc) {
    return QFile::decodeName(QByteArray::fromStdString(doc.path()));
}

std::string to_document_path(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

editor::SaveResult save_document(QWidget* parent, editor::CTextDoc& doc, CTextEditView* view) {
    if (doc.path().empty()) return save_document_as(parent, doc, view);
    editor::SaveCallbacks callbacks;
    callbacks.ask_yes_no = [parent](const std::string& q) {
        return ask_yes_no(parent, QString::fromStdString(q));
    };
    callbacks.show_error = [parent](const std::string& m) {
        ui::show_box(parent,
                     {box_caption(), QString::fromStdString(m), ui::BoxIcon::error, ui::BoxButtons::ok, {}});
    };
    editor::SaveOptions options;
    options.temp_folder = temp_folder();
    return doc.save(callbacks, options, view ? &view->controller() : nullptr);
}

editor::SaveResult save_document_as(QWidget* parent, editor::CTextDoc& doc, CTextEditView* view) {
    QString name;
    {
        InputMethodOff off(view);
        name = chooser() ? chooser()(parent, document_path(doc)) : file_dialog(parent, document_path(doc));
    }
    if (name.isEmpty()) return editor::SaveResult::kCancelled;
    if (QFileInfo::exists(name) &&
        !ask_yes_no(parent, QStringLiteral("%1 は既に存在します。\n上書きしますか?").arg(name)))
        return editor::SaveResult::kCancelled;
    // The name is kept only when the save went through, so a failure leaves
    // the document as it was (and its old path still works for Save).
    const std::string old_path = doc.path();
    doc.set_path(to_document_path(name));
    const editor::SaveResult result = save_document(parent, doc, view);
    if (result != editor::SaveResult::kSaved) doc.set_path(old_path);
    return result;
}

bool query_close_document(QWidget* parent, editor::CTextDoc& doc, CTextEditView* view) {
    if (!doc.modified()) return true;
    const QString name =
        doc.path().empty() ? QStringLiteral("無題") : QFileInfo(document_path(doc)).fileName();
    ui::Box box{box_caption(),
                QStringLiteral("%1 への変更を保存しますか?").arg(name),
                ui::BoxIcon::warning,
                ui::BoxButtons::yes_no_cancel,
                {}};
    switch (ui::show_box(parent, box)) {
        case ui::BoxAnswer::yes:
            return save_document(parent, doc, view) == editor::SaveResult::kSaved;
        case ui::BoxAnswer::no:
            return true;
        default:
            return false;
    }
}

}  // namespace lumora::editview
