#pragma once
// Where settings live: the registry on Windows, an INI file (QSettings) on
// Linux, a map in tests. Sections are the registry's sub-keys; the empty
// section is the key itself. Value names are kept exactly as given.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lumora::platform {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // True when the key exists at all (the registry's "open key" step).
    virtual bool exists() const = 0;
    virtual std::optional<std::string> read_string(const std::string& section, const std::string& name) const = 0;
    virtual std::optional<uint32_t> read_number(const std::string& section, const std::string& name) const = 0;
    virtual bool write_string(const std::string& section, const std::string& name, const std::string& value) = 0;
    virtual bool write_number(const std::string& section, const std::string& name, uint32_t value) = 0;
    // Makes sure everything written reaches storage.
    virtual bool flush() { return true; }
};

// In-memory store for tests and for programs run without persistent settings.
class MemorySettingsStore : public SettingsStore {
public:
    bool exists() const override { return exists_; }
    void set_exists(bool e) { exists_ = e; }

    std::optional<std::string> read_string(const std::string& section, const std::string& name) const override;
    std::optional<uint32_t> read_number(const std::string& section, const std::string& name) const override;
    bool write_string(const std::string& section, const std::string& name, const std::string& value) override;
    bool write_number(const std::string& section, const std::string& name, uint32_t value) override;

    using Key = std::pair<std::string, std::string>;
    const std::map<Key, std::string>& strings() const { return strings_; }
    const std::map<Key, uint32_t>& numbers() const { return numbers_; }
    // Order in which values were written, as "section/name" (tests check save order).
    const std::vector<std::string>& write_log() const { return log_; }

private:
    bool exists_ = true;
    std::map<Key, std::string> strings_;
    std::map<Key, uint32_t> numbers_;
    std::vector<std::string> log_;
};

}  // namespace lumora::platform
