#pragma once
// Every command of the IDE: menu items, tool bar buttons and the keys
// without a menu item. The frame routes them; the edit view executes the
// editor's own.

#include <array>

namespace lumora::ide {

enum class CommandId {
    // File
    file_new,
    file_open,
    file_close,
    file_save,
    file_save_as,
    project_new,
    project_open,
    project_save,
    project_close,
    recent_projects,  // the submenu as a whole
    recent_files,
    app_exit,
    // Edit
    edit_undo,
    edit_redo,
    edit_cut,
    edit_copy,
    edit_paste,
    edit_delete,
    edit_upper_case,
    edit_lower_case,
    edit_overwrite,
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
    // Project
    project_add_new_file,
    project_add_files,
    project_edit_file,
    project_delete_file,
    find_in_project,
    compile,
    build,
    full_build,
    cancel_build,
    transfer,
    execute,
    transfer_execute,
    project_settings,
    // View
    view_project_pane,
    view_output_pane,
    view_tool_bar,
    view_status_bar,
    text_type_c,
    text_type_text,
    keywords_cpp,
    keywords_lumora,
    tab_2,
    tab_4,
    tab_8,
    colour_settings,
    // Options
    environment_settings,
    // Window
    window_new,
    window_cascade,
    window_tile,
    window_arrange_icons,
    // Help
    about,
    // Keys without a menu item
    next_message,
    previous_message,
    focus_project,
    focus_editor,
    focus_output,
};

inline constexpr int kCommandCount = static_cast<int>(CommandId::focus_output) + 1;

}  // namespace lumora::ide
