// A read-only editor window the frame uses while the edit view library is
// not built into the program: it shows a document, goes to lines and saves,
// and does none of the editing commands.

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QVBoxLayout>

#include "ide/app/settings.h"
#include "ide/editor/search.h"
#include "ide/editor/text_doc.h"
#include "ide/window/dialog_parts.h"
#include "ide/window/edit_seam.h"
#include "ui/cell_font.h"
#include "ui/message_box.h"
#include "ui/sjis_text.h"

namespace lumora::ide {

namespace {

class StandInChild : public EditChild {
  public:
    StandInChild(editor::CTextDoc& doc, EditHost& host) : doc_(doc), host_(host) {
        view_ = new QPlainTextEdit;
        view_->setObjectName("stand_in_view");
        view_->setReadOnly(true);
        view_->setFont(ui::fixed_cell_font(14));
        view_->setLineWrapMode(QPlainTextEdit::NoWrap);
        view_->setPlainText(ui::from_sjis(doc_.joined_text("\n")));
        QObject::connect(view_, &QPlainTextEdit::cursorPositionChanged, view_, [this] {
            const QTextCursor c = view_->textCursor();
            host_.set_status_position(c.blockNumber(), c.positionInBlock());
        });
    }
    ~StandInChild() override { delete view_; }

    editor::CTextDoc& document() override { return doc_; }
    EditState state() const override {
        EditState s;
        s.modified = doc_.modified();
        s.has_path = !doc_.path().empty();
        const QTextCursor c = view_->textCursor();
        s.line = c.blockNumber();
        s.column = c.positionInBlock();
        s.line_ending_mode = doc_.line_ending_mode();
        s.text_type = doc_.text_type();
        return s;
    }
    bool execute(EditCommand command) override {
        if (command != EditCommand::save || doc_.path().empty()) return false;
        editor::SaveCallbacks callbacks;
        callbacks.ask_yes_no = [this](const std::string& q) {
            return ui::show_box(view_, ui::Box{QStringLiteral("Kelvane"), QString::fromStdString(q),
                                               ui::BoxIcon::question, ui::BoxButtons::yes_no,
                                               std::nullopt}) == ui::BoxAnswer::yes;
        };
        callbacks.show_error = [this](const std::string& m) {
            ui::show_box(view_, ui::Box{QStringLiteral("Kelvane"), QString::fromStdString(m),
                                        ui::BoxIcon::error, ui::BoxButtons::ok, std::nullopt});
        };
        return doc_.save(callbacks) == editor::SaveResult::kSaved;
    }
    void go_to_line(int line) override {
        const QTextBlock block = view_->document()->findBlockByNumber(std::max(0, line - 1));
        QTextCursor c(block);
        view_->setTextCursor(c);
        view_->centerCursor();
    }
    bool find_word_from_top(const std::string& text) override {
        view_->moveCursor(QTextCursor::Start);
        return view_->find(QString::fromStdString(text),
                           QTextDocument::FindWholeWords | QTextDocument::FindCaseSensitively);
    }
    bool query_close() override { return true; }
    QWidget* widget() override { return view_; }
    void focus_view() override { view_->setFocus(); }
    std::string initial_find_text() const override { return ui::to_sjis(view_->textCursor().selectedText()); }
    void settings_changed() override { view_->viewport()->update(); }
    QString title() const override { return QString::fromStdString(doc_.title()); }

  private:
    editor::CTextDoc& doc_;
    EditHost& host_;
    QPlainTextEdit* view_;
};

}  // namespace

std::unique_ptr<EditChild> create_edit_child(editor::DocumentSet&, editor::CTextDoc& document, EditHost& host,
                                             QWidget*) {
    return std::make_unique<StandInChild>(document, host);
}

int offer_unsaved_documents(QWidget*, editor::DocumentSet&, const std::function<void(editor::CTextDoc&)>&) {
    return 0;  // the read-only stand-in keeps no recovery files
}

bool edit_colour_settings(QWidget* parent, Settings&) {
    ui::show_box(parent, ui::Box{QStringLiteral("Kelvane"), QStringLiteral("この版では色設定を使えません。"),
                                 ui::BoxIcon::information, ui::BoxButtons::ok, std::nullopt});
    return false;
}

bool ask_find_in_project(QWidget* parent, editor::SearchSettings& settings, const std::string& initial) {
    QDialog dialog(parent);
    prepare_dialog(dialog, QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄから検索"), "find_in_project_dialog");
    auto* layout = new QVBoxLayout(&dialog);
    auto* grid = new QGridLayout;
    QLineEdit* text = add_field(grid, 0, QStringLiteral("検索文字列(&N)："), "find_text");
    layout->addLayout(grid);
    auto* word = new QCheckBox(QStringLiteral("単語単位で探す(&W)"));
    auto* match = new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"));
    layout->addWidget(word);
    layout->addWidget(match);
    QDialogButtonBox* buttons = add_ok_cancel(dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("検索(&F)"));
    layout->addWidget(buttons);
    text->setText(ui::from_sjis(initial.empty() ? settings.find_text : initial));
    word->setChecked(settings.whole_word);
    match->setChecked(settings.match_case);
    if (dialog.exec() != QDialog::Accepted || text->text().isEmpty()) return false;
    settings.whole_word = word->isChecked();
    settings.match_case = match->isChecked();
    settings.take_over_find(ui::to_sjis(text->text()));
    return true;
}

}  // namespace lumora::ide
