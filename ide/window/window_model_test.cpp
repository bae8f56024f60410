// The window's rules without a window: project tree, output pane keys,
// folder chooser, dialog checks, placement and the keyword database look-up.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "ide/window/dialog_checks.h"
#include "ide/window/folder_tree_model.h"
#include "ide/window/frame_rules.h"
#include "ide/window/output_pane_model.h"
#include "ide/window/project_tree_model.h"
#include "tests/support/scratch_folder_test.h"

namespace lumora::ide {
namespace {

constexpr auto P = platform::PathStyle::Posix;

ProjectRecord sample_record() {
    ProjectRecord r;
    add_file(r, "/p/main.c", P);
    add_file(r, "/p/gone.c", P);
    add_file(r, "/p/a.c", P);
    add_file(r, "/p/z.txt", P);
    return r;
}

TEST(ProjectTreeModel, HeadingsFilesLabelsAndSelection) {
    ProjectTreeModel tree;
    EXPECT_FALSE(tree.has_project());
    EXPECT_FALSE(tree.file_of({-1, -1}));

    const auto exists = [](const std::string& p) { return p != "/p/gone.c"; };
    tree.show_project(sample_record(), exists, P);
    ASSERT_EQ(tree.headings().size(), 3u);
    const auto& src = tree.headings()[0].files;
    ASSERT_EQ(src.size(), 3u);
    // List order; a file that is not on disk shows its full path.
    EXPECT_EQ(src[0].label, "a.c");
    EXPECT_EQ(src[1].label, "/p/gone.c");
    EXPECT_EQ(src[2].label, "main.c");
    EXPECT_TRUE(tree.headings()[1].files.empty());  // the header heading stays, without children
    EXPECT_EQ(tree.headings()[2].files.at(0).label, "z.txt");

    auto ref = tree.file_of({0, 2});
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->list, FileList::Sources);
    EXPECT_EQ(ref->index, 2u);
    EXPECT_EQ(ref->path, "/p/main.c");
    EXPECT_EQ(tree.file_of({2, 0})->list, FileList::Others);
    // Headings and out-of-range items name no file: delete does nothing there.
    EXPECT_FALSE(tree.file_of({0, -1}));
    EXPECT_FALSE(tree.file_of({1, 0}));
    EXPECT_FALSE(tree.file_of({3, 0}));

    tree.reset();
    EXPECT_FALSE(tree.has_project());
    EXPECT_TRUE(tree.headings().empty());
}

TEST(ProjectTreeModel, RebuildKeepsExpansionOpeningCollapses) {
    ProjectTreeModel tree;
    ProjectRecord r = sample_record();
    tree.show_project(r, {}, P);
    tree.set_expanded(0, true);
    tree.set_expanded(2, true);
    tree.set_expanded(2, false);
    add_file(r, "/p/b.c", P);
    tree.rebuild(r, {}, P);
    EXPECT_TRUE(tree.headings()[0].expanded);
    EXPECT_FALSE(tree.headings()[1].expanded);
    EXPECT_FALSE(tree.headings()[2].expanded);
    EXPECT_EQ(tree.headings()[0].files.size(), 4u);
    EXPECT_EQ(tree.headings()[0].files[1].label, "/p/b.c");  // no probe: nothing known to exist
    tree.show_project(r, {}, P);
    for (const auto& h : tree.headings()) EXPECT_FALSE(h.expanded);
}

OutputPaneModel pane(int rows, int cols, size_t lines) {
    OutputPaneModel m;
    m.set_viewport(rows, cols);
    m.appended(lines, 10);
    return m;
}

TEST(OutputPaneModel, FollowsRunningOutputOnlyFromTheLastLine) {
    OutputPaneModel m = pane(5, 40, 3);
    EXPECT_EQ(m.selected(), 2u);
    m.appended(20, 10);
    EXPECT_EQ(m.selected(), 19u);
    EXPECT_EQ(m.top(), 15);  // last line at the bottom
    m.key(PaneKey::right, false);
    m.appended(21, 10);
    EXPECT_EQ(m.left(), 0);  // following scrolls fully left
    m.key(PaneKey::up, false);
    EXPECT_EQ(m.selected(), 19u);
    m.appended(30, 10);
    EXPECT_EQ(m.selected(), 19u);  // the user looks elsewhere: stay
    EXPECT_EQ(m.top(), 16);
    m.cleared();
    EXPECT_FALSE(m.selected());
    m.appended(1, 10);
    EXPECT_EQ(m.selected(), 0u);
}

TEST(OutputPaneModel, KeysMoveTheSelectionAndScroll) {
    OutputPaneModel m = pane(6, 40, 100);
    m.key(PaneKey::home, true);
    EXPECT_EQ(m.selected(), 0u);
    EXPECT_EQ(m.top(), 0);
    m.key(PaneKey::up, false);  // stops at the ends
    EXPECT_EQ(m.selected(), 0u);
    m.key(PaneKey::page_down, false);  // half the rows
    EXPECT_EQ(m.selected(), 3u);
    m.key(PaneKey::page_down, false);
    m.key(PaneKey::page_down, false);
    EXPECT_EQ(m.selected(), 9u);
    EXPECT_EQ(m.top(), 4);  // kept visible
    m.key(PaneKey::page_up, false);
    EXPECT_EQ(m.selected(), 6u);

    // Horizontal: 256 cells wide, 40 visible.
    m.key(PaneKey::right, false);
    EXPECT_EQ(m.left(), 1);
    m.key(PaneKey::page_down, true);
    EXPECT_EQ(m.left(), 41);
    EXPECT_EQ(m.selected(), 6u);  // Ctrl+PgDn scrolls instead of moving
    m.key(PaneKey::end, false);
    EXPECT_EQ(m.left(), 256 - 40);
    m.key(PaneKey::right, false);
    EXPECT_EQ(m.left(), 256 - 40);
    m.key(PaneKey::page_up, true);
    EXPECT_EQ(m.left(), 256 - 80);
    m.key(PaneKey::home, false);
    EXPECT_EQ(m.left(), 0);
    EXPECT_EQ(m.selected(), 6u);
    m.key(PaneKey::left, false);
    EXPECT_EQ(m.left(), 0);
    m.key(PaneKey::right, false);
    m.key(PaneKey::end, true);  // fully left and the last line
    EXPECT_EQ(m.left(), 0);
    EXPECT_EQ(m.selected(), 99u);
    EXPECT_EQ(m.top(), 94);
    m.key(PaneKey::down, false);
    EXPECT_EQ(m.selected(), 99u);

    EXPECT_TRUE(m.key(PaneKey::enter, false));
    OutputPaneModel empty = pane(6, 40, 0);
    EXPECT_FALSE(empty.key(PaneKey::enter, false));
    empty.key(PaneKey::down, false);
    empty.click(3);
    EXPECT_FALSE(empty.selected());
}

TEST(OutputPaneModel, ClicksAreLimitedAndWideLinesWidenThePane) {
    OutputPaneModel m = pane(10, 40, 4);
    m.click(7);
    EXPECT_EQ(m.selected(), 3u);
    m.click(1);
    EXPECT_EQ(m.selected(), 1u);
    EXPECT_EQ(m.width(), 256);
    m.appended(5, 700);  // a line longer than the pane: all of it reachable
    EXPECT_EQ(m.width(), 700);
    m.key(PaneKey::end, false);
    EXPECT_EQ(m.left(), 660);
    m.set_viewport(1, 1);  // the smallest pane still has one row
    EXPECT_EQ(m.rows(), 1);
}

class ScriptedFolders : public FolderSource {
  public:
    std::map<std::string, std::vector<std::string>> tree;
    std::vector<FolderRoot> root_list;
    std::vector<std::string> asked;
    std::vector<FolderRoot> roots() override { return root_list; }
    std::vector<std::string> subfolders(const std::string& path) override {
        asked.push_back(path);
        auto it = tree.find(path);
        return it == tree.end() ? std::vector<std::string>{} : it->second;
    }
};

TEST(FolderTreeModel, LoadsOneLevelBelowWhatIsShown) {
    ScriptedFolders fs;
    fs.root_list = {{"/home/u", "/home/u"}, {"/", "/"}};
    fs.tree["/home/u/"] = {"work", ".cache", "bin"};
    fs.tree["/home/u/work/"] = {"demo", "lib"};
    fs.tree["/home/u/work/demo/"] = {"src"};
    fs.tree["/"] = {"usr", "home"};
    FolderTreeModel m(fs);
    m.load();
    ASSERT_EQ(m.roots().size(), 2u);
    const int home = m.roots()[0];
    EXPECT_EQ(m.selected(), home);
    EXPECT_TRUE(m.node(home).expanded);
    EXPECT_FALSE(m.node(m.roots()[1]).expanded);
    // Sorted, hidden folders left out; the children of the shown level are known.
    const auto& kids = m.node(home).children;
    ASSERT_EQ(kids.size(), 2u);
    EXPECT_EQ(m.node(kids[0]).label, "bin");
    const int work = kids[1];
    EXPECT_EQ(m.node(work).label, "work");
    EXPECT_TRUE(m.node(work).loaded);
    EXPECT_EQ(m.node(work).children.size(), 2u);
    const int demo = m.node(work).children[0];
    EXPECT_FALSE(m.node(demo).loaded);

    m.expand(work);
    EXPECT_TRUE(m.node(demo).loaded);
    EXPECT_EQ(m.path_of(demo), "/home/u/work/demo/");
    EXPECT_EQ(m.path_of(m.roots()[1]), "/");
    EXPECT_EQ(m.path_of(home), "/home/u/");

    m.collapse(work);
    EXPECT_FALSE(m.node(demo).loaded);  // grandchildren dropped
    EXPECT_TRUE(m.node(work).loaded);   // its own children stay visible-ready

    EXPECT_EQ(browse_field_text("/home/u/work/demo/"), "/home/u/work/demo/");
    EXPECT_EQ(browse_field_text("/home/u/x"), "/home/u/");
}

// /sys and the folders as a test lays them out.
class ScriptedMounts : public MountProbe {
  public:
    std::map<std::string, std::string> sys;
    std::vector<std::string> files;  // mount points that are not folders
    std::optional<std::string> read_sys_file(const std::string& path) override {
        auto it = sys.find(path);
        return it == sys.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool is_folder(const std::string& path) override {
        return std::find(files.begin(), files.end(), path) == files.end();
    }
};

std::vector<std::string> root_paths(std::string_view mountinfo, ScriptedMounts& probe) {
    std::vector<std::string> paths;
    for (const auto& r : folder_roots_from_mountinfo(mountinfo, "/home/u", probe)) paths.push_back(r.path);
    return paths;
}

TEST(FolderTreeModel, RootsAreHomeAndLocalDisksOnly) {
    ScriptedMounts probe;
    // sdb is a stick: its partition says nothing, the disk says removable.
    probe.sys["/sys/dev/block/8:17/partition"] = "1";
    probe.sys["/sys/dev/block/8:17/../removable"] = "1";
    probe.sys["/sys/dev/block/8:1/partition"] = "1";
    probe.sys["/sys/dev/block/8:1/../removable"] = "0";
    probe.sys["/sys/dev/block/8:32/removable"] = "0";  // a whole disk without partitions
    // btrfs reports a device number of its own; the source names the partition.
    probe.sys["/sys/class/block/sdd1/partition"] = "1";
    probe.sys["/sys/class/block/sdd1/../removable"] = "1";
    probe.files = {"/etc/hosts"};
    const std::string mountinfo =
        "22 1 0:21 / /sys rw,nosuid shared:7 - sysfs sysfs rw\n"
        "26 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "27 26 0:5 / /proc rw - proc proc rw\n"
        "28 26 0:25 / /run/user/1000 rw shared:3 - tmpfs tmpfs rw\n"
        "29 26 0:26 / /tmp rw - tmpfs tmpfs rw\n"
        "30 26 0:27 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
        "40 26 0:40 / /mnt/net rw - nfs4 server:/export rw\n"
        "41 26 0:41 / /mnt/smb rw - cifs //host/share rw\n"
        "42 26 0:42 / /mnt/ssh rw - fuse.sshfs u@host:/home rw\n"
        "43 26 0:43 / /mnt/odd rw - fuse.whatever otherhost:/data rw\n"
        "44 26 0:44 / /mnt/v9 rw - 9p hostshare rw\n"
        "50 26 8:17 / /mnt/stick rw,relatime shared:9 master:2 - vfat /dev/sdb1 rw\n"
        "51 26 8:33 / /media/u/DISK rw - ext4 /dev/sdc1 rw\n"
        "52 26 8:32 / /data\\040disk rw - ext4 /dev/sdc rw\n"
        "53 26 7:3 / /snap/core/1 ro - squashfs /dev/loop3 ro\n"
        "54 26 11:0 / /mnt/cd ro - iso9660 /dev/sr0 ro\n"
        "55 26 0:50 /@data /srv rw - btrfs /dev/sdd1 rw\n"
        "56 26 0:51 / /work rw - btrfs /dev/sde2 rw\n"
        "57 26 8:1 /var/lib/c/hosts /etc/hosts rw - ext4 /dev/sda1 rw\n"
        "58 26 8:1 / /data\\040disk rw - ext4 /dev/sda1 rw\n"
        "59 26 8:2 / /boot/efi rw - vfat /dev/sda2 rw\n"
        "60 26 0:60 / /pool rw - zfs tank/pool rw\n"
        "61 26 0:61 / /mnt/bad\n";
    EXPECT_EQ(root_paths(mountinfo, probe),
              (std::vector<std::string>{"/home/u", "/", "/data disk", "/work", "/pool"}));

    // A container: the root is an overlay, the home folder is a mount too.
    ScriptedMounts none;
    EXPECT_EQ(root_paths("1 0 0:30 / / rw - overlay overlay rw,lowerdir=/l\n"
                         "2 1 8:1 /h /home/u rw - ext4 /dev/sda1 rw\n",
                         none),
              (std::vector<std::string>{"/home/u", "/"}));
    EXPECT_EQ(root_paths("", none), (std::vector<std::string>{"/home/u"}));
}

TEST(DialogChecks, NamesThatWouldLeaveTheFolderAreRefused) {
    EXPECT_EQ(check_plain_name("demo"), NameProblem::none);
    EXPECT_EQ(check_plain_name("a..b"), NameProblem::none);
    EXPECT_EQ(check_plain_name("ﾃｽﾄ"), NameProblem::none);
    EXPECT_EQ(check_plain_name(""), NameProblem::empty);
    EXPECT_EQ(check_plain_name("../x"), NameProblem::separator);
    EXPECT_EQ(check_plain_name("a\\b"), NameProblem::separator);
    EXPECT_EQ(check_plain_name(".."), NameProblem::dot_name);
    EXPECT_EQ(check_plain_name("."), NameProblem::dot_name);
    EXPECT_EQ(*check_new_project_fields("", "/tmp"), kMsgNameEmpty);
    EXPECT_EQ(*check_new_file_fields("x.c", " "), kMsgFolderEmpty);
    EXPECT_EQ(*check_new_file_fields("../x.c", "/tmp"), kMsgNameSeparator);
    EXPECT_FALSE(check_new_project_fields("demo", "/tmp"));
}

class DialogFiles : public lumora::testing::ScratchFolderTest {};

TEST_F(DialogFiles, SpecialFilesAreRefusedAndNothingIsTruncated) {
    const std::string file = path("a.c");
    std::ofstream(file) << "keep";
    EXPECT_EQ(create_empty_file(file), CreateFileResult::exists);
    EXPECT_EQ(std::filesystem::file_size(file), 4u);
    EXPECT_EQ(create_empty_file(path("b.c")), CreateFileResult::created);
    EXPECT_EQ(std::filesystem::file_size(path("b.c")), 0u);
    EXPECT_EQ(create_empty_file(path("no/such/c.c")), CreateFileResult::failed);

    const std::string fifo = path("pipe.c");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(path_kind(fifo), PathKind::special);
    ASSERT_TRUE(refuse_unopenable(fifo));
    EXPECT_NE(refuse_unopenable(fifo)->find(fifo), std::string::npos);
    EXPECT_TRUE(refuse_unopenable("/dev/null"));
    EXPECT_TRUE(refuse_unopenable(dir_.string()));
    EXPECT_FALSE(refuse_unopenable(file));
    EXPECT_FALSE(refuse_unopenable(path("missing.c")));  // left to the opener's own message
    EXPECT_EQ(join_folder(dir_.string(), "x.c"), path("x.c"));
    EXPECT_EQ(join_folder(dir_.string() + "/", "x.c"), path("x.c"));
}

TEST(FrameRules, PlacementKeywordDatabaseAndQuitting) {
    const std::vector<WindowRect> screens = {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
    const WindowRect ok{100, 100, 900, 700};
    EXPECT_EQ(initial_frame_rect(ok, screens), ok);
    EXPECT_EQ(initial_frame_rect({2000, 50, 2600, 500}, screens), (WindowRect{2000, 50, 2600, 500}));
    EXPECT_FALSE(initial_frame_rect({}, screens));
    EXPECT_FALSE(initial_frame_rect({4000, 100, 4800, 700}, screens));  // the second screen was unplugged
    EXPECT_FALSE(initial_frame_rect({100, -500, 900, -10}, screens));   // title bar above every screen
    // A window narrower than the grab width counts when all of it shows.
    EXPECT_TRUE(initial_frame_rect({1900, 100, 1910, 700}, {{0, 0, 1920, 1080}}));
    EXPECT_FALSE(initial_frame_rect({-790, 100, 10, 700}, {{0, 0, 1920, 1080}}));  // 10 px showing

    std::set<std::string> present;
    auto exists = [&](const std::string& p) { return present.count(p) > 0; };
    EXPECT_EQ(keyword_database_path("/opt/l/bin", exists), "/opt/l/bin/Lumo.kdb");
    present.insert("/opt/l/bin/../share/lumora/Lumo.kdb");
    EXPECT_EQ(keyword_database_path("/opt/l/bin", exists), "/opt/l/bin/../share/lumora/Lumo.kdb");
    present.insert("/opt/l/bin/Lumo.kdb");
    EXPECT_EQ(keyword_database_path("/opt/l/bin/", exists), "/opt/l/bin/Lumo.kdb");

    BusyState busy;
    EXPECT_TRUE(busy.try_begin(BusyKind::build));
    EXPECT_FALSE(busy.try_begin(BusyKind::serial));
    EXPECT_EQ(busy.kind(), BusyKind::build);
    busy.request_cancel();
    EXPECT_TRUE(busy.cancel_requested());
    busy.end();
    EXPECT_FALSE(busy.cancel_requested());
    busy.request_cancel();
    EXPECT_FALSE(busy.cancel_requested());
    EXPECT_EQ(quit_decision(BusyKind::none), QuitDecision::quit);
    EXPECT_EQ(quit_decision(BusyKind::find), QuitDecision::stop_find_then_quit);
    EXPECT_EQ(quit_decision(BusyKind::serial), QuitDecision::refuse_building);
}

// A long activity handles the window's events at most every 30 ms, however
// often it pumps: the first pump at once, then again once the interval passed.
TEST(PumpThrottleTest, EventsAtMostEveryInterval) {
    PumpThrottle throttle;
    const auto t0 = PumpThrottle::Clock::time_point{} + std::chrono::seconds(100);
    EXPECT_TRUE(throttle.due(t0));
    EXPECT_FALSE(throttle.due(t0));
    EXPECT_FALSE(throttle.due(t0 + std::chrono::milliseconds(29)));
    EXPECT_TRUE(throttle.due(t0 + std::chrono::milliseconds(30)));
    EXPECT_FALSE(throttle.due(t0 + std::chrono::milliseconds(45)));
    EXPECT_TRUE(throttle.due(t0 + std::chrono::milliseconds(61)));
}

}  // namespace
}  // namespace lumora::ide
