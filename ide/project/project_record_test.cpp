#include "ide/project/project_record.h"

#include <gtest/gtest.h>

#include "ide/project/option_line.h"

namespace lumora::ide {
namespace {

constexpr auto W = platform::PathStyle::Windows;
constexpr auto P = platform::PathStyle::Posix;

std::vector<std::string> source_paths(const ProjectRecord& r) {
    std::vector<std::string> out;
    for (const auto& s : r.sources) out.push_back(s.path);
    return out;
}

TEST(ProjectRecord, DefaultsOfANewProject) {
    ProjectRecord r;
    EXPECT_EQ(r.compile_options, "-msw -NL -j0 -a1 -0 -o -Bj");
    EXPECT_EQ(r.link_options, "/MAP /DETAILEDMAP /XREF");
    EXPECT_EQ(r.display_mode, 3);
    EXPECT_FALSE(r.auto_transfer);
    EXPECT_TRUE(r.output_folder.empty());
}

TEST(ProjectRecord, ExtensionRulePicksTheList) {
    EXPECT_EQ(list_for_extension("C:\\p\\a.c", W), FileList::Sources);
    EXPECT_EQ(list_for_extension("C:\\p\\a.CPP", W), FileList::Sources);
    EXPECT_EQ(list_for_extension("C:\\p\\a.inl", W), FileList::Headers);
    EXPECT_EQ(list_for_extension("C:\\p\\a.H", W), FileList::Headers);
    EXPECT_EQ(list_for_extension("C:\\p\\b.s", W), FileList::Others);
    EXPECT_EQ(list_for_extension("C:\\p\\Makefile", W), FileList::Others);
    // A "." in a folder name is no extension.
    EXPECT_EQ(list_for_extension("C:\\p.c\\readme", W), FileList::Others);
    EXPECT_EQ(list_for_extension("/p.c/readme", P), FileList::Others);
    EXPECT_EQ(list_for_extension("/p/x.cc", P), FileList::Others);
}

TEST(ProjectRecord, ListsStaySortedInUpperCaseAndRefuseDuplicates) {
    ProjectRecord r;
    EXPECT_EQ(add_file(r, "C:\\p\\main.c", W), FileList::Sources);
    EXPECT_EQ(add_file(r, "C:\\p\\Main.C", W), FileList::None);
    EXPECT_EQ(add_file(r, "C:\\p\\b.c", W), FileList::Sources);
    EXPECT_EQ(add_file(r, "C:\\p\\_u.c", W), FileList::Sources);
    EXPECT_EQ(add_file(r, "C:\\p\\Zed.c", W), FileList::Sources);
    // Upper case before comparing: "_" (0x5F) sorts after "Z" (0x5A), but
    // before lower-case letters would have.
    EXPECT_EQ(source_paths(r),
              (std::vector<std::string>{"C:\\p\\b.c", "C:\\p\\main.c", "C:\\p\\Zed.c", "C:\\p\\_u.c"}));
    EXPECT_EQ(add_file(r, "C:\\p\\a.inl", W), FileList::Headers);
    EXPECT_EQ(add_file(r, "C:\\p\\b.s", W), FileList::Others);
    EXPECT_EQ(add_file(r, "C:\\p\\noext", W), FileList::Others);
    EXPECT_EQ(r.others.size(), 2u);
    EXPECT_EQ(r.others[0].path, "C:\\p\\b.s");
    EXPECT_TRUE(r.sources[0].texts.empty());
    EXPECT_TRUE(r.others[0].text1.empty() && r.others[0].text2.empty());
}

TEST(ProjectRecord, InWhichListQuery) {
    ProjectRecord r;
    add_file(r, "C:\\p\\main.c", W);
    add_file(r, "C:\\p\\a.h", W);
    add_file(r, "C:\\p\\x.txt", W);
    EXPECT_EQ(find_list(r, "c:\\P\\MAIN.C", W), FileList::Sources);
    EXPECT_EQ(find_list(r, "C:\\p\\A.H", W), FileList::Headers);
    EXPECT_EQ(find_list(r, "C:\\p\\x.TXT", W), FileList::Others);
    EXPECT_EQ(find_list(r, "C:\\p\\other.c", W), FileList::None);
    EXPECT_EQ(static_cast<int>(find_list(r, "C:\\p\\other.c", W)), -1);
}

TEST(ProjectRecord, RemoveByListAndIndex) {
    ProjectRecord r;
    add_file(r, "/p/a.c", P);
    add_file(r, "/p/b.c", P);
    EXPECT_FALSE(remove_file(r, FileList::Sources, 2));
    EXPECT_FALSE(remove_file(r, FileList::None, 0));
    EXPECT_FALSE(remove_file(r, FileList::Headers, 0));
    EXPECT_TRUE(remove_file(r, FileList::Sources, 0));
    ASSERT_EQ(r.sources.size(), 1u);
    EXPECT_EQ(*item_path(r, FileList::Sources, 0), "/p/b.c");
    EXPECT_EQ(item_path(r, FileList::Sources, 1), nullptr);
}

}  // namespace
}  // namespace lumora::ide
