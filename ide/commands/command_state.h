#pragma once
// Which IDE commands are enabled, checked and how they read, as one pure
// function of what the IDE is doing. The main frame asks it before a menu is
// shown and after every change of state; nothing else decides enabling.

#include <string>

#include "ide/commands/command_id.h"

namespace lumora::ide {

// The one long-running activity the IDE allows at a time. Each of them pumps
// window events while it waits, so without this a second one could start
// from a menu and two users would share one port or one project.
enum class BusyKind { none, build, compile, serial, find };

// What the active editor window reports (plain copy of its state).
struct EditorFacts {
    bool has_selection = false;
    bool can_undo = false;
    bool can_redo = false;
    bool can_paste = false;
    bool modified = false;
    bool has_path = false;
    bool overwrite = false;
    int line_ending_mode = 0;  // 0 CR LF, 1 LF, 2 CR
    int text_type = 1;         // 0 C/C++, 1 text, 2 MML
};

struct CommandContext {
    bool project_open = false;
    BusyKind busy = BusyKind::none;
    bool tool_running = false;  // a tool process is held
    bool editor_active = false;
    EditorFacts editor;
    bool tree_focus = false;          // the project tree has the focus
    bool tree_file_selected = false;  // ...and a file item (not a list heading) is selected
    bool has_messages = false;        // the output list holds at least one line
    bool recent_projects = false;
    bool recent_files = false;
    bool project_pane_visible = true;
    bool output_pane_visible = true;
    bool tool_bar_visible = true;
    bool status_bar_visible = true;
    bool keywords_cpp = true;
    bool keywords_lumora = true;
    int tab_length = 4;
};

struct CommandState {
    bool enabled = false;
    bool checked = false;
    std::string text;  // UTF-8 menu text with its access key; empty for commands without a menu item
};

CommandState command_state(CommandId id, const CommandContext& context);

// Commands whose menu item carries a check mark (or a radio mark).
bool is_checkable(CommandId id);

// True while `busy` forbids starting another long activity, closing or
// replacing the project, clearing the output, or quitting.
inline bool is_busy(BusyKind busy) {
    return busy != BusyKind::none;
}

}  // namespace lumora::ide
