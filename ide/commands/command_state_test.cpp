#include "ide/commands/command_state.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "ide/commands/menu_layout.h"

namespace lumora::ide {
namespace {

std::vector<CommandId> all_commands() {
    std::vector<CommandId> ids;
    for (int i = 0; i < kCommandCount; ++i) ids.push_back(static_cast<CommandId>(i));
    return ids;
}

CommandContext project_open() {
    CommandContext c;
    c.project_open = true;
    return c;
}

std::set<CommandId> enabled_set(const CommandContext& c) {
    std::set<CommandId> out;
    for (CommandId id : all_commands())
        if (command_state(id, c).enabled) out.insert(id);
    return out;
}

const std::set<CommandId> kStartAndReplace = {CommandId::build,
                                              CommandId::full_build,
                                              CommandId::transfer,
                                              CommandId::execute,
                                              CommandId::transfer_execute,
                                              CommandId::compile,
                                              CommandId::project_close,
                                              CommandId::project_new,
                                              CommandId::project_open,
                                              CommandId::recent_projects,
                                              CommandId::project_add_files,
                                              CommandId::project_add_new_file,
                                              CommandId::project_settings,
                                              CommandId::project_delete_file};

TEST(CommandState, WithoutProjectOnlyGeneralCommandsAreEnabled) {
    const CommandContext none;
    const std::set<CommandId> on = enabled_set(none);
    for (CommandId id :
         {CommandId::project_save,      CommandId::project_close,     CommandId::project_add_new_file,
          CommandId::project_add_files, CommandId::project_edit_file, CommandId::project_delete_file,
          CommandId::find_in_project,   CommandId::compile,           CommandId::build,
          CommandId::full_build,        CommandId::cancel_build,      CommandId::transfer,
          CommandId::execute,           CommandId::transfer_execute,  CommandId::project_settings,
          CommandId::next_message,      CommandId::previous_message,  CommandId::recent_projects,
          CommandId::recent_files,      CommandId::edit_undo,         CommandId::find,
          CommandId::file_save,         CommandId::line_ending_lf})
        EXPECT_FALSE(on.count(id)) << static_cast<int>(id);
    for (CommandId id :
         {CommandId::file_new, CommandId::file_open, CommandId::project_new, CommandId::project_open,
          CommandId::app_exit, CommandId::view_output_pane, CommandId::environment_settings,
          CommandId::colour_settings, CommandId::window_cascade, CommandId::about, CommandId::focus_project,
          CommandId::focus_output, CommandId::tab_8})
        EXPECT_TRUE(on.count(id)) << static_cast<int>(id);
}

TEST(CommandState, ProjectCommandsFollowTheProjectAndTheTreeFocus) {
    CommandContext c = project_open();
    for (CommandId id :
         {CommandId::project_save, CommandId::project_close, CommandId::project_add_new_file,
          CommandId::project_add_files, CommandId::find_in_project, CommandId::build, CommandId::full_build,
          CommandId::transfer, CommandId::execute, CommandId::transfer_execute, CommandId::project_settings})
        EXPECT_TRUE(command_state(id, c).enabled) << static_cast<int>(id);
    // Edit and delete act on the tree's selection: only while it has the focus.
    EXPECT_FALSE(command_state(CommandId::project_edit_file, c).enabled);
    EXPECT_FALSE(command_state(CommandId::project_delete_file, c).enabled);
    c.tree_focus = true;
    EXPECT_TRUE(command_state(CommandId::project_edit_file, c).enabled);
    EXPECT_TRUE(command_state(CommandId::project_delete_file, c).enabled);
    // Compile needs an editor window; the cancel needs a running tool.
    EXPECT_FALSE(command_state(CommandId::compile, c).enabled);
    c.editor_active = true;
    EXPECT_TRUE(command_state(CommandId::compile, c).enabled);
    EXPECT_FALSE(command_state(CommandId::cancel_build, c).enabled);
    // F4 / Shift+F4 need messages; recent lists need entries.
    EXPECT_FALSE(command_state(CommandId::next_message, c).enabled);
    c.has_messages = true;
    EXPECT_TRUE(command_state(CommandId::next_message, c).enabled);
    EXPECT_TRUE(command_state(CommandId::previous_message, c).enabled);
    c.recent_projects = true;
    c.recent_files = true;
    EXPECT_TRUE(command_state(CommandId::recent_projects, c).enabled);
    EXPECT_TRUE(command_state(CommandId::recent_files, c).enabled);
}

TEST(CommandState, WhileBusyNothingStartsClosesOrReplacesTheProject) {
    for (BusyKind busy : {BusyKind::build, BusyKind::compile, BusyKind::serial, BusyKind::find}) {
        CommandContext c = project_open();
        c.editor_active = true;
        c.tree_focus = true;
        c.recent_projects = true;
        c.recent_files = true;
        c.busy = busy;
        for (CommandId id : kStartAndReplace)
            EXPECT_FALSE(command_state(id, c).enabled)
                << static_cast<int>(id) << " busy " << static_cast<int>(busy);
        // Looking at things stays possible.
        for (CommandId id :
             {CommandId::file_open, CommandId::project_save, CommandId::project_edit_file,
              CommandId::recent_files, CommandId::view_output_pane, CommandId::app_exit, CommandId::find})
            EXPECT_TRUE(command_state(id, c).enabled) << static_cast<int>(id);
    }
}

TEST(CommandState, CancelAndFindInProjectBelongToTheirOwnActivity) {
    CommandContext c = project_open();
    c.busy = BusyKind::build;
    EXPECT_FALSE(command_state(CommandId::cancel_build, c).enabled);  // between tools
    c.tool_running = true;
    EXPECT_TRUE(command_state(CommandId::cancel_build, c).enabled);
    c.busy = BusyKind::compile;
    EXPECT_TRUE(command_state(CommandId::cancel_build, c).enabled);
    c.busy = BusyKind::serial;  // a transfer has no tool to stop
    EXPECT_FALSE(command_state(CommandId::cancel_build, c).enabled);

    c = project_open();
    EXPECT_EQ(command_state(CommandId::find_in_project, c).text, "ﾌﾟﾛｼﾞｪｸﾄから検索(&F)...");
    c.busy = BusyKind::find;
    const CommandState during = command_state(CommandId::find_in_project, c);
    EXPECT_TRUE(during.enabled);  // now it stops the search
    EXPECT_EQ(during.text, "ﾌﾟﾛｼﾞｪｸﾄから検索を中止(&F)");
    c.busy = BusyKind::build;
    EXPECT_FALSE(command_state(CommandId::find_in_project, c).enabled);
    EXPECT_EQ(command_state(CommandId::find_in_project, c).text, "ﾌﾟﾛｼﾞｪｸﾄから検索(&F)...");
}

TEST(CommandState, EditorCommandsFollowTheActiveView) {
    CommandContext c;
    c.editor_active = true;
    for (CommandId id : {CommandId::edit_undo, CommandId::edit_redo, CommandId::edit_cut,
                         CommandId::edit_copy, CommandId::edit_paste, CommandId::edit_delete,
                         CommandId::edit_upper_case, CommandId::edit_lower_case})
        EXPECT_FALSE(command_state(id, c).enabled) << static_cast<int>(id);
    for (CommandId id : {CommandId::file_save, CommandId::file_save_as, CommandId::file_close,
                         CommandId::find, CommandId::replace, CommandId::jump, CommandId::find_next,
                         CommandId::bookmark_toggle, CommandId::bracket_forward, CommandId::keyword_jump,
                         CommandId::edit_overwrite, CommandId::line_ending_cr, CommandId::text_type_c})
        EXPECT_TRUE(command_state(id, c).enabled) << static_cast<int>(id);
    c.editor.has_selection = true;
    c.editor.can_undo = true;
    for (CommandId id : {CommandId::edit_undo, CommandId::edit_cut, CommandId::edit_copy,
                         CommandId::edit_delete, CommandId::edit_upper_case, CommandId::edit_lower_case})
        EXPECT_TRUE(command_state(id, c).enabled) << static_cast<int>(id);
    EXPECT_FALSE(command_state(CommandId::edit_redo, c).enabled);
    c.editor.can_redo = true;
    c.editor.can_paste = true;
    EXPECT_TRUE(command_state(CommandId::edit_redo, c).enabled);
    EXPECT_TRUE(command_state(CommandId::edit_paste, c).enabled);
}

TEST(CommandState, CheckMarks) {
    CommandContext c;
    c.editor_active = true;
    c.editor.line_ending_mode = 1;
    c.editor.text_type = 0;
    c.editor.overwrite = true;
    c.keywords_cpp = false;
    c.tab_length = 8;
    c.output_pane_visible = false;
    std::map<CommandId, bool> expected = {
        {CommandId::line_ending_crlf, false},
        {CommandId::line_ending_lf, true},
        {CommandId::line_ending_cr, false},
        {CommandId::text_type_c, true},
        {CommandId::text_type_text, false},
        {CommandId::edit_overwrite, true},
        {CommandId::keywords_cpp, false},
        {CommandId::keywords_lumora, true},
        {CommandId::tab_2, false},
        {CommandId::tab_4, false},
        {CommandId::tab_8, true},
        {CommandId::view_output_pane, false},
        {CommandId::view_project_pane, true},
        {CommandId::view_tool_bar, true},
        {CommandId::view_status_bar, true},
    };
    for (auto [id, on] : expected) {
        EXPECT_TRUE(is_checkable(id));
        EXPECT_EQ(command_state(id, c).checked, on) << static_cast<int>(id);
    }
    // Without an editor no view-specific mark is shown.
    c.editor_active = false;
    EXPECT_FALSE(command_state(CommandId::line_ending_lf, c).checked);
    EXPECT_FALSE(command_state(CommandId::edit_overwrite, c).checked);
    // Nothing else carries a mark.
    for (CommandId id : all_commands())
        if (!is_checkable(id)) {
            EXPECT_FALSE(command_state(id, c).checked) << static_cast<int>(id);
        }
}

TEST(MenuLayout, EveryCommandIsReachableOnceAndKeysDoNotClash) {
    std::map<CommandId, int> seen;
    std::map<std::string, CommandId> keys;
    auto add_key = [&](const char* key, CommandId id) {
        if (!*key) return;
        auto [it, fresh] = keys.emplace(key, id);
        EXPECT_TRUE(fresh) << key << " is bound twice";
    };
    const auto& menus = menu_layout();
    ASSERT_EQ(menus.size(), 7u);
    const char* captions[] = {"ﾌｧｲﾙ(&F)",   "編集(&E)",   "ﾌﾟﾛｼﾞｪｸﾄ(&P)", "表示(&V)",
                              "ｵﾌﾟｼｮﾝ(&O)", "ｳｨﾝﾄﾞｳ(&W)", "ﾍﾙﾌﾟ(&H)"};
    for (size_t m = 0; m < menus.size(); ++m) {
        EXPECT_STREQ(menus[m].caption, captions[m]);
        int depth = 0;
        for (const MenuItemDef& item : menus[m].items) {
            if (item.kind == MenuItemDef::Kind::submenu_begin) ++depth;
            if (item.kind == MenuItemDef::Kind::submenu_end) --depth;
            if (item.kind != MenuItemDef::Kind::command && item.kind != MenuItemDef::Kind::recent_projects &&
                item.kind != MenuItemDef::Kind::recent_files)
                continue;
            ++seen[item.id];
            EXPECT_NE(std::string(item.text), "");
            add_key(item.key, item.id);
            add_key(item.alternate_key, item.id);
        }
        EXPECT_EQ(depth, 0);
    }
    for (const KeyOnlyDef& k : key_only_commands()) {
        ++seen[k.id];
        add_key(k.key, k.id);
    }
    for (CommandId id : all_commands()) EXPECT_EQ(seen[id], 1) << static_cast<int>(id);
    // The keys the IDE is known by.
    EXPECT_EQ(keys["F7"], CommandId::build);
    EXPECT_EQ(keys["Ctrl+F7"], CommandId::compile);
    EXPECT_EQ(keys["Ctrl+Pause"], CommandId::cancel_build);
    EXPECT_EQ(keys["F8"], CommandId::transfer);
    EXPECT_EQ(keys["Ctrl+F5"], CommandId::execute);
    EXPECT_EQ(keys["F5"], CommandId::transfer_execute);
    EXPECT_EQ(keys["Alt+F7"], CommandId::project_settings);
    EXPECT_EQ(keys["Shift+F4"], CommandId::previous_message);
    EXPECT_EQ(menu_text(CommandId::transfer_execute), "転送&&実行(&Y)");
    EXPECT_EQ(menu_text(CommandId::recent_projects), "最近使ったﾌﾟﾛｼﾞｪｸﾄ(&P)");
}

}  // namespace
}  // namespace lumora::ide
