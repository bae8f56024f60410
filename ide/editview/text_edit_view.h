#pragma once
// The edit view: a document on fixed character cells with colour runs,
// selection, bookmarks and an end-of-line mark; keys, mouse, wheel and input
// methods go to the editor's controller, and the view scrolls in whole cells
// so the caret stays in sight. Several views of one document each keep their
// own caret, selection, scroll position, overwrite mode and text type.

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QString>
#include <array>
#include <string>
#include <vector>

#include "ide/editor/edit_controller.h"
#include "ide/editor/scroll_model.h"
#include "ide/editor/text_doc.h"

namespace lumora::editview {

class EditEnvironment;

// Commands a key asks for that need a dialog or the window around the view.
enum class ViewRequest { find_dialog, replace_dialog, jump_dialog };

class CTextEditView : public QAbstractScrollArea, private editor::TextDocObserver {
    Q_OBJECT
  public:
    CTextEditView(editor::CTextDoc& doc, EditEnvironment& env, QWidget* parent = nullptr);
    ~CTextEditView() override;

    editor::CTextDoc& document() { return doc_; }
    editor::EditController& controller() { return controller_; }
    const editor::EditController& controller() const { return controller_; }
    EditEnvironment& environment() { return env_; }

    int text_type() const { return text_type_; }
    void set_text_type(int type);
    bool overwrite() const { return controller_.overwrite(); }

    // Commands of the Edit menu and the keys.
    void copy();
    void cut();
    void paste();
    bool can_paste() const;
    void delete_command();
    void undo();
    void redo();
    void select_all();
    void convert_case(bool upper);
    void toggle_overwrite();
    // F3 / Shift+F3 with the stored search settings.
    bool find_again(bool forward);
    void toggle_bookmark();
    void go_to_bookmark(bool forward);
    void clear_bookmarks();
    void match_bracket(bool forward);
    // F12: the selection or the word at the caret, looked up in the keyword
    // database; emits keyword_jump when the keyword names a header line.
    void keyword_jump_command();
    // Line `n` (1-based), brought near the middle of the window.
    void go_to_line(int n);
    // Whole word, matching case, from the first line; selects the match.
    bool find_word_from_top(const std::string& text);

    // Runs an action on the controller and then places the caret (scrolls it
    // into view, redraws what changed, tells the status bar).
    template <typename F>
    void act(F&& f) {
        begin_action();
        f(controller_);
        end_action();
    }

    // Geometry in viewport pixels.
    editor::CaretPos cell_at(QPoint viewport_point) const;
    QRect cell_rect(editor::CaretPos cell) const;
    QRect caret_rect() const;
    const editor::ScrollAxis& vertical_axis() const { return v_; }
    const editor::ScrollAxis& horizontal_axis() const { return h_; }
    QString preedit() const { return preedit_; }
    int preedit_cursor() const { return preedit_cursor_; }
    bool caret_shown() const { return caret_on_; }

    // Status texts "%3d行" and "%3d桁".
    QString line_status() const;
    QString column_status() const;

    // Input-method questions (also answered for tests without an input method).
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

  signals:
    void caret_moved(int line, int column);
    void overwrite_changed(bool on);
    // Modified flag, undo/redo, selection or text type may have changed.
    void state_changed();
    void keyword_jump(const QString& path, int line, const QString& keyword);
    void request(lumora::editview::ViewRequest what);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool) override { return false; }  // Tab is a key of the editor

  private:
    void on_document_update(const void* sender, int hint, const editor::CTextInvalidateRange* range) override;
    void begin_action();
    void end_action();
    void update_geometry();
    void sync_bars();
    bool keep_caret_visible();
    void redraw_lines(int first, int end);
    void restart_blink();
    void caret_placed();
    void paint_line(QPainter& p, int line, int& state, int first_x, const QRect& area, bool compose);
    void paint_preedit(QPainter& p);
    // Glyphs of one paint, by colour class, drawn as one run each.
    struct GlyphBucket {
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    std::array<GlyphBucket, 15> buckets_;
    // The picture one line of text is composed in.
    QImage line_image_;

    editor::CTextDoc& doc_;
    EditEnvironment& env_;
    editor::EditController controller_;
    int text_type_;
    editor::ScrollAxis h_;
    editor::ScrollAxis v_;
    bool syncing_bars_ = false;
    bool dragging_ = false;
    int wheel_rest_x_ = 0;
    int wheel_rest_y_ = 0;
    QBasicTimer blink_;
    bool caret_on_ = false;
    QString preedit_;
    int preedit_cursor_ = -1;              // in UTF-16 units; -1: hidden
    std::vector<bool> preedit_highlight_;  // per UTF-16 unit: the clause being converted
    // Before an action: caret and anchor, to redraw what changed.
    editor::CaretPos before_caret_;
    editor::CaretPos before_anchor_;
    int before_lines_ = 0;
    bool overwrite_before_ = false;
};

}  // namespace lumora::editview
