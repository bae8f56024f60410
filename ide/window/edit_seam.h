#pragma once
// Where the main frame and the edit view meet. The frame owns the menus, the
// keys, the MDI area and the busy state; an edit child owns one view of a
// text document. The frame asks the active child for its state (to enable
// and check menu items) and hands it the editor commands to execute; the
// child reports back through the host.

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "ide/commands/command_id.h"
#include "ide/commands/command_state.h"

class QWidget;

namespace lumora::editor {
class CTextDoc;
class DocumentSet;
class KeywordDatabase;
struct SearchSettings;
}  // namespace lumora::editor

namespace lumora::ide {

struct Settings;

// The editor commands the frame routes to the active child. The names follow
// the command ids of the menus (ide/commands/command_id.h); execute() gets
// exactly these.
enum class EditCommand {
    undo,
    redo,
    cut,
    copy,
    paste,
    delete_selection,
    upper_case,
    lower_case,
    toggle_overwrite,
    line_ending_crlf,
    line_ending_lf,
    line_ending_cr,
    find,
    find_next,
    find_previous,
    replace,
    jump,
    bookmark_toggle,
    bookmark_next,
    bookmark_previous,
    bracket_forward,
    bracket_backward,
    keyword_jump,
    text_type_c,
    text_type_text,
    save,
    save_as,
};

// The editor command a menu command stands for, if it is one.
bool edit_command_for(CommandId id, EditCommand* out);

// What the command-state table needs from the active child, plus the caret
// for the status bar.
struct EditState {
    bool has_selection = false;
    bool can_undo = false;
    bool can_redo = false;
    bool can_paste = false;  // the clipboard holds text
    bool modified = false;
    bool has_path = false;
    bool overwrite = false;
    int line = 0;              // 0-based caret line
    int column = 0;            // 0-based display column
    int line_ending_mode = 0;  // 0 CR LF, 1 LF, 2 CR
    int text_type = 1;         // this view's text type: 0 C/C++, 1 text, 2 MML

    EditorFacts facts() const {
        EditorFacts f;
        f.has_selection = has_selection;
        f.can_undo = can_undo;
        f.can_redo = can_redo;
        f.can_paste = can_paste;
        f.modified = modified;
        f.has_path = has_path;
        f.overwrite = overwrite;
        f.line_ending_mode = line_ending_mode;
        f.text_type = text_type;
        return f;
    }
};

class EditChild;

// The frame's side, given to every child.
class EditHost {
  public:
    virtual ~EditHost() = default;

    // Status bar panes: "%3d行" / "%3d桁" (1-based on screen; give 0-based
    // values here) and the overwrite indicator "上書".
    virtual void set_status_position(int line, int column) = 0;
    virtual void set_status_overwrite(bool overwrite) = 0;
    // Anything that may change enable rules, check marks or the window title
    // (selection, undo state, modified flag, path after Save As...).
    virtual void state_changed(EditChild& child) = 0;

    // Opens (or activates) the editor window of `path` and puts the caret on
    // `line` (1-based). Without a line (0 or less) a non-empty `find_text`
    // (Shift-JIS) is searched from the top instead. Used by F12 (the header
    // line of a keyword, or the keyword itself) and by find results.
    virtual bool open_file_at(const std::string& path, int line, const std::string& find_text) = 0;

    // Application-wide state the view reads: colours, tab length, keyword
    // switches, the folders (F12 looks in the platform folder).
    virtual const Settings& settings() const = 0;
    virtual const editor::KeywordDatabase* keywords() const = 0;
    // Find texts, options and histories, shared by every view and dialog.
    virtual editor::SearchSettings& search_settings() = 0;

    // The one busy state of the IDE. A child that starts a long job which
    // pumps events (none of the view's commands do today) takes it first;
    // false means something else runs and the job must not start.
    virtual bool try_begin_busy(BusyKind kind) = 0;
    virtual void end_busy() = 0;
    virtual bool cancel_requested() const = 0;
};

// One editor window's content (the view and its document commands). The
// frame owns the child and puts widget() into an MDI sub-window; when the
// window closes, the frame takes the widget out of it again and then deletes
// the child, which deletes its widget (or is that widget).
class EditChild {
  public:
    virtual ~EditChild() = default;

    virtual editor::CTextDoc& document() = 0;
    virtual EditState state() const = 0;
    // Runs an editor command on this view; false when it did nothing.
    virtual bool execute(EditCommand command) = 0;
    // Caret to `line` (1-based), placed so the following lines show below it.
    virtual void go_to_line(int line) = 0;
    // Searches `text` (Shift-JIS) forward from the first line, whole word and
    // matching case, and selects the first match; false when there is none.
    // The find settings the user set are left as they are.
    virtual bool find_word_from_top(const std::string& text) = 0;
    // Called before the last window of a modified document closes: asks
    // Yes/No/Cancel and saves on Yes. False keeps the window open.
    virtual bool query_close() = 0;
    virtual QWidget* widget() = 0;
    virtual void focus_view() = 0;
    // The text a find dialog starts with (selection or word at the caret),
    // Shift-JIS; empty when there is none.
    virtual std::string initial_find_text() const = 0;
    // Colours, tab length or keyword switches changed: redraw.
    virtual void settings_changed() = 0;
    // Window title: the document's title (" *" while modified).
    virtual QString title() const = 0;
};

// --- implemented by the edit view library ---------------------------------
// The edit view library marks its target once it defines all three:
//   set_property(TARGET ide_editview PROPERTY KELVANE_EDIT_SEAM ON)
// Until then the frame builds a read-only stand-in in their place.

std::unique_ptr<EditChild> create_edit_child(editor::DocumentSet& documents, editor::CTextDoc& document,
                                             EditHost& host, QWidget* parent);

// "色設定(&C)...": the colour dialog over `settings`' colours. True when
// colours were changed (the frame then redraws every child).
bool edit_colour_settings(QWidget* parent, Settings& settings);

// The dialog "ﾌﾟﾛｼﾞｪｸﾄから検索", starting with `initial` (Shift-JIS) or the
// stored find text. On OK the settings hold the text and options and true is
// returned; the frame then runs the search.
bool ask_find_in_project(QWidget* parent, editor::SearchSettings& settings, const std::string& initial);

// At start-up: offers back the unsaved text a crashed or killed session left
// behind; each restored document is handed to `open_window`. Returns how
// many were restored.
int offer_unsaved_documents(QWidget* parent, editor::DocumentSet& documents,
                            const std::function<void(editor::CTextDoc&)>& open_window);

}  // namespace lumora::ide
