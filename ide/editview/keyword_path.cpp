#include "ide/editview/keyword_path.h"

#include <algorithm>

#include "platform/path_style.h"

namespace lumora::editview {

std::optional<editor::KeywordJump> host_keyword_jump(const editor::KeywordDatabase& db, std::string_view text,
                                                     const std::string& platform_folder) {
    if (platform::host_path_style() == platform::PathStyle::Windows)
        return editor::keyword_jump(db, text, platform_folder);
    std::string folder = platform_folder;
    std::replace(folder.begin(), folder.end(), '/', '\\');
    auto jump = editor::keyword_jump(db, text, folder);
    if (jump) std::replace(jump->path.begin(), jump->path.end(), '\\', '/');
    return jump;
}

}  // namespace lumora::editview
