#include "ide/app/recent_list.h"

#include <gtest/gtest.h>

namespace lumora::ide {
namespace {

using platform::MemorySettingsStore;
constexpr auto W = platform::PathStyle::Windows;
constexpr auto P = platform::PathStyle::Posix;

TEST(RecentList, NewestFirstBoundedAndMovedToFront) {
    RecentList list = make_recent_project_list(W);
    EXPECT_EQ(list.capacity(), 4);
    for (const char* p : {"C:\\a.lmp", "C:\\b.lmp", "C:\\c.lmp", "C:\\d.lmp", "C:\\e.lmp"}) list.add(p);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"C:\\e.lmp", "C:\\d.lmp", "C:\\c.lmp", "C:\\b.lmp"}));
    list.add("c:\\C.LMP");  // same file on Windows: moved up, spelled as now
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"c:\\C.LMP", "C:\\e.lmp", "C:\\d.lmp", "C:\\b.lmp"}));
    EXPECT_TRUE(list.remove(1));
    EXPECT_FALSE(list.remove(3));
    EXPECT_EQ(list.size(), 3u);

    RecentList host("Recent File List", "File%d", 8, 30, P);
    host.add("/a/x.c");
    host.add("/a/X.c");  // a different file here
    EXPECT_EQ(host.size(), 2u);
}

TEST(RecentList, AnEntryThatFailsToOpenIsRemoved) {
    RecentList list = make_recent_project_list(W);
    list.add("C:\\gone.lmp");
    list.add("C:\\ok.lmp");
    // Opening re-adds the path, as the IDE does for every opened project.
    auto open = [&](const std::string& p) {
        if (p == "C:\\gone.lmp") return false;
        list.add(p);
        return true;
    };
    EXPECT_TRUE(list.open_entry(0, open));
    EXPECT_FALSE(list.open_entry(1, open));
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"C:\\ok.lmp"}));
    EXPECT_FALSE(list.open_entry(5, open));

    EXPECT_EQ(recent_command(57616)->index, 0u);
    EXPECT_TRUE(recent_command(57619)->project);
    EXPECT_FALSE(recent_command(57620)->project);
    EXPECT_EQ(recent_command(57627)->index, 7u);
    EXPECT_FALSE(recent_command(57628));
    EXPECT_FALSE(recent_command(57615));
}

TEST(RecentList, ReadsAndWritesItsSection) {
    MemorySettingsStore store;
    store.write_string("Recent Project List", "Project1", "C:\\one.lmp");
    store.write_string("Recent Project List", "Project3", "C:\\three.lmp");
    store.write_string("Recent Project List", "Project5", "C:\\ignored.lmp");
    RecentList list = make_recent_project_list(W);
    list.read(store);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"C:\\one.lmp", "C:\\three.lmp"}));
    list.remove(0);
    ASSERT_TRUE(list.write(store));
    EXPECT_EQ(store.read_string("Recent Project List", "Project1"), "C:\\three.lmp");
    // Slots beyond the list are cleared so nothing stale comes back.
    EXPECT_EQ(store.read_string("Recent Project List", "Project2"), "");
    RecentList again = make_recent_project_list(W);
    again.read(store);
    EXPECT_EQ(again.entries(), (std::vector<std::string>{"C:\\three.lmp"}));
    EXPECT_EQ(make_recent_file_list(W).entry_name(7), "File8");
}

TEST(RecentList, DisplayFormFitsThirtyCharacters) {
    EXPECT_EQ(abbreviate_path("C:\\short\\demo.lmp", 30, W), "C:\\short\\demo.lmp");
    const std::string longer = "C:\\Projects\\handheld\\games\\space\\demo.lmp";
    std::string shown = abbreviate_path(longer, 30, W);
    EXPECT_EQ(shown, "C:\\Projects\\...\\space\\demo.lmp");
    EXPECT_LE(shown.size(), 30u);
    EXPECT_EQ(abbreviate_path("/home/someone/projects/handheld/demo/demo.lmp", 30, P),
              "/home/.../demo/demo.lmp");
    // Not even root\...\name fits: the name alone, even when it is longer.
    EXPECT_EQ(abbreviate_path("C:\\averyveryverylongfolder\\x\\name_that_is_long.lmp", 30, W),
              "name_that_is_long.lmp");
    EXPECT_EQ(abbreviate_path("C:\\d\\a_file_name_longer_than_thirty.lmp", 30, W),
              "a_file_name_longer_than_thirty.lmp");
    EXPECT_EQ(abbreviate_path("C:nofolderbutveryveryverylongname.lmp", 30, W),
              "C:nofolderbutveryveryverylongname.lmp");
    EXPECT_EQ(abbreviate_path("\\\\server\\share\\deep\\deeper\\file.lmp", 30, W),
              "\\\\server\\share\\...\\file.lmp");
}

TEST(RecentList, MenuItemsAndTheEmptyPlaceholder) {
    RecentList list = make_recent_project_list(W);
    auto items = list.menu_items(kRecentProjectEmpty);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].text, "最新のﾌﾟﾛｼﾞｪｸﾄ");
    EXPECT_FALSE(items[0].enabled);
    list.add("C:\\a&b.lmp");
    list.add("C:\\c.lmp");
    items = list.menu_items(kRecentProjectEmpty);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, "&1 C:\\c.lmp");
    EXPECT_EQ(items[1].text, "&2 C:\\a&&b.lmp");
    EXPECT_TRUE(items[1].enabled);
    EXPECT_EQ(make_recent_file_list(W).menu_items(kRecentFileEmpty)[0].text, "最新のﾌｧｲﾙ");
}

}  // namespace
}  // namespace lumora::ide
