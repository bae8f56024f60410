#include "ide/app/settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "ide/app/open_by_path.h"

namespace lumora::ide {
namespace {

using platform::MemorySettingsStore;
constexpr auto W = platform::PathStyle::Windows;

TEST(Settings, EmptyStoreGivesTheDefaults) {
    MemorySettingsStore store;
    Settings s;
    load_settings(s, store, W);
    EXPECT_TRUE(s.loaded);
    EXPECT_EQ(s.text_colours[0], 0x000000u);
    EXPECT_EQ(s.text_colours[1], 0xFF0000u);
    EXPECT_EQ(s.text_colours[2], 0xFF00FFu);
    EXPECT_EQ(s.text_colours[3], 0x0000FFu);
    EXPECT_EQ(s.text_colours[9], 0x0000FFu);
    EXPECT_EQ(s.text_colours[10], 0x008000u);
    EXPECT_EQ(s.text_colours[11], 0x0000C0u);
    EXPECT_EQ(s.text_colours[12], 0xC00000u);
    EXPECT_EQ(s.text_colours[13], 0x000080u);
    EXPECT_EQ(s.text_colours[14], 0xFFFFFFu);
    for (int i = 0; i < 14; ++i) EXPECT_EQ(s.background_colours[i], 0xFFFFFFFFu);
    EXPECT_EQ(s.background_colours[14], 0x000000u);
    EXPECT_TRUE(s.keywords_cpp && s.keywords_lumora);
    EXPECT_EQ(s.tab_length, 4);
    EXPECT_EQ(s.platform_folder, "");
    EXPECT_EQ(s.compiler_folder, "");
    EXPECT_EQ(s.project_folder, "C:\\");
    EXPECT_TRUE(s.first_run);
    EXPECT_TRUE(s.window_rect.empty());
    EXPECT_FALSE(s.maximised);
    EXPECT_TRUE(s.output_visible && s.project_visible);
}

TEST(Settings, HostDefaultProjectFolderIsHome) {
    const char* home = std::getenv("HOME");
    if (!home || !*home) GTEST_SKIP() << "no HOME";
    std::string folder = default_project_folder(platform::PathStyle::Posix);
    EXPECT_EQ(folder.substr(0, std::string(home).size()), home);
    EXPECT_EQ(folder.back(), '/');
}

TEST(Settings, ValueRules) {
    MemorySettingsStore store;
    store.write_string("MainFrame", "Maximize", "true");
    store.write_string("MainFrame", "VisibleOutput", "yes");
    store.write_string("MainFrame", "VisibleProject", "False");
    store.write_string("MainFrame", "WindowRect", "10,20,30");
    store.write_number("Config", "TabLength", 0);
    store.write_string("Config", "C/C++", "");
    Settings s;
    load_settings(s, store, W);
    EXPECT_TRUE(s.maximised);       // case does not matter
    EXPECT_TRUE(s.output_visible);  // unknown word: the default
    EXPECT_FALSE(s.project_visible);
    EXPECT_TRUE(s.window_rect.empty());  // three numbers are not a rectangle
    EXPECT_EQ(s.tab_length, 4);
    EXPECT_TRUE(s.keywords_cpp);

    store.write_number("Config", "TabLength", static_cast<uint32_t>(-3));
    store.write_string("MainFrame", "WindowRect", "-5,6,700,800");
    store.write_string("MainFrame", "Maximize", "yes");
    load_settings(s, store, W);
    EXPECT_EQ(s.tab_length, 4);
    EXPECT_EQ(s.window_rect, (WindowRect{-5, 6, 700, 800}));
    EXPECT_FALSE(s.maximised);
    store.write_number("Config", "TabLength", 8);
    load_settings(s, store, W);
    EXPECT_EQ(s.tab_length, 8);

    EXPECT_EQ(parse_rect("1,2,3,4x"), (WindowRect{1, 2, 3, 4}));
    EXPECT_FALSE(parse_rect("a,2,3,4"));
    EXPECT_EQ(parse_rect(" 1, -2,+3,4"), (WindowRect{1, -2, 3, 4}));
    EXPECT_FALSE(parse_rect("1 ,2,3,4"));  // the comma must follow the number
    EXPECT_FALSE(parse_rect("1,2,3,"));
    EXPECT_FALSE(parse_rect("99999999999,0,1,1"));  // no wrap-around
    EXPECT_EQ(parse_rect("-2147483648,0,2147483647,1"), (WindowRect{INT_MIN, 0, INT_MAX, 1}));
    EXPECT_EQ(format_rect({-1, 0, 1024, 768}), "-1,0,1024,768");
}

TEST(Settings, MangledStoredValuesNeverBreakLoading) {
    std::mt19937 rng(7);
    const std::string alphabet = "0123456789,-+ \txTRUEfalse\x81\xFF";
    for (int i = 0; i < 3000; ++i) {
        std::string junk;
        for (size_t n = rng() % 24; n > 0; --n) junk += alphabet[rng() % alphabet.size()];
        MemorySettingsStore store;
        store.write_string("MainFrame", "WindowRect", junk);
        store.write_string("MainFrame", "Maximize", junk);
        store.write_number("Config", "TabLength", static_cast<uint32_t>(rng()));
        Settings s;
        load_settings(s, store, W);
        EXPECT_GT(s.tab_length, 0);
        // Whatever was accepted survives a write and a read unchanged.
        if (auto r = parse_rect(junk)) {
            EXPECT_EQ(parse_rect(format_rect(*r)), r);
            EXPECT_EQ(s.window_rect, *r);
        } else {
            EXPECT_EQ(s.window_rect, WindowRect{});
        }
    }
}

TEST(Settings, WindowRectangleIsStoredInWorkAreaCoordinates) {
    EXPECT_EQ(window_rect_to_store({100, 50, 900, 650}, 40, 0), (WindowRect{60, 50, 860, 650}));
    EXPECT_EQ(window_rect_to_store({100, 50, 900, 650}, 0, 30), (WindowRect{100, 20, 900, 620}));
    // A work area starting left of the screen (negative) shifts nothing.
    EXPECT_EQ(window_rect_to_store({100, 50, 900, 650}, -1280, -10), (WindowRect{100, 50, 900, 650}));
}

TEST(Settings, SaveOrderAndFirstRunAndLoadedGuard) {
    MemorySettingsStore store;
    Settings s = default_settings(W);
    EXPECT_TRUE(save_settings(s, store));  // never loaded: nothing written
    EXPECT_TRUE(store.write_log().empty());

    load_settings(s, store, W);
    s.tab_length = 2;
    s.window_rect = {1, 2, 3, 4};
    s.keywords_lumora = false;
    ASSERT_TRUE(save_settings(s, store));
    EXPECT_FALSE(s.loaded);

    std::vector<std::string> expected;
    for (const char* name : kColourClassNames) expected.push_back(std::string("TextColor/") + name);
    for (const char* name : kColourClassNames) expected.push_back(std::string("BGColor/") + name);
    for (const char* name :
         {"C/C++", "Lumora", "TabLength", "LumoraFolder", "DMCFolder", "ProjectFolder", "FirstRun"})
        expected.push_back(std::string("Config/") + name);
    for (const char* name : {"WindowRect", "Maximize", "VisibleOutput", "VisibleProject"})
        expected.push_back(std::string("MainFrame/") + name);
    EXPECT_EQ(store.write_log(), expected);
    EXPECT_EQ(store.read_string("Config", "FirstRun"), "FALSE");
    EXPECT_EQ(store.read_string("Config", "Lumora"), "FALSE");
    EXPECT_EQ(store.read_string("Config", "C/C++"), "TRUE");
    EXPECT_EQ(store.read_string("MainFrame", "WindowRect"), "1,2,3,4");
    EXPECT_EQ(store.read_number("Config", "TabLength"), 2u);

    // The second start reads what the first one left.
    Settings again;
    load_settings(again, store, W);
    EXPECT_FALSE(again.first_run);
    s.loaded = true;
    s.first_run = false;
    EXPECT_EQ(again, s);
}

TEST(Settings, ExitWritesRecentProjectsThenSettingsThenRecentFiles) {
    MemorySettingsStore store;
    Settings s;
    load_settings(s, store, W);
    RecentList projects = make_recent_project_list(W);
    RecentList files = make_recent_file_list(W);
    projects.add("C:\\p\\a.lmp");
    files.add("C:\\p\\a.c");
    ASSERT_TRUE(save_at_exit(s, projects, files, store));
    const auto& log = store.write_log();
    ASSERT_EQ(log.size(), 4u + 41u + 8u);
    EXPECT_EQ(log.front(), "Recent Project List/Project1");
    EXPECT_EQ(log[4], "TextColor/Default");
    EXPECT_EQ(log[45], "Recent File List/File1");
    EXPECT_EQ(log.back(), "Recent File List/File8");
}

TEST(OpenByPath, LmpExtensionOpensAProject) {
    EXPECT_EQ(open_kind_for_path("/x/demo.lmp"), OpenAs::Project);
    EXPECT_EQ(open_kind_for_path("C:\\X\\DEMO.LMP"), OpenAs::Project);
    EXPECT_EQ(open_kind_for_path("demo.Lmp"), OpenAs::Project);
    EXPECT_EQ(open_kind_for_path("demo.lmp.c"), OpenAs::Text);
    EXPECT_EQ(open_kind_for_path("lmp"), OpenAs::Text);
    EXPECT_EQ(open_kind_for_path("a.c"), OpenAs::Text);
    std::vector<std::string> calls;
    OpenHandlers h;
    h.open_project = [&](std::string_view p) { return calls.push_back("P " + std::string(p)), true; };
    h.open_text = [&](std::string_view p) { return calls.push_back("T " + std::string(p)), false; };
    EXPECT_FALSE(open_by_path("a.c", h));
    EXPECT_TRUE(open_by_path("b.LMP", h));
    EXPECT_EQ(calls, (std::vector<std::string>{"T a.c", "P b.LMP"}));
    EXPECT_FALSE(open_by_path("x.lmp", OpenHandlers{}));
}

}  // namespace
}  // namespace lumora::ide
