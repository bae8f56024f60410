#pragma once
// The window side of saving and closing a document: the save questions and
// the failure box, Save As with its own overwrite question, and the
// Yes/No/Cancel question before a modified document is closed. Every box
// goes through ui::show_box.

#include <QString>
#include <functional>

#include "ide/editor/text_doc.h"

class QWidget;

namespace lumora::editview {

class CTextEditView;

// Asks for the Save As file name (empty: cancelled). The file dialog by
// default; tests put their own in.
using SavePathChooser = std::function<QString(QWidget* parent, const QString& initial)>;
void set_save_path_chooser(SavePathChooser chooser);

// The folder of the safety copy (empty: the system's temporary folder).
void set_save_temp_folder(const std::string& folder);

// Save: a document without a path goes to Save As.
editor::SaveResult save_document(QWidget* parent, editor::CTextDoc& doc, CTextEditView* view = nullptr);
// Save As: the file name, the overwrite question for an existing file, then
// Save. The view's input method is off while the dialog is open.
editor::SaveResult save_document_as(QWidget* parent, editor::CTextDoc& doc, CTextEditView* view = nullptr);
// Before a modified document closes: Yes saves (a failed or cancelled save
// keeps it open), No discards, Cancel keeps it open. True: it may close.
bool query_close_document(QWidget* parent, editor::CTextDoc& doc, CTextEditView* view = nullptr);

// Host path <-> the document's path bytes.
QString document_path(const editor::CTextDoc& doc);
std::string to_document_path(const QString& path);

// Caption of the IDE's message boxes.
QString box_caption();

}  // namespace lumora::editview
