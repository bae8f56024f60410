#include "ide/commands/command_state.h"

#include "ide/commands/menu_layout.h"

namespace lumora::ide {

namespace {

constexpr const char* kFindInProjectStop = "ﾌﾟﾛｼﾞｪｸﾄから検索を中止(&F)";

struct Rule {
    bool enabled = false;
    bool checked = false;
};

Rule rule(CommandId id, const CommandContext& c) {
    const bool idle = !is_busy(c.busy);
    const bool project = c.project_open;
    const bool editor = c.editor_active;
    const EditorFacts& e = c.editor;
    switch (id) {
        // Always available: opening documents and windows does not disturb a
        // running build, which works on files on disk.
        case CommandId::file_new:
        case CommandId::file_open:
        case CommandId::view_project_pane:
        case CommandId::view_output_pane:
        case CommandId::view_tool_bar:
        case CommandId::view_status_bar:
        case CommandId::keywords_cpp:
        case CommandId::keywords_lumora:
        case CommandId::tab_2:
        case CommandId::tab_4:
        case CommandId::tab_8:
        case CommandId::colour_settings:
        case CommandId::environment_settings:
        case CommandId::window_new:
        case CommandId::window_cascade:
        case CommandId::window_tile:
        case CommandId::window_arrange_icons:
        case CommandId::about:
        case CommandId::focus_project:
        case CommandId::focus_editor:
        case CommandId::focus_output:
            break;
        // Quitting is always offered; while busy the frame refuses it (or
        // stops a find in project first) and says why.
        case CommandId::app_exit:
            break;

        // Replacing or closing the project while something works on it.
        case CommandId::project_new:
        case CommandId::project_open:
            return {idle};
        case CommandId::recent_projects:
            return {idle && c.recent_projects};
        case CommandId::recent_files:
            return {c.recent_files};
        case CommandId::project_save:
            return {project};
        case CommandId::project_close:
            return {project && idle};

        // The file lists must not change under a build that walks them.
        case CommandId::project_add_new_file:
        case CommandId::project_add_files:
        case CommandId::project_settings:
            return {project && idle};
        case CommandId::project_edit_file:
            return {project && c.tree_focus};
        case CommandId::project_delete_file:
            return {project && c.tree_focus && idle};

        case CommandId::find_in_project:
            return {project && (idle || c.busy == BusyKind::find)};
        case CommandId::compile:
            return {project && editor && idle};
        case CommandId::build:
        case CommandId::full_build:
        case CommandId::transfer:
        case CommandId::execute:
        case CommandId::transfer_execute:
            return {project && idle};
        case CommandId::cancel_build:
            return {c.tool_running && (c.busy == BusyKind::build || c.busy == BusyKind::compile)};
        case CommandId::next_message:
        case CommandId::previous_message:
            return {project && c.has_messages};

        // The active editor's own commands.
        case CommandId::file_close:
        case CommandId::file_save:
        case CommandId::file_save_as:
        case CommandId::find:
        case CommandId::find_next:
        case CommandId::find_previous:
        case CommandId::replace:
        case CommandId::jump:
        case CommandId::bookmark_toggle:
        case CommandId::bookmark_next:
        case CommandId::bookmark_previous:
        case CommandId::bracket_forward:
        case CommandId::bracket_backward:
        case CommandId::keyword_jump:
            return {editor};
        case CommandId::edit_undo:
            return {editor && e.can_undo};
        case CommandId::edit_redo:
            return {editor && e.can_redo};
        case CommandId::edit_cut:
        case CommandId::edit_copy:
        case CommandId::edit_delete:
        case CommandId::edit_upper_case:
        case CommandId::edit_lower_case:
            return {editor && e.has_selection};
        case CommandId::edit_paste:
            return {editor && e.can_paste};
        case CommandId::edit_overwrite:
            return {editor, editor && e.overwrite};
        case CommandId::line_ending_crlf:
            return {editor, editor && e.line_ending_mode == 0};
        case CommandId::line_ending_lf:
            return {editor, editor && e.line_ending_mode == 1};
        case CommandId::line_ending_cr:
            return {editor, editor && e.line_ending_mode == 2};
        case CommandId::text_type_c:
            return {editor, editor && e.text_type == 0};
        case CommandId::text_type_text:
            return {editor, editor && e.text_type == 1};
    }
    return {true};
}

bool checked_setting(CommandId id, const CommandContext& c) {
    switch (id) {
        case CommandId::view_project_pane:
            return c.project_pane_visible;
        case CommandId::view_output_pane:
            return c.output_pane_visible;
        case CommandId::view_tool_bar:
            return c.tool_bar_visible;
        case CommandId::view_status_bar:
            return c.status_bar_visible;
        case CommandId::keywords_cpp:
            return c.keywords_cpp;
        case CommandId::keywords_lumora:
            return c.keywords_lumora;
        case CommandId::tab_2:
            return c.tab_length == 2;
        case CommandId::tab_4:
            return c.tab_length == 4;
        case CommandId::tab_8:
            return c.tab_length == 8;
        default:
            return false;
    }
}

}  // namespace

bool is_checkable(CommandId id) {
    switch (id) {
        case CommandId::edit_overwrite:
        case CommandId::line_ending_crlf:
        case CommandId::line_ending_lf:
        case CommandId::line_ending_cr:
        case CommandId::text_type_c:
        case CommandId::text_type_text:
        case CommandId::view_project_pane:
        case CommandId::view_output_pane:
        case CommandId::view_tool_bar:
        case CommandId::view_status_bar:
        case CommandId::keywords_cpp:
        case CommandId::keywords_lumora:
        case CommandId::tab_2:
        case CommandId::tab_4:
        case CommandId::tab_8:
            return true;
        default:
            return false;
    }
}

CommandState command_state(CommandId id, const CommandContext& context) {
    const Rule r = rule(id, context);
    CommandState state;
    state.enabled = r.enabled;
    state.checked = r.checked || checked_setting(id, context);
    if (id == CommandId::find_in_project && context.busy == BusyKind::find)
        state.text = kFindInProjectStop;
    else
        state.text = std::string(menu_text(id));
    return state;
}

}  // namespace lumora::ide
