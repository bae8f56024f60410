#include "ide/editor/recovery_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ide/editor/test_util.h"
#include "ide/editor/text_doc.h"

namespace lumora::editor {
namespace {

using testing::ScratchDir;

TEST(RecoveryStore, EncodingKeepsTheExactText) {
    CTextDoc doc(nullptr, 4);
    doc.set_lines({"a\tb", "", "\x8a\xbf\x0c\x1a\xff", ""});
    doc.set_path("/tmp/x y.c");
    doc.set_line_ending_mode(2);
    doc.set_text_type(kTypeC);
    RecoveredDocument back;
    ASSERT_TRUE(RecoveryStore::decode(RecoveryStore::encode(doc), back));
    EXPECT_EQ(back.lines, (std::vector<std::string>{"a\tb", "", "\x8a\xbf\x0c\x1a\xff", ""}));
    EXPECT_EQ(back.path, "/tmp/x y.c");
    EXPECT_EQ(back.line_ending_mode, 2);
    EXPECT_EQ(back.text_type, kTypeC);
    // No lines and one empty line are different documents.
    CTextDoc empty(nullptr, 4);
    ASSERT_TRUE(RecoveryStore::decode(RecoveryStore::encode(empty), back));
    EXPECT_TRUE(back.lines.empty());
    empty.set_lines({""});
    ASSERT_TRUE(RecoveryStore::decode(RecoveryStore::encode(empty), back));
    EXPECT_EQ(back.lines.size(), 1u);
    // A file cut short anywhere is refused rather than restored as less.
    const std::string whole = RecoveryStore::encode(doc);
    for (size_t n = 0; n < whole.size(); ++n)
        EXPECT_FALSE(RecoveryStore::decode(whole.substr(0, n), back) && back.lines.size() == 4 &&
                     back.lines[2] == "\x8a\xbf\x0c\x1a\xff")
            << n;
}

TEST(RecoveryStore, FilesOfAKilledSessionAreOfferedAndLiveOnesAreNot) {
    ScratchDir dir;
    const std::string folder = dir.path() + "/state/kelvane";
    // A session killed with unsaved text.
    pid_t killed = ::fork();
    if (killed == 0) {
        RecoveryStore store(folder);
        CTextDoc doc(nullptr, 4);
        doc.set_lines({"unsaved", "text"});
        store.write(store.new_slot(), doc);
        ::raise(SIGKILL);
    }
    int status = 0;
    ::waitpid(killed, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    // A session still running.
    int ready[2], hold[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(hold), 0);
    pid_t live = ::fork();
    if (live == 0) {
        RecoveryStore store(folder);
        CTextDoc doc(nullptr, 4);
        doc.set_lines({"still editing"});
        store.write(store.new_slot(), doc);
        char c = 1;
        (void)!::write(ready[1], &c, 1);
        (void)!::read(hold[0], &c, 1);
        ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    RecoveryStore mine(folder);
    auto found = mine.orphans();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].lines, (std::vector<std::string>{"unsaved", "text"}));
    RecoveryStore::discard(found[0]);
    EXPECT_TRUE(mine.orphans().empty());
    // Once the live session is gone without cleaning up, its file is offered too.
    ::kill(live, SIGKILL);
    ::waitpid(live, &status, 0);
    found = mine.orphans();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].lines, (std::vector<std::string>{"still editing"}));
    RecoveryStore::discard(found[0]);
    // Discarding the last file of a session removes its lock file too.
    EXPECT_TRUE(testing::list_dir(folder).empty());
}

TEST(RecoveryStore, WritesReplaceAtomicallyAndRemoveCleansUp) {
    ScratchDir dir;
    RecoveryStore store(dir.path() + "/k");
    CTextDoc doc(nullptr, 4);
    doc.set_lines({"one"});
    const int slot = store.new_slot();
    ASSERT_TRUE(store.write(slot, doc));
    doc.set_lines({"two"});
    ASSERT_TRUE(store.write(slot, doc));
    RecoveredDocument back;
    ASSERT_TRUE(RecoveryStore::decode(testing::read_file(store.slot_file(slot)), back));
    EXPECT_EQ(back.lines, (std::vector<std::string>{"two"}));
    // Only the file and the session's lock; no temporary left behind.
    EXPECT_EQ(testing::list_dir(dir.path() + "/k").size(), 2u);
    store.remove(slot);
    EXPECT_EQ(testing::list_dir(dir.path() + "/k").size(), 1u);
    // An unwritable place fails instead of pretending.
    RecoveryStore bad("/proc/nonexistent/kelvane");
    EXPECT_FALSE(bad.write(bad.new_slot(), doc));
}

}  // namespace
}  // namespace lumora::editor
