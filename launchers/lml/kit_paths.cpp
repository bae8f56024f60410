#include "kit_paths.h"

#include <unistd.h>

#include "common/file_bytes.h"

namespace lumora::lml {

std::string KitPaths::kit_program(const std::string& below_root) const {
    const std::string in_root = root + "/" + below_root;
    if (::access(in_root.c_str(), X_OK) == 0) return in_root;
    return program_folder + "/" + std::string(path_base_name(below_root));
}

}  // namespace lumora::lml
