#include "ide/output/jump_target.h"

namespace lumora::ide {

std::optional<JumpTarget> resolve_jump_target(const OutputMessage& message, std::string_view project_folder,
                                              platform::PathStyle style) {
    if (message.kind == kPlain || message.kind == kLinkError) return std::nullopt;
    if (message.file.empty() || project_folder.empty()) return std::nullopt;
    // Search results carry a path of ours; tool lines carry the tool's text.
    std::string file =
        message.kind == kSearchResult ? message.file : platform::from_stored_form(message.file, style);
    JumpTarget target;
    target.path = platform::make_absolute(file, project_folder, style);
    target.line = message.line;
    return target;
}

std::optional<int> pre_scroll_line(int target_line, int visible_rows) {
    int half = visible_rows / 2;
    if (half < 1) return std::nullopt;
    return target_line + half;
}

}  // namespace lumora::ide
