#pragma once
// The keyword jump on this host: the database names header files the
// Windows way ("..\sys\x.h" against "<folder>\include\sys\"); on a host with
// "/" paths the platform folder is walked the same way and the result turned
// back into a host path.

#include <optional>
#include <string>
#include <string_view>

#include "ide/editor/keyword_db.h"

namespace lumora::editview {

std::optional<editor::KeywordJump> host_keyword_jump(const editor::KeywordDatabase& db, std::string_view text,
                                                     const std::string& platform_folder);

}  // namespace lumora::editview
