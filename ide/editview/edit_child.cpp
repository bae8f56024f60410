#include "ide/editview/edit_child.h"

#include <QFile>
#include <QVBoxLayout>

#include "ide/app/settings.h"
#include "ide/editor/document_set.h"
#include "ide/editview/clipboard_text.h"
#include "ide/editview/colour_dialog.h"
#include "ide/editview/document_commands.h"
#include "ide/editview/edit_environment.h"
#include "ide/editview/find_dialog.h"
#include "ide/editview/jump_dialog.h"
#include "ide/editview/recovery.h"
#include "ide/editview/replace_dialog.h"
#include "ide/editview/text_edit_view.h"
#include "ui/sjis_text.h"

namespace lumora::editview {

namespace {

void apply_settings(EditEnvironment& env, ide::EditHost& host) {
    const ide::Settings& s = host.settings();
    env.set_colours(s.text_colours, s.background_colours);
    env.set_keywords(host.keywords());
    env.set_search(host.search_settings());
    env.set_platform_folder(s.platform_folder);
}

}  // namespace

EditEnvironment& shared_environment(ide::EditHost& host) {
    static EditEnvironment* env = nullptr;
    if (!env) env = new EditEnvironment;
    apply_settings(*env, host);
    return *env;
}

EditChildWidget::EditChildWidget(editor::DocumentSet&, editor::CTextDoc& document, ide::EditHost& host,
                                 EditEnvironment& environment, QWidget* parent)
    : QWidget(parent), doc_(document), host_(host), env_(environment) {
    setObjectName(QStringLiteral("Kelvane_ChildFrameClass"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new CTextEditView(document, environment, this);
    layout->addWidget(view_);
    setFocusProxy(view_);
    connect(view_, &CTextEditView::caret_moved, this,
            [this](int line, int column) { host_.set_status_position(line, column); });
    connect(view_, &CTextEditView::overwrite_changed, this,
            [this](bool on) { host_.set_status_overwrite(on); });
    connect(view_, &CTextEditView::state_changed, this, [this] {
        refresh_title();
        host_.state_changed(*this);
    });
    connect(view_, &CTextEditView::keyword_jump, this,
            [this](const QString& path, int line, const QString& word) {
                host_.open_file_at(to_document_path(path), line > 0 ? line : 0, ui::to_sjis(word));
            });
    connect(view_, &CTextEditView::request, this, [this](ViewRequest what) {
        switch (what) {
            case ViewRequest::find_dialog:
                execute(ide::EditCommand::find);
                break;
            case ViewRequest::replace_dialog:
                execute(ide::EditCommand::replace);
                break;
            case ViewRequest::jump_dialog:
                execute(ide::EditCommand::jump);
                break;
        }
    });
    RecoveryKeeper::instance().attach(doc_);
    refresh_title();
}

EditChildWidget::~EditChildWidget() {
    RecoveryKeeper::instance().detach(doc_);
}

ide::EditState EditChildWidget::state() const {
    ide::EditState s;
    const editor::EditController& c = view_->controller();
    s.has_selection = c.has_selection();
    s.can_undo = doc_.can_undo();
    s.can_redo = doc_.can_redo();
    s.can_paste = clipboard_has_text();
    s.modified = doc_.modified();
    s.has_path = !doc_.path().empty();
    s.overwrite = c.overwrite();
    s.line = c.caret().line;
    s.column = c.caret().column;
    s.line_ending_mode = doc_.line_ending_mode();
    s.text_type = view_->text_type();
    return s;
}

bool EditChildWidget::execute(ide::EditCommand command) {
    using C = ide::EditCommand;
    CTextEditView& v = *view_;
    const bool selection = v.controller().has_selection();
    switch (command) {
        case C::undo:
            if (!doc_.can_undo()) return false;
            v.undo();
            return true;
        case C::redo:
            if (!doc_.can_redo()) return false;
            v.redo();
            return true;
        case C::cut:
            if (!selection) return false;
            v.cut();
            return true;
        case C::copy:
            v.copy();
            return true;
        case C::paste:
            if (!v.can_paste()) return false;
            v.paste();
            return true;
        case C::delete_selection:
            v.delete_command();
            return true;
        case C::upper_case:
        case C::lower_case:
            if (!selection) return false;
            v.convert_case(command == C::upper_case);
            return true;
        case C::toggle_overwrite:
            v.toggle_overwrite();
            return true;
        case C::line_ending_crlf:
        case C::line_ending_lf:
        case C::line_ending_cr: {
            const int mode = command == C::line_ending_crlf ? 0 : command == C::line_ending_lf ? 1 : 2;
            if (mode == doc_.line_ending_mode()) return false;
            doc_.set_line_ending_mode(mode, &v.controller());
            return true;
        }
        case C::find:
            run_find_dialog(v);
            return true;
        case C::find_next:
        case C::find_previous:
            return v.find_again(command == C::find_next);
        case C::replace:
            run_replace_dialog(v);
            return true;
        case C::jump:
            run_jump_dialog(v);
            return true;
        case C::bookmark_toggle:
            v.toggle_bookmark();
            return true;
        case C::bookmark_next:
        case C::bookmark_previous:
            v.go_to_bookmark(command == C::bookmark_next);
            return true;
        case C::bracket_forward:
        case C::bracket_backward:
            v.match_bracket(command == C::bracket_forward);
            return true;
        case C::keyword_jump:
            v.keyword_jump_command();
            return true;
        case C::text_type_c:
            v.set_text_type(editor::kTypeC);
            return true;
        case C::text_type_text:
            v.set_text_type(editor::kTypeText);
            return true;
        case C::save: {
            const bool saved = save_document(this, doc_, &v) == editor::SaveResult::kSaved;
            refresh_title();
            host_.state_changed(*this);
            return saved;
        }
        case C::save_as: {
            const bool saved = save_document_as(this, doc_, &v) == editor::SaveResult::kSaved;
            refresh_title();
            host_.state_changed(*this);
            return saved;
        }
    }
    return false;
}

bool EditChildWidget::find_word_from_top(const std::string& text) {
    return view_->find_word_from_top(text);
}

void EditChildWidget::go_to_line(int line) {
    view_->go_to_line(line < 1 ? 1 : line);
}

bool EditChildWidget::query_close() {
    return query_close_document(this, doc_, view_);
}

void EditChildWidget::focus_view() {
    view_->setFocus(Qt::OtherFocusReason);
}

std::string EditChildWidget::initial_find_text() const {
    return view_->controller().word_at_caret();
}

void EditChildWidget::settings_changed() {
    apply_settings(env_, host_);
    view_->viewport()->update();
}

QString EditChildWidget::title() const {
    // A document never saved has no path to show; it gets a name instead of
    // an empty caption.
    if (doc_.path().empty()) return doc_.modified() ? QStringLiteral("無題 *") : QStringLiteral("無題");
    return QFile::decodeName(QByteArray::fromStdString(doc_.title()));
}

void EditChildWidget::refresh_title() {
    const QString t = title();
    if (windowTitle() != t) setWindowTitle(t);
}

}  // namespace lumora::editview

namespace lumora::ide {

std::unique_ptr<EditChild> create_edit_child(editor::DocumentSet& documents, editor::CTextDoc& document,
                                             EditHost& host, QWidget* parent) {
    return std::make_unique<editview::EditChildWidget>(documents, document, host,
                                                       editview::shared_environment(host), parent);
}

int offer_unsaved_documents(QWidget* parent, editor::DocumentSet& documents,
                            const std::function<void(editor::CTextDoc&)>& open_window) {
    return editview::offer_recovered_documents(parent, documents, open_window);
}

bool edit_colour_settings(QWidget* parent, Settings& settings) {
    return editview::run_colour_dialog(parent, settings.text_colours, settings.background_colours);
}

bool ask_find_in_project(QWidget* parent, editor::SearchSettings& settings, const std::string& initial) {
    editview::FindDialog dialog(parent, settings, initial, editview::FindDialog::Mode::project);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace lumora::ide
