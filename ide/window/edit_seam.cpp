#include "ide/window/edit_seam.h"

namespace lumora::ide {

bool edit_command_for(CommandId id, EditCommand* out) {
    EditCommand c;
    switch (id) {
        case CommandId::edit_undo:
            c = EditCommand::undo;
            break;
        case CommandId::edit_redo:
            c = EditCommand::redo;
            break;
        case CommandId::edit_cut:
            c = EditCommand::cut;
            break;
        case CommandId::edit_copy:
            c = EditCommand::copy;
            break;
        case CommandId::edit_paste:
            c = EditCommand::paste;
            break;
        case CommandId::edit_delete:
            c = EditCommand::delete_selection;
            break;
        case CommandId::edit_upper_case:
            c = EditCommand::upper_case;
            break;
        case CommandId::edit_lower_case:
            c = EditCommand::lower_case;
            break;
        case CommandId::edit_overwrite:
            c = EditCommand::toggle_overwrite;
            break;
        case CommandId::line_ending_crlf:
            c = EditCommand::line_ending_crlf;
            break;
        case CommandId::line_ending_lf:
            c = EditCommand::line_ending_lf;
            break;
        case CommandId::line_ending_cr:
            c = EditCommand::line_ending_cr;
            break;
        case CommandId::find:
            c = EditCommand::find;
            break;
        case CommandId::find_next:
            c = EditCommand::find_next;
            break;
        case CommandId::find_previous:
            c = EditCommand::find_previous;
            break;
        case CommandId::replace:
            c = EditCommand::replace;
            break;
        case CommandId::jump:
            c = EditCommand::jump;
            break;
        case CommandId::bookmark_toggle:
            c = EditCommand::bookmark_toggle;
            break;
        case CommandId::bookmark_next:
            c = EditCommand::bookmark_next;
            break;
        case CommandId::bookmark_previous:
            c = EditCommand::bookmark_previous;
            break;
        case CommandId::bracket_forward:
            c = EditCommand::bracket_forward;
            break;
        case CommandId::bracket_backward:
            c = EditCommand::bracket_backward;
            break;
        case CommandId::keyword_jump:
            c = EditCommand::keyword_jump;
            break;
        case CommandId::text_type_c:
            c = EditCommand::text_type_c;
            break;
        case CommandId::text_type_text:
            c = EditCommand::text_type_text;
            break;
        case CommandId::file_save:
            c = EditCommand::save;
            break;
        case CommandId::file_save_as:
            c = EditCommand::save_as;
            break;
        default:
            return false;
    }
    if (out) *out = c;
    return true;
}

}  // namespace lumora::ide
