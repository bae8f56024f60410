#include "ide/commands/menu_layout.h"

namespace lumora::ide {

namespace {

using K = MenuItemDef::Kind;

MenuItemDef item(CommandId id, const char* text, const char* key = "", const char* alternate = "") {
    return MenuItemDef{K::command, id, text, key, alternate};
}
MenuItemDef separator() {
    return MenuItemDef{K::separator, CommandId::about, "", "", ""};
}
MenuItemDef submenu(const char* caption) {
    return MenuItemDef{K::submenu_begin, CommandId::about, caption, "", ""};
}
MenuItemDef submenu_end() {
    return MenuItemDef{K::submenu_end, CommandId::about, "", "", ""};
}

std::vector<MenuDef> build_layout() {
    std::vector<MenuDef> menus;
    menus.push_back(
        {"ﾌｧｲﾙ(&F)",
         {
             item(CommandId::file_new, "新規作成(&N)...", "Ctrl+N"),
             item(CommandId::file_open, "開く(&O)...", "Ctrl+O"),
             item(CommandId::file_close, "閉じる(&C)"),
             item(CommandId::file_save, "上書き保存(&S)", "Ctrl+S"),
             item(CommandId::file_save_as, "名前を付けて保存(&A)..."),
             separator(),
             item(CommandId::project_new, "ﾌﾟﾛｼﾞｪｸﾄの新規作成(&M)..."),
             item(CommandId::project_open, "ﾌﾟﾛｼﾞｪｸﾄを開く(&I)..."),
             item(CommandId::project_save, "ﾌﾟﾛｼﾞｪｸﾄの保存(&D)"),
             item(CommandId::project_close, "ﾌﾟﾛｼﾞｪｸﾄを閉じる(&V)"),
             separator(),
             MenuItemDef{K::recent_projects, CommandId::recent_projects, "最近使ったﾌﾟﾛｼﾞｪｸﾄ(&P)"},
             MenuItemDef{K::recent_files, CommandId::recent_files, "最近使ったﾌｧｲﾙ(&F)"},
             separator(),
             item(CommandId::app_exit, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"),
         }});
    menus.push_back({"編集(&E)",
                     {
                         item(CommandId::edit_undo, "元に戻す(&U)", "Ctrl+Z"),
                         item(CommandId::edit_redo, "やり直し(&R)", "Ctrl+Y"),
                         separator(),
                         item(CommandId::edit_cut, "切り取り(&T)", "Ctrl+X", "Shift+Del"),
                         item(CommandId::edit_copy, "ｺﾋﾟｰ(&C)", "Ctrl+C", "Ctrl+Ins"),
                         item(CommandId::edit_paste, "貼り付け(&P)", "Ctrl+V", "Shift+Ins"),
                         item(CommandId::edit_delete, "削除(&D)", "Del"),
                         separator(),
                         item(CommandId::edit_upper_case, "大文字化(&B)", "Ctrl+Shift+U"),
                         item(CommandId::edit_lower_case, "小文字化(&S)", "Ctrl+U"),
                         item(CommandId::edit_overwrite, "上書き(&I)"),
                         separator(),
                         item(CommandId::find, "検索(&F)...", "Ctrl+F"),
                         item(CommandId::replace, "置換(&E)...", "Ctrl+R"),
                         item(CommandId::jump, "ｼﾞｬﾝﾌﾟ(&J)...", "Ctrl+J"),
                         item(CommandId::bookmark_toggle, "ﾌﾞｯｸﾏｰｸ(&B)", "Ctrl+F2"),
                         separator(),
                         // The text after the tab names the line end, not a key.
                         item(CommandId::line_ending_crlf, "改行ｺｰﾄﾞ(&1)\tCR+LF"),
                         item(CommandId::line_ending_lf, "改行ｺｰﾄﾞ(&2)\tLF"),
                         item(CommandId::line_ending_cr, "改行ｺｰﾄﾞ(&3)\tCR"),
                     }});
    menus.push_back({"ﾌﾟﾛｼﾞｪｸﾄ(&P)",
                     {
                         item(CommandId::project_add_new_file, "新規ﾌｧｲﾙ追加(&N)..."),
                         item(CommandId::project_add_files, "ﾌｧｲﾙ追加(&A)..."),
                         item(CommandId::project_edit_file, "ﾌｧｲﾙ編集(&E)"),
                         item(CommandId::project_delete_file, "ﾌｧｲﾙ削除(&D)"),
                         separator(),
                         item(CommandId::find_in_project, "ﾌﾟﾛｼﾞｪｸﾄから検索(&F)..."),
                         separator(),
                         item(CommandId::compile, "ｺﾝﾊﾟｲﾙ(&C)", "Ctrl+F7"),
                         item(CommandId::build, "ﾋﾞﾙﾄﾞ(&B)", "F7"),
                         item(CommandId::full_build, "ﾌﾙﾋﾞﾙﾄﾞ(&F)"),
                         // Linux keyboards have no Break key; Pause is where it was.
                         item(CommandId::cancel_build, "ﾋﾞﾙﾄﾞの中止(&B)", "Ctrl+Pause", "Ctrl+Break"),
                         separator(),
                         item(CommandId::transfer, "転送(&T)", "F8"),
                         item(CommandId::execute, "実行(&R)", "Ctrl+F5"),
                         item(CommandId::transfer_execute, "転送&&実行(&Y)", "F5"),
                         separator(),
                         item(CommandId::project_settings, "設定(&S)...", "Alt+F7"),
                     }});
    menus.push_back({"表示(&V)",
                     {
                         item(CommandId::view_project_pane, "ﾌﾟﾛｼﾞｪｸﾄ(&P)"),
                         item(CommandId::view_output_pane, "ｱｳﾄﾌﾟｯﾄ(&O)"),
                         item(CommandId::view_tool_bar, "ﾂｰﾙ ﾊﾞｰ(&T)"),
                         item(CommandId::view_status_bar, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)"),
                         separator(),
                         submenu("ﾃｷｽﾄﾀｲﾌﾟ(&S)"),
                         item(CommandId::text_type_c, "C/C++(&1)"),
                         item(CommandId::text_type_text, "ﾃｷｽﾄ(&2)"),
                         submenu_end(),
                         item(CommandId::keywords_cpp, "C/C++(&C)"),
                         item(CommandId::keywords_lumora, "LM(&W)"),
                         submenu("ﾀﾌﾞ(&A)"),
                         item(CommandId::tab_2, "&2"),
                         item(CommandId::tab_4, "&4"),
                         item(CommandId::tab_8, "&8"),
                         submenu_end(),
                         separator(),
                         item(CommandId::colour_settings, "色設定(&C)..."),
                     }});
    menus.push_back({"ｵﾌﾟｼｮﾝ(&O)",
                     {
                         item(CommandId::environment_settings, "環境設定(&C)..."),
                     }});
    menus.push_back({"ｳｨﾝﾄﾞｳ(&W)",
                     {
                         item(CommandId::window_new, "新しいｳｨﾝﾄﾞｳを開く(&N)"),
                         item(CommandId::window_cascade, "重ねて表示(&C)"),
                         item(CommandId::window_tile, "並べて表示(&T)"),
                         item(CommandId::window_arrange_icons, "ｱｲｺﾝの整列(&A)"),
                         MenuItemDef{K::window_list, CommandId::about, ""},
                     }});
    menus.push_back({"ﾍﾙﾌﾟ(&H)",
                     {
                         item(CommandId::about, "ﾊﾞｰｼﾞｮﾝ情報(&A)..."),
                     }});
    return menus;
}

}  // namespace

const std::vector<MenuDef>& menu_layout() {
    static const std::vector<MenuDef> layout = build_layout();
    return layout;
}

const std::vector<KeyOnlyDef>& key_only_commands() {
    static const std::vector<KeyOnlyDef> keys = {
        {CommandId::next_message, "F4"},
        {CommandId::previous_message, "Shift+F4"},
        {CommandId::focus_project, "Alt+0"},
        {CommandId::focus_editor, "Alt+1"},
        {CommandId::focus_output, "Alt+2"},
        {CommandId::find_next, "F3"},
        {CommandId::find_previous, "Shift+F3"},
        {CommandId::bookmark_next, "F2"},
        {CommandId::bookmark_previous, "Shift+F2"},
        {CommandId::bracket_forward, "Ctrl+]"},
        {CommandId::bracket_backward, "Ctrl+["},
        {CommandId::keyword_jump, "F12"},
    };
    return keys;
}

std::string_view menu_text(CommandId id) {
    for (const MenuDef& menu : menu_layout()) {
        for (const MenuItemDef& i : menu.items) {
            if ((i.kind == MenuItemDef::Kind::command || i.kind == MenuItemDef::Kind::recent_projects ||
                 i.kind == MenuItemDef::Kind::recent_files) &&
                i.id == id)
                return i.text;
        }
    }
    return {};
}

const std::vector<ToolBarSpec>& tool_bar_layout() {
    static const std::vector<ToolBarSpec> bar = {
        {false, CommandId::file_new, "新規作成"},    {false, CommandId::file_open, "開く"},
        {false, CommandId::file_save, "上書き保存"}, {true, CommandId::about, ""},
        {false, CommandId::edit_cut, "切り取り"},    {false, CommandId::edit_copy, "ｺﾋﾟｰ"},
        {false, CommandId::edit_paste, "貼り付け"},  {true, CommandId::about, ""},
        {false, CommandId::about, "ﾊﾞｰｼﾞｮﾝ情報"},
    };
    return bar;
}

}  // namespace lumora::ide
