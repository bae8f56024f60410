#pragma once
// The content of one editor window: a view of a document, wired to the
// frame through the edit seam (status bar, title, enable state, jumps) and
// carrying out the editor commands the frame routes to it.

#include <QWidget>

#include "ide/window/edit_seam.h"

namespace lumora::editview {

class CTextEditView;
class EditEnvironment;

class EditChildWidget : public QWidget, public ide::EditChild {
    Q_OBJECT
  public:
    EditChildWidget(editor::DocumentSet& documents, editor::CTextDoc& document, ide::EditHost& host,
                    EditEnvironment& environment, QWidget* parent);
    ~EditChildWidget() override;

    editor::CTextDoc& document() override { return doc_; }
    ide::EditState state() const override;
    bool execute(ide::EditCommand command) override;
    void go_to_line(int line) override;
    bool find_word_from_top(const std::string& text) override;
    bool query_close() override;
    QWidget* widget() override { return this; }
    void focus_view() override;
    std::string initial_find_text() const override;
    void settings_changed() override;
    QString title() const override;

    CTextEditView& view() { return *view_; }

  private:
    void refresh_title();
    editor::CTextDoc& doc_;
    ide::EditHost& host_;
    EditEnvironment& env_;
    CTextEditView* view_;
};

// The environment every editor window of the application shares, kept in
// step with the host's settings.
EditEnvironment& shared_environment(ide::EditHost& host);

}  // namespace lumora::editview
