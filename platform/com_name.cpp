#include "platform/com_name.h"

#include <cctype>
#include <cstdlib>

namespace lumora::platform {

std::string com_port_device(int n) {
    if (n < 1) return {};
    const std::string variable = "LUMORA_COM" + std::to_string(n);
    if (const char* value = std::getenv(variable.c_str()); value && *value) return value;
    return "/dev/ttyS" + std::to_string(n - 1);
}

std::optional<std::string> com_name_device(std::string_view name) {
    if (!name.empty() && name.back() == ':') name.remove_suffix(1);
    if (name.size() < 4) return std::nullopt;
    for (int i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return std::nullopt;
    int n = 0;
    for (char c : name.substr(3)) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        n = n * 10 + (c - '0');
        if (n > 1000000) return std::nullopt;
    }
    if (n < 1) return std::nullopt;
    return com_port_device(n);
}

}  // namespace lumora::platform
