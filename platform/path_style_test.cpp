#include "platform/path_style.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lumora::platform {
namespace {

constexpr PathStyle W = PathStyle::Windows;
constexpr PathStyle P = PathStyle::Posix;

TEST(PathStyleRelative, WindowsExamplesStoreAndReadBack) {
    const std::string folder = "C:\\work\\demo";
    EXPECT_EQ(make_relative("C:\\work\\demo\\src\\main.c", folder, W), "src\\main.c");
    EXPECT_EQ(make_relative("D:\\inc\\a.h", folder, W), "D:\\inc\\a.h");
    EXPECT_EQ(make_relative("C:\\work\\lib\\x.c", folder, W), "..\\lib\\x.c");
    EXPECT_EQ(make_absolute("..\\lib\\x.c", folder, W), "C:\\work\\lib\\x.c");
    EXPECT_EQ(make_absolute("src\\main.c", folder, W), "C:\\work\\demo\\src\\main.c");
    EXPECT_EQ(make_absolute("D:\\inc\\a.h", folder, W), "D:\\inc\\a.h");
    // Components compare with case: Work is not work.
    EXPECT_EQ(make_relative("C:\\Work\\x.c", folder, W), "..\\..\\Work\\x.c");
    EXPECT_EQ(make_absolute("..\\..\\Work\\x.c", folder, W), "C:\\Work\\x.c");
}

TEST(PathStyleRelative, WindowsSpecialForms) {
    // Not absolute: written unchanged.
    EXPECT_EQ(make_relative("sub\\a.c", "C:\\p", W), "sub\\a.c");
    // UNC paths are absolute and never share a first component with a drive.
    EXPECT_EQ(make_relative("\\\\srv\\share\\a.c", "C:\\p", W), "\\\\srv\\share\\a.c");
    EXPECT_EQ(make_absolute("\\\\srv\\share\\a.c", "C:\\p", W), "\\\\srv\\share\\a.c");
    // A trailing separator on the folder changes nothing.
    EXPECT_EQ(make_relative("C:\\p\\q\\a.c", "C:\\p\\", W), "q\\a.c");
    // The folder itself relative to itself is empty, and reads back as the folder.
    EXPECT_EQ(make_relative("C:\\p\\a.c", "C:\\p", W), "a.c");
    // More ".." than the folder has stop at the drive.
    EXPECT_EQ(make_absolute("..\\..\\..\\..\\x.c", "C:\\a\\b", W), "C:\\x.c");
}

TEST(PathStyleRelative, ShiftJisTrailByteIsNotASeparator) {
    // "表" is 0x95 0x5C: its trail byte equals "\".
    const std::string hyo = "\x95\x5C";
    const std::string folder = "C:\\" + hyo + "\\demo";
    EXPECT_EQ(split_components(folder, W).size(), 3u);
    EXPECT_EQ(make_relative("C:\\" + hyo + "\\demo\\a.c", folder, W), "a.c");
    EXPECT_EQ(make_absolute("..\\x.c", folder, W), "C:\\" + hyo + "\\x.c");
    EXPECT_EQ(file_name_of("C:\\" + hyo, W), hyo);
}

TEST(PathStyleRelative, HostEquivalents) {
    const std::string folder = "/home/u/work/demo";
    EXPECT_EQ(make_relative("/home/u/work/demo/src/main.c", folder, P), "src/main.c");
    EXPECT_EQ(make_relative("/home/u/work/lib/x.c", folder, P), "../lib/x.c");
    EXPECT_EQ(make_absolute("../lib/x.c", folder, P), "/home/u/work/lib/x.c");
    EXPECT_EQ(make_relative("/home/u/Work/x.c", folder, P), "../../Work/x.c");
    EXPECT_EQ(make_relative("/opt/inc/a.h", folder, P), "../../../../opt/inc/a.h");
    EXPECT_EQ(make_absolute("../../../../opt/inc/a.h", folder, P), "/opt/inc/a.h");
    EXPECT_EQ(make_absolute("../../../../../../etc/x", folder, P), "/etc/x");
    EXPECT_EQ(make_relative("rel/a.c", folder, P), "rel/a.c");
    EXPECT_EQ(make_absolute("/abs/a.c", folder, P), "/abs/a.c");
    // The root folder, and no folder at all.
    EXPECT_EQ(make_relative("/a.c", "/", P), "a.c");
    EXPECT_EQ(make_absolute("a.c", "/", P), "/a.c");
    EXPECT_EQ(make_relative("/x/a.c", "", P), "/x/a.c");
    EXPECT_EQ(make_absolute("src/a.c", "", P), "src/a.c");
}

TEST(PathStyleStoredForm, HostPathsTravelInWindowsForm) {
    EXPECT_EQ(to_stored_form("../lib/x.c", P), "..\\lib\\x.c");
    EXPECT_EQ(from_stored_form("..\\lib\\x.c", P), "../lib/x.c");
    // UTF-8 in memory, Shift-JIS in the file ("表" again, with its 0x5C trail).
    EXPECT_EQ(to_stored_form("src/\xE8\xA1\xA8.c", P), "src\\\x95\x5C.c");
    EXPECT_EQ(from_stored_form("src\\\x95\x5C.c", P), "src/\xE8\xA1\xA8.c");
    // The Windows style stores what it holds.
    EXPECT_EQ(to_stored_form("a\\b.c", W), "a\\b.c");
    EXPECT_EQ(from_stored_form("a\\b.c", W), "a\\b.c");
    // Bytes that are no Shift-JIS are kept, not replaced.
    EXPECT_EQ(from_stored_form("x\\\x81.c", P), "x/\x81.c");
}

// Names with characters code page 932 lacks (accents, simplified Chinese,
// Hangul) are stored as UTF-8 and must come back as they were, separators
// included, however their bytes would read as Shift-JIS.
TEST(PathStyleStoredForm, NamesShiftJisCannotHoldReadBackUnchanged) {
    for (const char* path : {"sub\xC3\xA9/main.c", "sub\xE4\xB8\x82/main.c", "\xED\x95\x9C/a/b.c",
                             "\xE8\xAF\x9D/\xE8\xBF\x99.c", "../\xC3\xB1o/x.h"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(from_stored_form(to_stored_form(path, P), P), path);
    }
}

TEST(PathStyleNames, ExtensionStemAndJoin) {
    EXPECT_EQ(extension_of("C:\\a.b\\file", W), "");
    EXPECT_EQ(extension_of("C:\\a\\file.tar.gz", W), "gz");
    EXPECT_EQ(extension_of("/a.b/file", P), "");
    EXPECT_EQ(extension_of("/a/f.C", P), "C");
    EXPECT_EQ(stem_of("src\\main.c", W), "main");
    EXPECT_EQ(stem_of("src/noext", P), "noext");
    EXPECT_EQ(join("C:\\p", "a.c", W), "C:\\p\\a.c");
    EXPECT_EQ(join("C:\\p\\", "a.c", W), "C:\\p\\a.c");
    EXPECT_EQ(join("", "a.c", P), "a.c");
    EXPECT_EQ(with_trailing_separator("bin", P), "bin/");
    EXPECT_EQ(folder_of("/x/y/z.lmp", P), "/x/y");
    EXPECT_EQ(folder_of("z.lmp", P), "");
}

TEST(PathStyleNames, AbsoluteOnHost) {
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(absolute_on_host("demo.lmp", P), cwd + "/demo.lmp");
    EXPECT_EQ(absolute_on_host("./x/../demo.lmp", P), cwd + "/demo.lmp");
    EXPECT_EQ(absolute_on_host("/abs/demo.lmp", P), "/abs/demo.lmp");
    EXPECT_EQ(absolute_on_host("demo.lmp", W), "demo.lmp");
    EXPECT_EQ(absolute_on_host("", P), "");
}

TEST(PathStyleNames, CaseKeys) {
    EXPECT_TRUE(same_path_ignoring_case("C:\\P\\Main.C", "c:\\p\\main.c", W));
    // Double-byte Latin letters fold on Windows ("ａ" 0x8281 -> "Ａ" 0x8260).
    EXPECT_EQ(upper_key("\x82\x81", W), "\x82\x60");
    // POSIX keys fold ASCII only and leave UTF-8 alone.
    EXPECT_EQ(upper_key("a\xC3\xA9", P), "A\xC3\xA9");
    EXPECT_TRUE(is_absolute("c:x", W));
    EXPECT_FALSE(is_absolute("\\x", W));
    EXPECT_FALSE(is_absolute("", P));
}

}  // namespace
}  // namespace lumora::platform
