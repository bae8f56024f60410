#include "platform/settings_store.h"

namespace lumora::platform {

std::optional<std::string> MemorySettingsStore::read_string(const std::string& section,
                                                            const std::string& name) const {
    if (!exists_) return std::nullopt;
    auto it = strings_.find({section, name});
    if (it == strings_.end()) return std::nullopt;
    return it->second;
}

std::optional<uint32_t> MemorySettingsStore::read_number(const std::string& section, const std::string& name) const {
    if (!exists_) return std::nullopt;
    auto it = numbers_.find({section, name});
    if (it == numbers_.end()) return std::nullopt;
    return it->second;
}

bool MemorySettingsStore::write_string(const std::string& section, const std::string& name,
                                       const std::string& value) {
    exists_ = true;
    strings_[{section, name}] = value;
    log_.push_back(section + "/" + name);
    return true;
}

bool MemorySettingsStore::write_number(const std::string& section, const std::string& name, uint32_t value) {
    exists_ = true;
    numbers_[{section, name}] = value;
    log_.push_back(section + "/" + name);
    return true;
}

}  // namespace lumora::platform
