#pragma once
// SettingsStore over QSettings(organisation, application). Kept free of Qt
// headers so libraries that take a SettingsStore stay Qt-free.
//
// Value names may hold "/" and "\" (for example "C/C++"), which QSettings
// would read as group separators, so they are escaped on the way in and out.

#include <memory>
#include <string>

#include "platform/settings_store.h"

namespace lumora::platform {

class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore(const std::string& organisation, const std::string& application);
    ~QtSettingsStore() override;

    bool exists() const override;
    std::optional<std::string> read_string(const std::string& section, const std::string& name) const override;
    std::optional<uint32_t> read_number(const std::string& section, const std::string& name) const override;
    bool write_string(const std::string& section, const std::string& name, const std::string& value) override;
    bool write_number(const std::string& section, const std::string& name, uint32_t value) override;
    bool flush() override;

    // The escaped form used as the QSettings key for a value name.
    static std::string escape_name(const std::string& name);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace lumora::platform
