#pragma once
// Most-recently-used lists (projects, text files): newest first, a fixed
// number of entries, shown shortened in the File menu.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_style.h"
#include "platform/settings_store.h"

namespace lumora::ide {

class RecentList {
  public:
    // `entry_format` holds one "%d" (1-based slot number), e.g. "Project%d".
    RecentList(std::string section, std::string entry_format, int size, int display_length = 30,
               platform::PathStyle style = platform::host_path_style());

    // Moves an entry already present (same path ignoring case on Windows) to
    // the front, or inserts it there and drops the oldest beyond the size.
    void add(std::string_view path);
    bool remove(size_t index);
    const std::vector<std::string>& entries() const { return entries_; }
    size_t size() const { return entries_.size(); }
    int capacity() const { return size_; }
    const std::string& section() const { return section_; }

    // Value name of slot `index` (0-based): "Project1" for index 0.
    std::string entry_name(size_t index) const;

    // Replaces the entries with the stored ones (empty values skipped).
    void read(const platform::SettingsStore& store);
    // Writes every slot, newest first; unused slots are written empty so an
    // older, longer list does not come back.
    bool write(platform::SettingsStore& store) const;

    // Opens entry `index` with `open`; an entry that fails to open is removed
    // from the list. False for a bad index or a failed open.
    bool open_entry(size_t index, const std::function<bool(const std::string& path)>& open);

    // The path shortened to the display length for the menu.
    std::string display_name(size_t index) const;

    struct MenuItem {
        std::string text;  // UTF-8, with "&n " access key
        bool enabled = true;
    };
    // Items of the submenu; an empty list gives one disabled placeholder.
    std::vector<MenuItem> menu_items(std::string_view empty_text) const;

  private:
    std::string section_;
    std::string entry_format_;
    int size_;
    int display_length_;
    platform::PathStyle style_;
    std::vector<std::string> entries_;
};

// Shortens a path to at most `max_length` bytes: the root and the first
// folder, "...", then as many trailing components as fit. When not even that
// fits the file name alone is shown (even if longer).
std::string abbreviate_path(std::string_view path, size_t max_length,
                            platform::PathStyle style = platform::host_path_style());

// The two lists of the IDE and their menus.
RecentList make_recent_project_list(platform::PathStyle style = platform::host_path_style());
RecentList make_recent_file_list(platform::PathStyle style = platform::host_path_style());
inline constexpr const char* kRecentProjectMenuCaption = "最近使ったﾌﾟﾛｼﾞｪｸﾄ(&P)";
inline constexpr const char* kRecentFileMenuCaption = "最近使ったﾌｧｲﾙ(&F)";
inline constexpr const char* kRecentProjectEmpty = "最新のﾌﾟﾛｼﾞｪｸﾄ";
inline constexpr const char* kRecentFileEmpty = "最新のﾌｧｲﾙ";
// Command identifiers of the menu entries.
inline constexpr int kFirstRecentProjectCommand = 57616;
inline constexpr int kFirstRecentFileCommand = 57620;

// Which recent entry a menu command chooses.
struct RecentCommand {
    bool project = false;  // else a text file
    size_t index = 0;
};
std::optional<RecentCommand> recent_command(int command_id);

}  // namespace lumora::ide
