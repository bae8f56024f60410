#include "ide/app/open_by_path.h"

#include "common/cp932.h"

namespace lumora::ide {

OpenAs open_kind_for_path(std::string_view path) {
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return OpenAs::Text;
    return cp932::to_upper(path.substr(dot + 1)) == "LMP" ? OpenAs::Project : OpenAs::Text;
}

bool open_by_path(std::string_view path, const OpenHandlers& handlers) {
    const auto& handler =
        open_kind_for_path(path) == OpenAs::Project ? handlers.open_project : handlers.open_text;
    return handler ? handler(path) : false;
}

}  // namespace lumora::ide
