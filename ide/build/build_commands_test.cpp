#include "ide/build/build_commands.h"

#include <gtest/gtest.h>

namespace lumora::ide {
namespace {

using platform::PathStyle;

TEST(BuildCommands, WindowsExampleVerbatim) {
    const BuildFolders f = build_folders("C:\\work\\demo", "C:\\dm", "C:\\lumo", "bin", PathStyle::Windows);
    EXPECT_EQ(f.compiler_bin, "C:\\dm\\bin\\");
    EXPECT_EQ(f.platform, "C:\\lumo\\");
    EXPECT_EQ(f.output, "bin\\");

    const std::string demo = source_argument("C:\\work\\demo\\demo.c", f);
    const std::string io = source_argument("C:\\work\\demo\\sub\\io.c", f);
    EXPECT_EQ(demo, "demo.c");
    EXPECT_EQ(io, "sub\\io.c");
    const std::string demo_obj = object_path("C:\\work\\demo\\demo.c", f);
    const std::string io_obj = object_path("C:\\work\\demo\\sub\\io.c", f);
    EXPECT_EQ(demo_obj, "bin\\demo.Obj");
    EXPECT_EQ(io_obj, "bin\\io.Obj");

    EXPECT_EQ(compile_command(f, "-msw -NL -j0 -a1 -0 -o -Bj", demo, demo_obj),
              "C:\\dm\\bin\\sc -c -msw -NL -j0 -a1 -0 -o -Bj demo.c -obin\\demo.Obj -I\"C:\\lumo\\include\"");
    EXPECT_EQ(
        link_command(f, "/MAP /DETAILEDMAP /XREF", startup_object(3), {demo_obj, io_obj}, "demo"),
        "C:\\dm\\bin\\link /MAP /DETAILEDMAP /XREF C:\\lumo\\lib\\ctlmjpn2.obj bin\\demo.Obj bin\\io.Obj, "
        "bin\\demo, bin\\demo, C:\\lumo\\lib\\liblm.lib C:\\lumo\\lib\\liblmc.lib");
    EXPECT_EQ(convert_command(f, "demo"), "C:\\lumo\\bin\\romform bin\\demo.exe bin\\demo.bin");
    EXPECT_EQ(pack_command(f, "demo"), "C:\\lumo\\bin\\hdrpack demo.cf");
}

TEST(BuildCommands, HostEquivalentOfTheExample) {
    const BuildFolders f = build_folders("/home/u/demo", "/opt/dm/", "/opt/lumo", "bin", PathStyle::Posix);
    EXPECT_EQ(f.compiler_bin, "/opt/dm/bin/");  // no doubled separator
    const std::string obj = object_path("/home/u/demo/sub/io.c", f);
    EXPECT_EQ(obj, "bin/io.Obj");
    EXPECT_EQ(compile_command(f, "-o", source_argument("/home/u/demo/sub/io.c", f), obj),
              "/opt/dm/bin/sc -c -o sub/io.c -obin/io.Obj -I\"/opt/lumo/include\"");
    EXPECT_EQ(link_command(f, "/MAP", startup_object(0), {obj}, "demo"),
              "/opt/dm/bin/link /MAP /opt/lumo/lib/ctlmasc1.obj bin/io.Obj, bin/demo, bin/demo, "
              "/opt/lumo/lib/liblm.lib /opt/lumo/lib/liblmc.lib");
    EXPECT_EQ(convert_command(f, "demo"), "/opt/lumo/bin/romform bin/demo.exe bin/demo.bin");
}

TEST(BuildCommands, EmptyOutputFolderNamesTheProjectFolder) {
    const BuildFolders f = build_folders("C:\\p", "C:\\dm", "C:\\lumo\\", "", PathStyle::Windows);
    EXPECT_EQ(f.output, "");
    EXPECT_EQ(f.platform, "C:\\lumo\\");
    EXPECT_EQ(object_path("C:\\p\\src\\main.c", f), "main.Obj");
    EXPECT_EQ(link_command(f, "", startup_object(1), {"main.Obj"}, "demo"),
              "C:\\dm\\bin\\link  C:\\lumo\\lib\\ctlmasc2.obj main.Obj, demo, demo, C:\\lumo\\lib\\liblm.lib "
              "C:\\lumo\\lib\\liblmc.lib");
    EXPECT_EQ(convert_command(f, "demo"), "C:\\lumo\\bin\\romform demo.exe demo.bin");
}

TEST(BuildCommands, ObjectPathsAcrossFolders) {
    const BuildFolders f = build_folders("C:\\work\\demo", "C:\\dm", "C:\\lumo", "bin", PathStyle::Windows);
    // Two sources of one name share their object.
    EXPECT_EQ(object_path("C:\\work\\demo\\a\\x.c", f), "bin\\x.Obj");
    EXPECT_EQ(object_path("C:\\work\\demo\\b\\x.c", f), "bin\\x.Obj");
    // Only the last extension goes; a source outside the project folder keeps the output folder.
    EXPECT_EQ(object_path("C:\\work\\lib\\util.part.c", f), "bin\\util.part.Obj");
    const BuildFolders up =
        build_folders("C:\\work\\demo", "C:\\dm", "C:\\lumo", "..\\out", PathStyle::Windows);
    EXPECT_EQ(object_path("C:\\work\\demo\\main.c", up), "..\\out\\main.Obj");
    EXPECT_EQ(source_argument("C:\\work\\lib\\x.c", up), "..\\lib\\x.c");
    // An output folder typed with its separator is not doubled, in the link line neither.
    const BuildFolders typed = build_folders("C:\\w", "C:\\dm", "C:\\lumo", "bin\\", PathStyle::Windows);
    EXPECT_EQ(typed.output, "bin\\");
    EXPECT_EQ(convert_command(typed, "d"), "C:\\lumo\\bin\\romform bin\\d.exe bin\\d.bin");
}

TEST(BuildCommands, UnsetFoldersNeverPointAtTheSystemBin) {
    // Windows keeps the old meaning (the root of the current drive).
    EXPECT_EQ(build_folders("C:\\p", "", "", "", PathStyle::Windows).compiler_bin, "\\bin\\");
    // On this host /bin holds an unrelated "link"; an unset folder stays relative.
    const BuildFolders f = build_folders("/p", "", "", "", PathStyle::Posix);
    EXPECT_EQ(f.compiler_bin, "bin/");
    EXPECT_EQ(f.platform, "");
    EXPECT_EQ(pack_command(f, "d"), "bin/hdrpack d.cf");
}

TEST(BuildCommands, StartupObjectByDisplayMode) {
    EXPECT_EQ(startup_object(0), "ctlmasc1.obj");
    EXPECT_EQ(startup_object(1), "ctlmasc2.obj");
    EXPECT_EQ(startup_object(2), "ctlmjpn1.obj");
    EXPECT_EQ(startup_object(3), "ctlmjpn2.obj");
    EXPECT_EQ(startup_object(0xFFFF), "ctlmjpn2.obj");
}

TEST(BuildCommands, ElapsedTimeFormula) {
    EXPECT_EQ(elapsed_text(0), "00:00:00");
    EXPECT_EQ(elapsed_text(3723), "01:02:03");
    EXPECT_EQ(elapsed_text(59), "00:00:59");
    EXPECT_EQ(elapsed_text(86399), "23:59:59");
    EXPECT_EQ(elapsed_text(86400 + 3723), "01:02:03");  // hours wrap at a day
    EXPECT_EQ(elapsed_text(-5), "00:00:00");
    EXPECT_EQ(clock_text(7, 5, 9), "07:05:09");
}

}  // namespace
}  // namespace lumora::ide
