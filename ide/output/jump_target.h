#pragma once
// Where a double click or Enter on an output line leads.

#include <optional>
#include <string>
#include <string_view>

#include "ide/output/output_message.h"
#include "platform/path_style.h"

namespace lumora::ide {

struct JumpTarget {
    std::string path;  // absolute, in the style's in-memory form
    int line = 0;      // 1-based, as found in the message
};

// Plain lines and link errors lead nowhere; the other kinds lead to their
// file made absolute against the project folder. Without a project folder
// (empty) or without a file there is no target.
std::optional<JumpTarget> resolve_jump_target(const OutputMessage& message, std::string_view project_folder,
                                              platform::PathStyle style = platform::host_path_style());

// The line the view moves to first so that the target line appears with
// following lines below it: half a window height (in rows) below the target,
// when that half is at least one row.
std::optional<int> pre_scroll_line(int target_line, int visible_rows);

}  // namespace lumora::ide
