#include "ide/project/project_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "common/le_bytes.h"
#include "ide/project/archive_text.h"

namespace lumora::ide {
namespace {

constexpr auto W = platform::PathStyle::Windows;
constexpr auto P = platform::PathStyle::Posix;

// Hand-made file pieces, written without the code under test.
void short_text(ByteWriter& w, const std::string& s) {
    w.u8(static_cast<uint8_t>(s.size()));
    w.text(s);
}

// A minimal valid file: one source with one extra text, one header, one
// other item, with the given tail.
std::vector<uint8_t> hand_made(uint8_t auto_byte = 1) {
    std::vector<uint8_t> bytes;
    ByteWriter w(bytes);
    w.u16(7).u16(9);  // format words are not checked
    short_text(w, "demo");
    short_text(w, "-o");
    short_text(w, "/MAP");
    short_text(w, "bin");
    w.u16(2);
    w.u16(1);
    short_text(w, "src\\main.c");
    w.u16(1);
    short_text(w, "..\\lib\\x.c");
    w.u16(1);
    short_text(w, "D:\\inc\\a.h");
    w.u16(1);
    short_text(w, "notes.txt");
    short_text(w, "t1");
    short_text(w, "");
    w.u8(auto_byte);
    short_text(w, "info");
    short_text(w, "res.fr");
    return bytes;
}

TEST(ProjectFile, ReadsAHandMadeFileWithWindowsPaths) {
    ProjectLoadResult r = decode_project(hand_made(), "C:\\work\\demo", W);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.record.name, "demo");
    EXPECT_EQ(r.record.compile_options, "-o");
    EXPECT_EQ(r.record.link_options, "/MAP");
    EXPECT_EQ(r.record.output_folder, "bin");
    EXPECT_EQ(r.record.display_mode, 2);
    ASSERT_EQ(r.record.sources.size(), 1u);
    EXPECT_EQ(r.record.sources[0].path, "C:\\work\\demo\\src\\main.c");
    EXPECT_EQ(r.record.sources[0].texts, (std::vector<std::string>{"C:\\work\\lib\\x.c"}));
    ASSERT_EQ(r.record.headers.size(), 1u);
    EXPECT_EQ(r.record.headers[0].path, "D:\\inc\\a.h");
    ASSERT_EQ(r.record.others.size(), 1u);
    EXPECT_EQ(r.record.others[0].path, "C:\\work\\demo\\notes.txt");
    EXPECT_EQ(r.record.others[0].text1, "t1");
    EXPECT_TRUE(r.record.auto_transfer);
    EXPECT_EQ(r.record.description, "info");
    EXPECT_EQ(r.record.linked_resource, "res.fr");
}

TEST(ProjectFile, SameFileOnThisHostGivesHostPaths) {
    ProjectLoadResult r = decode_project(hand_made(), "/home/u/demo", P);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.record.sources[0].path, "/home/u/demo/src/main.c");
    EXPECT_EQ(r.record.sources[0].texts[0], "/home/u/lib/x.c");
    EXPECT_EQ(r.record.others[0].path, "/home/u/demo/notes.txt");
    EXPECT_EQ(r.record.output_folder, "bin");
}

TEST(ProjectFile, AutoTransferIsOnOnlyForOne) {
    EXPECT_FALSE(decode_project(hand_made(2), "C:\\p", W).record.auto_transfer);
    EXPECT_FALSE(decode_project(hand_made(0), "C:\\p", W).record.auto_transfer);
    EXPECT_FALSE(decode_project(hand_made(0xFF), "C:\\p", W).record.auto_transfer);
    EXPECT_TRUE(decode_project(hand_made(1), "C:\\p", W).record.auto_transfer);
}

TEST(ProjectFile, CutShortAnywhereIsRefused) {
    const std::vector<uint8_t> full = hand_made();
    ASSERT_TRUE(decode_project(full, "C:\\p", W).ok());
    for (size_t n = 0; n < full.size(); ++n) {
        std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        ProjectLoadResult r = decode_project(cut, "C:\\p", W);
        EXPECT_EQ(r.error, ProjectFileError::Malformed) << "length " << n;
        EXPECT_EQ(r.record, ProjectRecord{});
    }
    // Bytes after the last field are ignored.
    std::vector<uint8_t> longer = full;
    longer.push_back(0x42);
    EXPECT_TRUE(decode_project(longer, "C:\\p", W).ok());
}

TEST(ProjectFile, ArchiveTextLengthForms) {
    for (size_t len :
         {size_t{0}, size_t{254}, size_t{255}, size_t{300}, size_t{0xFFFD}, size_t{0xFFFE}, size_t{70000}}) {
        std::vector<uint8_t> bytes;
        ByteWriter w(bytes);
        write_archive_text(w, std::string(len, 'n'));
        size_t header = len <= 254 ? 1 : len <= 0xFFFD ? 3 : 7;
        ASSERT_EQ(bytes.size(), header + len) << len;
        if (header == 3) {
            EXPECT_EQ(bytes[0], 0xFF);
            EXPECT_EQ(load_u16le(&bytes[1]), len);
        }
        if (header == 7) {
            EXPECT_EQ(load_u16le(&bytes[1]), 0xFFFF);
            EXPECT_EQ(load_u32le(&bytes[3]), len);
        }
        ByteReader r(bytes.data(), bytes.size());
        auto back = read_archive_text(r);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->size(), len);
        EXPECT_TRUE(r.at_end());
    }
}

TEST(ProjectFile, NameOf300BytesUsesTheSixteenBitForm) {
    ProjectRecord rec;
    rec.name = std::string(300, 'x');
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(encode_project(rec, "C:\\p", bytes, W));
    EXPECT_EQ(bytes[4], 0xFF);
    EXPECT_EQ(load_u16le(&bytes[5]), 300);
    EXPECT_EQ(decode_project(bytes, "C:\\p", W).record.name, rec.name);
}

TEST(ProjectFile, Utf16TextIsReadAsShiftJis) {
    // Replace the name "demo" of the hand-made file by UTF-16 "デモa" and,
    // for the description, a UTF-16 text whose count uses the 16-bit form.
    std::vector<uint8_t> bytes;
    ByteWriter w(bytes);
    w.u16(1).u16(0);
    w.u8(0xFF).u16(0xFFFE).u8(3).u16(0x30C7).u16(0x30E2).u16('a');
    for (int i = 0; i < 3; ++i) short_text(w, "");
    w.u16(3).u16(0).u16(0).u16(0).u8(0);
    w.u8(0xFF).u16(0xFFFE).u8(0xFF).u16(300);
    for (int i = 0; i < 300; ++i) w.u16('z');
    // A lone surrogate becomes "?".
    w.u8(0xFF).u16(0xFFFE).u8(1).u16(0xD800);
    ProjectLoadResult r = decode_project(bytes, "C:\\p", W);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.record.name,
              "\x83\x66\x83\x82"
              "a");
    EXPECT_EQ(r.record.description, std::string(300, 'z'));
    EXPECT_EQ(r.record.linked_resource, "?");
    // A UTF-16 count larger than the bytes left is refused, not allocated.
    std::vector<uint8_t> bad;
    ByteWriter b(bad);
    b.u16(1).u16(0).u8(0xFF).u16(0xFFFE).u8(0xFF).u16(0xFFFF).u32(0x7FFFFFFF);
    EXPECT_EQ(decode_project(bad, "C:\\p", W).error, ProjectFileError::Malformed);
}

ProjectRecord sample(const std::string& root, platform::PathStyle style) {
    const char sep = platform::separator(style);
    ProjectRecord r;
    r.name = "demo";
    r.description = "\x83\x66\x83\x82";  // Shift-JIS text stays bytes
    r.output_folder = "out";
    r.display_mode = 1;
    r.auto_transfer = true;
    r.linked_resource = "pic.fr";
    add_file(r, root + sep + "demo" + sep + "main.c", style);
    add_file(r, root + sep + "lib" + sep + "util.c", style);
    add_file(r, root + sep + "demo" + sep + "inc" + sep + "a.h", style);
    add_file(r, root + sep + "demo" + sep + "readme", style);
    r.sources[0].texts = {root + sep + "demo" + sep + "dep.c"};
    r.others[0].text1 = "keep";
    r.others[0].text2 = std::string(260, 'k');
    return r;
}

TEST(ProjectFile, RoundTripsInBothStyles) {
    ProjectRecord win = sample("C:\\work", W);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(encode_project(win, "C:\\work\\demo", bytes, W));
    ProjectLoadResult back = decode_project(bytes, "C:\\work\\demo", W);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.record, win);

    ProjectRecord host = sample("/home/u/work", P);
    std::vector<uint8_t> host_bytes;
    ASSERT_TRUE(encode_project(host, "/home/u/work/demo", host_bytes, P));
    // The host writes exactly what Windows writes: the file travels.
    EXPECT_EQ(host_bytes, bytes);
    back = decode_project(host_bytes, "/home/u/work/demo", P);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.record, host);
    // Opened on "Windows", the host's project has Windows paths.
    EXPECT_EQ(decode_project(host_bytes, "C:\\work\\demo", W).record.sources[1].path,
              "C:\\work\\lib\\util.c");
}

TEST(ProjectFile, WritingFixedFieldsInOrder) {
    ProjectRecord r;
    r.name = "n";
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(encode_project(r, "C:\\p", bytes, W));
    // clang-format off
    const std::vector<uint8_t> expected = {
        1, 0, 0, 0,                                              // format words
        1, 'n',                                                  // name
        26, '-', 'm', 's', 'w', ' ', '-', 'N', 'L', ' ', '-', 'j', '0', ' ', '-', 'a', '1', ' ', '-', '0', ' ',
        '-', 'o', ' ', '-', 'B', 'j',                            // compile options
        23, '/', 'M', 'A', 'P', ' ', '/', 'D', 'E', 'T', 'A', 'I', 'L', 'E', 'D', 'M', 'A', 'P', ' ', '/', 'X',
        'R', 'E', 'F',                                           // link options
        0,                                                       // output folder
        3, 0,                                                    // display mode
        0, 0, 0, 0, 0, 0,                                        // three empty lists
        0,                                                       // auto transfer
        0, 0,                                                    // description, resource
    };
    // clang-format on
    EXPECT_EQ(bytes, expected);
}

TEST(ProjectFile, MutatedFilesNeverCrash) {
    std::vector<uint8_t> seed;
    ASSERT_TRUE(encode_project(sample("C:\\work", W), "C:\\work\\demo", seed, W));
    std::mt19937 rng(99);
    int opened = 0;
    for (int i = 0; i < 3000; ++i) {
        std::vector<uint8_t> m = seed;
        int flips = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < flips; ++k) {
            size_t pos = rng() % m.size();
            // Favour the bytes that make lengths and counts huge.
            m[pos] = (rng() % 3 == 0) ? 0xFF : static_cast<uint8_t>(rng());
        }
        if (rng() % 4 == 0) m.resize(rng() % m.size());
        ProjectLoadResult r = decode_project(m, (i % 2) ? "C:\\work\\demo" : "/w/demo", (i % 2) ? W : P);
        if (r.ok()) ++opened;
    }
    EXPECT_GT(opened, 0);  // some mutations only change text bytes
}

class ProjectFileOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/lmp_test_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string dir_;
};

TEST_F(ProjectFileOnDisk, SavesAndLoadsAndReportsFailures) {
    ProjectRecord r = sample(dir_, P);
    const std::string path = dir_ + "/demo/demo.lmp";
    std::filesystem::create_directories(dir_ + "/demo");
    ASSERT_EQ(save_project_file(r, path, P), ProjectFileError::None);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    ProjectLoadResult back = load_project_file(path, P);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.record, r);

    EXPECT_EQ(load_project_file(dir_ + "/missing.lmp", P).error, ProjectFileError::NotFound);
    EXPECT_EQ(load_project_file(dir_ + "/demo", P).error, ProjectFileError::CannotOpen);
    EXPECT_EQ(save_project_file(r, dir_ + "/no/such/folder/x.lmp", P), ProjectFileError::WriteFailed);

    {
        std::ofstream cut(dir_ + "/cut.lmp", std::ios::binary);
        cut.write(
            "\x01\x00\x00\x00\x04"
            "de",
            7);
    }
    EXPECT_EQ(load_project_file(dir_ + "/cut.lmp", P).error, ProjectFileError::Malformed);

    EXPECT_EQ(open_error_message(ProjectFileError::Malformed, "x"), "予期しないﾌｧｲﾙ形式です。");
    EXPECT_EQ(open_error_message(ProjectFileError::NotFound, "/a/b.lmp"), "/a/b.lmp が見つかりません。");
    EXPECT_EQ(open_error_message(ProjectFileError::CannotOpen, "x"), "ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。");
}

// A project file shared under two names (a hard link), or kept in a folder
// its user may not write in, is saved into the same file.
TEST_F(ProjectFileOnDisk, SavingKeepsTheSameFile) {
    ProjectRecord r = sample(dir_, P);
    const std::string folder = dir_ + "/demo";
    const std::string path = folder + "/demo.lmp";
    std::filesystem::create_directories(folder);
    ASSERT_EQ(save_project_file(r, path, P), ProjectFileError::None);
    ASSERT_EQ(::link(path.c_str(), (dir_ + "/shared.lmp").c_str()), 0);
    r.description = "changed";
    ASSERT_EQ(save_project_file(r, path, P), ProjectFileError::None);
    ProjectLoadResult shared = load_project_file(dir_ + "/shared.lmp", P);
    ASSERT_TRUE(shared.ok());
    EXPECT_EQ(shared.record.description, "changed");
    ASSERT_EQ(::unlink((dir_ + "/shared.lmp").c_str()), 0);

    ::chmod(dir_.c_str(), 0755);
    if (::geteuid() == 0) {
        ::chown(folder.c_str(), 65534, 65534);
        ::chown(path.c_str(), 65534, 65534);
    }
    ::chmod(folder.c_str(), 0555);
    r.description = "saved by its user";
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        ::_exit(save_project_file(r, path, P) == ProjectFileError::None ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::chmod(folder.c_str(), 0755);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ProjectLoadResult back = load_project_file(path, P);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.record.description, "saved by its user");
}

}  // namespace
}  // namespace lumora::ide
