#pragma once
// The IDE's menus as data: menu captions, their items in order, each item's
// command, text and key. The frame builds its menu bar from this table, so
// the menus, the keys and the enable rules cannot drift apart.

#include <string_view>
#include <vector>

#include "ide/commands/command_id.h"

namespace lumora::ide {

struct MenuItemDef {
    enum class Kind {
        command,
        separator,
        submenu_begin,
        submenu_end,
        recent_projects,
        recent_files,
        window_list
    };
    Kind kind = Kind::command;
    CommandId id = CommandId::about;
    const char* text = "";  // UTF-8 with its "&" access key (submenu captions too)
    const char* key = "";   // portable key text ("Ctrl+F7"); empty for none
    const char* alternate_key = "";
};

struct MenuDef {
    const char* caption;
    std::vector<MenuItemDef> items;
};

// The seven menus in order: File, Edit, Project, View, Options, Window, Help.
const std::vector<MenuDef>& menu_layout();

// Commands reached by a key alone (no menu item), with their keys.
struct KeyOnlyDef {
    CommandId id;
    const char* key;
};
const std::vector<KeyOnlyDef>& key_only_commands();

// Menu text of a command (from the layout); empty when it has none.
std::string_view menu_text(CommandId id);

// The tool bar: commands in order, `std::nullopt`-like separators as about.
struct ToolBarSpec {
    bool separator = false;
    CommandId id = CommandId::about;
    const char* tip = "";
};
const std::vector<ToolBarSpec>& tool_bar_layout();

}  // namespace lumora::ide
