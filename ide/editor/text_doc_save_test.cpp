#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include "ide/editor/test_util.h"
#include "ide/editor/text_doc.h"
#include "ide/editor/text_file_reader.h"

namespace lumora::editor {
namespace {

using testing::read_file;
using testing::ScratchDir;
using testing::write_file;

// Records every question and message; answers questions from a script.
struct Dialogs {
    std::vector<std::string> asked;
    std::vector<std::string> errors;
    bool answer = true;
    SaveCallbacks callbacks() {
        return {[this](const std::string& q) {
                    asked.push_back(q);
                    return answer;
                },
                [this](const std::string& m) { errors.push_back(m); }};
    }
};

struct SaveFixture : ::testing::Test {
    ScratchDir dir;
    ScratchDir tmp;
    CTextDoc doc;
    Dialogs dialogs;
    SaveOptions options;
    std::string path;

    void SetUp() override {
        options.temp_folder = tmp.path();
        path = dir.file("main.c");
        write_file(path, "old\r\ncontent");
        doc.set_lines({"new", "text"});
        doc.set_path(path);
        TextPos p{3, 0};
        doc.insert(nullptr, "!", p);
    }
};

TEST_F(SaveFixture, SuccessfulSaveWritesFileAndSafetyCopy) {
    ASSERT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kSaved);
    EXPECT_EQ(read_file(path), "new!\r\ntext");
    EXPECT_EQ(read_file(tmp.file("main.c")), "new!\r\ntext");
    EXPECT_FALSE(doc.modified());
    EXPECT_EQ(doc.saved_position(), 1);
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_TRUE(dialogs.errors.empty());
    // Nothing else is left beside the file.
    EXPECT_EQ(testing::list_dir(dir.path()), std::vector<std::string>{"main.c"});

    doc.set_line_ending_mode(kEndingLf);
    EXPECT_TRUE(doc.modified());
    ASSERT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kSaved);
    EXPECT_EQ(read_file(path), "new!\ntext");
}

TEST_F(SaveFixture, KeepsPermissionsAndWritesThroughLinks) {
    ::chmod(path.c_str(), 0640);
    std::string link = dir.file("link.c");
    ASSERT_EQ(::symlink("main.c", link.c_str()), 0);
    doc.set_path(link);
    ASSERT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kSaved);
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(read_file(path), "new!\r\ntext");
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SaveFixture, ReadOnlyAnsweredNoLeavesEverything) {
    ::chmod(path.c_str(), 0444);
    dialogs.answer = false;
    EXPECT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kCancelled);
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{kSaveReadOnlyQuestion});
    EXPECT_EQ(read_file(path), "old\r\ncontent");
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(doc.saved_position(), 0);
    // The safety copy was written before the question.
    EXPECT_EQ(read_file(tmp.file("main.c")), "new!\r\ntext");
}

// A file edited inside the temporary folder itself: the copy named after it
// would be the file, so it must go under a name of its own.
TEST_F(SaveFixture, FileInTheTemporaryFolderIsNeverItsOwnSafetyCopy) {
    options.temp_folder = dir.path();
    ::chmod(path.c_str(), 0444);
    dialogs.answer = false;
    EXPECT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kCancelled);
    EXPECT_EQ(read_file(path), "old\r\ncontent");
    dialogs.answer = true;
    ASSERT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kSaved);
    EXPECT_EQ(read_file(path), "new!\r\ntext");
    // The same folder reached through another spelling is still the same folder.
    options.temp_folder = dir.path() + "/.";
    ::chmod(path.c_str(), 0444);
    TextPos start{0, 0};
    doc.insert(nullptr, "?", start);
    dialogs.answer = false;
    EXPECT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kCancelled);
    EXPECT_EQ(read_file(path), "new!\r\ntext");
}

TEST_F(SaveFixture, ReadOnlyAnsweredYesGivesOwnerWritePermission) {
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kSaved);
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{kSaveReadOnlyQuestion});
    EXPECT_EQ(read_file(path), "new!\r\ntext");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_FALSE(doc.modified());
}

TEST_F(SaveFixture, DiskFullPartWayKeepsOldContent) {
    int calls = 0;
    options.write = [&](int fd, const char* data, size_t size) -> long {
        // The safety copy goes through; the real file fails after 3 bytes.
        if (++calls == 1) return ::write(fd, data, size);
        if (calls == 2) return ::write(fd, data, std::min<size_t>(size, 3));
        errno = ENOSPC;
        return -1;
    };
    EXPECT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kFailed);
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{kSaveFailedMessage});
    EXPECT_EQ(read_file(path), "old\r\ncontent");
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(doc.saved_position(), 0);
    EXPECT_EQ(testing::list_dir(dir.path()), std::vector<std::string>{"main.c"});
}

TEST_F(SaveFixture, FileSizeLimitInChildKeepsOldContent) {
    // A real short write: the kernel refuses to grow files past 4 bytes.
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        options.temp_folder = "/nonexistent-folder";  // keep the copy out of it
        rlimit lim{4, 4};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        Dialogs d;
        SaveResult r = doc.save(d.callbacks(), options);
        ::_exit(r == SaveResult::kFailed && d.errors.size() == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(read_file(path), "old\r\ncontent");
    EXPECT_EQ(testing::list_dir(dir.path()), std::vector<std::string>{"main.c"});
}

TEST_F(SaveFixture, TempFolderFailureAsksFirst) {
    options.temp_folder = dir.file("no-such-folder");
    dialogs.answer = false;
    EXPECT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kCancelled);
    EXPECT_EQ(dialogs.asked, std::vector<std::string>{kSaveTempFailedQuestion});
    EXPECT_EQ(read_file(path), "old\r\ncontent");
    dialogs.answer = true;
    EXPECT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kSaved);
    EXPECT_EQ(read_file(path), "new!\r\ntext");
}

// Runs `work` in a child as user `uid` (when we are root; otherwise as
// ourselves) and returns its exit status.
template <typename Work>
int as_user(uid_t uid, Work work) {
    pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(uid) != 0 || ::setuid(uid) != 0)) ::_exit(2);
        ::_exit(work());
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST_F(SaveFixture, WritableFileInUnwritableFolderIsSavedInPlace) {
    if (::geteuid() == 0) {
        // Root writes anywhere; check the same path as an ordinary user.
        ::chown(dir.path().c_str(), 65534, 65534);
        ::chown(path.c_str(), 65534, 65534);
        ::chown(tmp.path().c_str(), 65534, 65534);
    }
    ::chmod(dir.path().c_str(), 0555);
    const int status = as_user(65534, [&] {
        Dialogs d;
        return doc.save(d.callbacks(), options) == SaveResult::kSaved && d.errors.empty() ? 0 : 1;
    });
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read_file(path), "new!\r\ntext");
    EXPECT_EQ(testing::list_dir(dir.path()), std::vector<std::string>{"main.c"});
    EXPECT_EQ(testing::list_dir(tmp.path()), std::vector<std::string>{"main.c"})
        << "only the safety copy stays";
}

TEST_F(SaveFixture, HardLinksAndExtendedAttributesSurvive) {
    const std::string alias = dir.file("alias.c");
    ASSERT_EQ(::link(path.c_str(), alias.c_str()), 0);
    const std::string other = dir.file("other.c");
    write_file(other, "old");
    // user.* where the file system allows it, trusted.* for root elsewhere.
    const char* names[] = {"user.lumora.origin", "trusted.lumora.origin"};
    const char* attr = nullptr;
    for (const char* n : names)
        if (::setxattr(other.c_str(), n, "kit", 3, 0) == 0) {
            attr = n;
            break;
        }

    EXPECT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kSaved);
    EXPECT_EQ(read_file(alias), "new!\r\ntext") << "the other name of the file was cut off";
    struct stat a {
    }, b{};
    ASSERT_EQ(::stat(path.c_str(), &a), 0);
    ASSERT_EQ(::stat(alias.c_str(), &b), 0);
    EXPECT_EQ(a.st_ino, b.st_ino);
    EXPECT_EQ(a.st_nlink, 2u);

    if (!attr) GTEST_SKIP() << "no extended attributes here";
    doc.set_path(other);
    EXPECT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kSaved);
    EXPECT_EQ(read_file(other), "new!\r\ntext");
    char value[8] = {};
    EXPECT_EQ(::getxattr(other.c_str(), attr, value, sizeof value), 3);
    EXPECT_STREQ(value, "kit");
}

TEST_F(SaveFixture, FileOfAnotherOwnerKeepsItsOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make two users' files";
    // A shared file of user 65534 in a folder everyone may write; user 65533 saves it.
    ::chmod(dir.path().c_str(), 0777);
    ::chown(path.c_str(), 65534, 65534);
    ::chmod(path.c_str(), 0666);
    ::chmod(tmp.path().c_str(), 0777);
    const int status = as_user(65533, [&] {
        Dialogs d;
        return doc.save(d.callbacks(), options) == SaveResult::kSaved ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read_file(path), "new!\r\ntext");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 0777, 0666u);
}

// Written in place (the file has a second name), the write fails part-way:
// the old content comes back and nothing is left behind.
TEST_F(SaveFixture, FailedWriteInPlaceRestoresTheOldContent) {
    const std::string alias = dir.file("alias.c");
    ASSERT_EQ(::link(path.c_str(), alias.c_str()), 0);
    int calls = 0;
    options.write = [&](int fd, const char* data, size_t size) -> long {
        if (++calls == 1) return ::write(fd, data, size);  // the safety copy
        if (calls == 2) return ::write(fd, data, std::min<size_t>(size, 3));
        errno = ENOSPC;
        return -1;
    };
    EXPECT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kFailed);
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{kSaveFailedMessage});
    EXPECT_EQ(read_file(path), "old\r\ncontent");
    EXPECT_EQ(read_file(alias), "old\r\ncontent");
    EXPECT_EQ(testing::list_dir(dir.path()), (std::vector<std::string>{"alias.c", "main.c"}));
    EXPECT_EQ(testing::list_dir(tmp.path()), std::vector<std::string>{"main.c"});
    EXPECT_TRUE(doc.modified());
}

TEST_F(SaveFixture, UntitledDocumentWritesCopyThenFails) {
    doc.set_path("");
    EXPECT_EQ(doc.save(dialogs.callbacks(), options), SaveResult::kFailed);
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{kSaveFailedMessage});
    auto names = testing::list_dir(tmp.path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].rfind("LMP", 0), 0u);
    EXPECT_EQ(read_file(tmp.file(names[0])), "new!\r\ntext");
}

TEST(SaveEmpty, EmptyDocumentWritesEmptyFile) {
    ScratchDir dir, tmp;
    write_file(dir.file("e.txt"), "");
    CTextDoc doc;
    doc.set_path(dir.file("e.txt"));
    Dialogs d;
    SaveOptions o;
    o.temp_folder = tmp.path();
    EXPECT_EQ(doc.save(d.callbacks(), o), SaveResult::kSaved);
    EXPECT_EQ(read_file(dir.file("e.txt")), "");
}

TEST(Title, ShortensLongFolders) {
    CTextDoc doc;
    doc.set_path("C:\\short\\a.c");
    EXPECT_EQ(doc.title(), "C:\\short\\a.c");
    doc.set_path("C:\\a\\very\\long\\folder\\name\\a.c");
    EXPECT_EQ(doc.title(), "C:\\...\\a.c");
    doc.set_modified(true);
    EXPECT_EQ(doc.title(), "C:\\...\\a.c *");
}

}  // namespace
}  // namespace lumora::editor
