#pragma once
// The IDE's settings: the whole table with its defaults, and how it is read
// from and written to the settings store.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "ide/app/recent_list.h"
#include "ide/colour_class.h"
#include "platform/path_style.h"
#include "platform/settings_store.h"

namespace lumora::ide {

extern const std::array<uint32_t, kColourClassCount> kDefaultTextColours;
extern const std::array<uint32_t, kColourClassCount> kDefaultBackgroundColours;
// Background meaning "use the system window colour".
inline constexpr uint32_t kNoBackground = 0xFFFFFFFFu;

struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    bool operator==(const WindowRect&) const = default;
};

struct Settings {
    std::array<uint32_t, kColourClassCount> text_colours = kDefaultTextColours;  // 0x00BBGGRR
    std::array<uint32_t, kColourClassCount> background_colours = kDefaultBackgroundColours;
    bool keywords_cpp = true;     // "C/C++" keyword set coloured
    bool keywords_lumora = true;  // "Lumora" keyword set coloured
    int tab_length = 4;
    std::string platform_folder;  // SDK folder (bin, include, lib)
    std::string compiler_folder;  // compiler folder (bin)
    std::string project_folder;   // parent offered for new projects
    bool first_run = true;
    WindowRect window_rect;
    bool maximised = false;
    bool output_visible = true;
    bool project_visible = true;
    bool loaded = false;

    bool operator==(const Settings&) const = default;
};

// Default parent folder for new projects: "C:\" on Windows; the home folder
// on other hosts, where a folder named "C:\" would be nonsense.
std::string default_project_folder(platform::PathStyle style = platform::host_path_style());
// A settings table with every default.
Settings default_settings(platform::PathStyle style = platform::host_path_style());

// Reads every value (missing or malformed ones give their defaults) and marks
// the settings loaded.
void load_settings(Settings& settings, const platform::SettingsStore& store,
                   platform::PathStyle style = platform::host_path_style());
// Writes everything in load order, "FirstRun" as "FALSE", and clears the
// loaded mark. Does nothing (and returns true) when the settings were never
// loaded. False when a write failed.
bool save_settings(Settings& settings, platform::SettingsStore& store);

// The value rules, usable by any part of the IDE.
bool read_bool_setting(const platform::SettingsStore& store, const std::string& section,
                       const std::string& name, bool fallback);
bool write_bool_setting(platform::SettingsStore& store, const std::string& section, const std::string& name,
                        bool value);
WindowRect read_rect_setting(const platform::SettingsStore& store, const std::string& section,
                             const std::string& name, const WindowRect& fallback);
bool write_rect_setting(platform::SettingsStore& store, const std::string& section, const std::string& name,
                        const WindowRect& rect);
std::string format_rect(const WindowRect& rect);
// All four numbers of "%d,%d,%d,%d", or nothing.
std::optional<WindowRect> parse_rect(const std::string& text);

// The rectangle stored after the main frame moved or was resized (while
// neither maximised nor minimised): its screen rectangle shifted left by the
// work area's left edge and up by its top edge, each only when positive.
WindowRect window_rect_to_store(const WindowRect& screen, int work_area_left, int work_area_top);

// Writes everything the IDE keeps at exit in its order: the recent project
// list, the settings, then the recent file list.
bool save_at_exit(Settings& settings, const RecentList& projects, const RecentList& files,
                  platform::SettingsStore& store);

}  // namespace lumora::ide
