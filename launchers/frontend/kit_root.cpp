#include "kit_root.h"

#include <cstdlib>

namespace lumora::launchers {

std::string kit_root_from(const char* lumo_root, const char* home) {
    std::string root;
    if (lumo_root && *lumo_root) {
        root = lumo_root;
    } else {
        root = std::string(home && *home ? home : "") + "/lumo";
    }
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root;
}

std::string kit_root() {
    return kit_root_from(std::getenv("LUMO_ROOT"), std::getenv("HOME"));
}

}  // namespace lumora::launchers
