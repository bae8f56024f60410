// The IDE and transfer-tool senders against the virtual console over a
// pseudo-terminal, with its fault options: what the console stores must be
// byte for byte what was sent.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "devlink/file_entry.h"
#include "devlink/ide_link.h"
#include "devlink/putw_link.h"

namespace lumora::devlink {
namespace {

namespace fs = std::filesystem;

const std::string kVconsole = LUMORA_BIN_DIR "/vconsole";

struct TempDir {
    fs::path path;
    TempDir() {
        char tmpl[] = "/tmp/lumora-vcl-XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(path); }
};

std::vector<uint8_t> read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A running vconsole serving the shell on a pseudo-terminal linked at `link`.
class VirtualConsole {
  public:
    VirtualConsole(const TempDir& dir, std::vector<std::string> extra) : link_(dir.path / "COM1") {
        store_ = dir.path / "store";
        std::vector<std::string> argv = {kVconsole, "--pty", link_.string(), "--store", store_.string()};
        argv.insert(argv.end(), extra.begin(), extra.end());
        int out[2];
        if (::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 2);
            std::vector<char*> args;
            for (auto& a : argv) args.push_back(a.data());
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        ::close(out[1]);
        // One "ready DEVICE" line once the line is open.
        pollfd p{out[0], POLLIN, 0};
        char buf[256];
        ready_ = ::poll(&p, 1, 10000) == 1 && ::read(out[0], buf, sizeof buf) > 0;
        ::close(out[0]);
    }
    ~VirtualConsole() {
        if (pid_ > 0) {
            ::kill(pid_, SIGINT);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    bool ready() const { return ready_; }
    std::string device() const { return link_.string(); }
    std::vector<uint8_t> stored(const std::string& name) const { return read_file(store_ / name); }
    bool has(const std::string& name) const { return fs::exists(store_ / name); }

  private:
    fs::path link_;
    fs::path store_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

std::vector<uint8_t> body_bytes(size_t n, uint8_t seed) {
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * seed + (i >> 7));
    return b;
}

DirectoryEntry entry_for(const std::string& name, size_t size, EntryFlavor flavor = EntryFlavor::Ide) {
    return build_plain_entry_at(name, size, CalendarTime{2026, 12, 8, 2, 0, 0}, flavor);
}

struct VconsoleLink : ::testing::Test {
    TempDir dir;
    std::vector<std::string> posted;
    IdeLink ide{[this](const std::string& s) { posted.push_back(s); }};

    void SetUp() override {
        if (!fs::exists(kVconsole)) GTEST_SKIP() << "vconsole is not built";
    }
    // Uploads through the IDE side and returns its result.
    bool ide_upload(VirtualConsole& vc, const std::string& name, const std::vector<uint8_t>& body) {
        if (!ide.open_device(vc.device())) return false;
        bool ok = ide.stty() && ide.upload_entry(entry_for(name, body.size()), body);
        ide.close();
        return ok;
    }
};

TEST_F(VconsoleLink, IdeUploadIsStoredByteForByteAfterACorruptedBlock) {
    VirtualConsole vc(dir, {"--corrupt-block", "3"});
    ASSERT_TRUE(vc.ready());
    auto body = body_bytes(10000, 7);
    ASSERT_TRUE(ide_upload(vc, "game", body));
    EXPECT_EQ(vc.stored("game"), body);
    EXPECT_EQ(ide.blocks_sent(), 1 + 79 + 1);  // block 3 went twice
}

TEST_F(VconsoleLink, IdeUploadOntoAnExistingNameDeletesAndRestarts) {
    for (const char* code : {"450", "550"}) {
        TempDir d;
        VirtualConsole vc(d, {"--exists-code", code});
        ASSERT_TRUE(vc.ready());
        ASSERT_TRUE(ide_upload(vc, "twice", body_bytes(500, 3)));
        posted.clear();
        auto second = body_bytes(700, 5);
        ASSERT_TRUE(ide_upload(vc, "twice", second)) << code;
        EXPECT_EQ(vc.stored("twice"), second) << code;
        bool saw_code = false;
        for (const auto& p : posted) saw_code |= p.rfind(code, 0) == 0;
        EXPECT_TRUE(saw_code) << code;
    }
}

TEST_F(VconsoleLink, IdeUploadThatNeedsDefragRunsItAndRestarts) {
    // 34 blocks: three files of 10 leave 4 free; deleting the middle one
    // leaves 14 free in two holes, and a file of 13 fits only after defrag.
    VirtualConsole vc(dir, {"--blocks", "34"});
    ASSERT_TRUE(vc.ready());
    ASSERT_TRUE(ide_upload(vc, "a", body_bytes(9 * 128, 1)));
    ASSERT_TRUE(ide_upload(vc, "b", body_bytes(9 * 128, 2)));
    ASSERT_TRUE(ide_upload(vc, "c", body_bytes(9 * 128, 3)));
    ASSERT_TRUE(ide.open_device(vc.device()));
    ASSERT_TRUE(ide.delete_file("b"));
    ide.close();
    posted.clear();
    auto big = body_bytes(12 * 128, 9);
    ASSERT_TRUE(ide_upload(vc, "d", big));
    EXPECT_EQ(vc.stored("d"), big);
    EXPECT_EQ(vc.stored("a"), body_bytes(9 * 128, 1));
    bool saw_452 = false;
    for (const auto& p : posted) saw_452 |= p.rfind("452", 0) == 0;
    EXPECT_TRUE(saw_452);
}

TEST_F(VconsoleLink, IdeUploadCancelledByTheConsoleFails) {
    VirtualConsole vc(dir, {"--cancel-after", "2"});
    ASSERT_TRUE(vc.ready());
    EXPECT_FALSE(ide_upload(vc, "cut", body_bytes(2000, 4)));
    EXPECT_FALSE(vc.has("cut"));
    // The console is usable again afterwards.
    auto body = body_bytes(300, 6);
    EXPECT_TRUE(ide_upload(vc, "next", body));
    EXPECT_EQ(vc.stored("next"), body);
}

TEST_F(VconsoleLink, SilentConsoleFailsTheIdeTransferInAboutASecond) {
    VirtualConsole vc(dir, {"--silent"});
    ASSERT_TRUE(vc.ready());
    ASSERT_TRUE(ide.open_device(vc.device()));
    int64_t start = steady_ms();
    EXPECT_FALSE(ide.upload((dir.path / "never-read.fx").string()));
    int64_t took = steady_ms() - start;
    EXPECT_GE(took, 1000);
    EXPECT_LT(took, 5000);
}

TEST_F(VconsoleLink, IdeExecOfAStoredProgram) {
    VirtualConsole vc(dir, {});
    ASSERT_TRUE(vc.ready());
    ASSERT_TRUE(ide_upload(vc, "run", body_bytes(256, 8)));
    ASSERT_TRUE(ide.open_device(vc.device()));
    EXPECT_TRUE(ide.exec("run"));
    ide.close();
}

struct PutwSession {
    PutwLink link;
    std::vector<std::string> debug;
    PutwSession() {
        link.set_debug([this](const std::string& s) { debug.push_back(s); });
    }
    bool start(const std::string& device) {
        if (!link.open_device(device, 0)) return false;
        link.set_read_timeout(kPutwSetupReadMs);
        link.purge();
        link.stty();
        return true;
    }
    static std::vector<uint8_t> entry_data(const std::string& name, const std::vector<uint8_t>& body) {
        DirectoryEntry e = entry_for(name, body.size(), EntryFlavor::LmPutw);
        auto data = build_header(e);
        data.insert(data.end(), body.begin(), body.end());
        data.resize(kHeaderSize + 128 * static_cast<size_t>(e.blocks()), 0x1A);
        return data;
    }
    bool upload(const std::string& name, const std::vector<uint8_t>& body) {
        link.set_read_timeout(kPutwSetupReadMs);
        link.delete_file("/rom0/" + name);
        link.set_read_timeout(kPutwUploadReadMs);
        return link.upload(entry_data(name, body), "/rom0/");
    }
};

TEST_F(VconsoleLink, TransferToolUploadsStoreByteForByte) {
    VirtualConsole vc(dir, {"--corrupt-block", "2"});
    ASSERT_TRUE(vc.ready());
    PutwSession s;
    ASSERT_TRUE(s.start(vc.device()));
    auto one = body_bytes(3000, 11);
    auto two = body_bytes(129, 13);
    ASSERT_TRUE(s.upload("one.bin", one));
    ASSERT_TRUE(s.upload("two.bin", two));
    EXPECT_EQ(vc.stored("one.bin"), one);
    EXPECT_EQ(vc.stored("two.bin"), two);
    // Sending a name again replaces it (the tool deletes first).
    auto again = body_bytes(50, 17);
    ASSERT_TRUE(s.upload("one.bin", again));
    EXPECT_EQ(vc.stored("one.bin"), again);
    EXPECT_TRUE(s.debug.empty());
}

TEST_F(VconsoleLink, TransferToolSees452AndCanDefragAndRetry) {
    VirtualConsole vc(dir, {"--blocks", "34"});
    ASSERT_TRUE(vc.ready());
    PutwSession s;
    ASSERT_TRUE(s.start(vc.device()));
    ASSERT_TRUE(s.upload("a", body_bytes(9 * 128, 1)));
    ASSERT_TRUE(s.upload("b", body_bytes(9 * 128, 2)));
    ASSERT_TRUE(s.upload("c", body_bytes(9 * 128, 3)));
    s.link.set_read_timeout(kPutwSetupReadMs);
    s.link.delete_file("/rom0/b");
    auto big = body_bytes(12 * 128, 9);
    EXPECT_FALSE(s.upload("d", big));
    EXPECT_EQ(s.link.last_code(), 452);
    s.link.defrag("/rom0/");
    EXPECT_EQ(s.link.last_code(), 200);
    s.link.set_read_timeout(kPutwUploadReadMs);
    ASSERT_TRUE(s.link.upload(PutwSession::entry_data("d", big), "/rom0/"));
    EXPECT_EQ(vc.stored("d"), big);
}

TEST_F(VconsoleLink, TransferToolCancelEndsWithEotAfterTheBlockInFlight) {
    VirtualConsole vc(dir, {});
    ASSERT_TRUE(vc.ready());
    PutwSession s;
    ASSERT_TRUE(s.start(vc.device()));
    s.link.set_progress([&](size_t position, size_t) {
        if (position >= 3 * 128) s.link.cancel_flag() = true;
    });
    EXPECT_TRUE(s.upload("long", body_bytes(20000, 5)));
    EXPECT_EQ(s.debug, std::vector<std::string>{"キャンセル終了\n"});
    // The console heard EOT and is back at its prompt: a run line still works.
    s.link.cancel_flag() = false;
    s.link.set_progress(nullptr);
    auto small = body_bytes(100, 3);
    ASSERT_TRUE(s.upload("small", small));
    EXPECT_EQ(vc.stored("small"), small);
}

TEST_F(VconsoleLink, TransferToolUploadCancelledByTheConsoleFails) {
    VirtualConsole vc(dir, {"--cancel-after", "1"});
    ASSERT_TRUE(vc.ready());
    PutwSession s;
    ASSERT_TRUE(s.start(vc.device()));
    EXPECT_FALSE(s.upload("x", body_bytes(1000, 2)));
    EXPECT_EQ(s.link.last_code(), 426);
    EXPECT_EQ(s.debug, std::vector<std::string>{"ACK無し\n"});
}

}  // namespace
}  // namespace lumora::devlink
