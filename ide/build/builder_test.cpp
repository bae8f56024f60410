// The build pipeline against the stand-in toolchain: real tool processes,
// the project's own output list, clocks replaced so the lines are exact.

#include "ide/build/builder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "ide/project/project_creation.h"

namespace fs = std::filesystem;

namespace lumora::ide {
namespace {

const std::string kBin = LUMORA_BIN_DIR;

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "builder_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

void put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class BuilderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app();
        folder_ =
            fs::temp_directory_path() / ("builder_test_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        auto created = create_project(folder_.string(), "demo", nullptr);
        ASSERT_TRUE(created.doc) << created.error;
        doc_ = std::move(created.doc);
        settings_.compiler_folder = kBin + "/toolchain/dmc";
        settings_.platform_folder = kBin + "/toolchain/lumo";
        hooks_.local_time = [] {
            std::tm tm{};
            tm.tm_hour = 12;
            tm.tm_min = 34;
            tm.tm_sec = 56;
            return tm;
        };
        hooks_.seconds = [this] { return clock_ += 3723; };  // each reading 1:02:03 later
        hooks_.beep = [this] { ++beeps_; };
        hooks_.transfer_and_run = [this] {
            ++transfers_;
            return transfer_answer_;
        };
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const OutputMessage& m : doc_->messages().messages()) out.push_back(cp932::to_utf8(m.text));
        return out;
    }
    bool has_line(const std::string& text) const {
        for (const auto& l : lines())
            if (l == text) return true;
        return false;
    }

    fs::path folder_;
    std::unique_ptr<CKelvaneDoc> doc_;
    BuildSettings settings_;
    BuildHooks hooks_;
    long long clock_ = 1000;
    int beeps_ = 0;
    int transfers_ = 0;
    bool transfer_answer_ = true;
};

TEST_F(BuilderTest, FirstBuildThenNothingToCompile) {
    Builder builder(*doc_, settings_, hooks_);
    BuildResult first = builder.build(BuildKind::Normal);
    EXPECT_TRUE(first.succeeded());
    EXPECT_TRUE(first.packed);
    const std::vector<std::string> got = lines();
    ASSERT_EQ(got.size(), 8u) << ::testing::PrintToString(got);
    EXPECT_EQ(got[0], "Build Start 12:34:56");
    EXPECT_EQ(got[1], "ｺﾝﾊﾟｲﾙ中...");
    EXPECT_EQ(got[2], "demo.c -> demo.Obj");
    EXPECT_EQ(got[3], "ﾘﾝｸ中...");
    EXPECT_EQ(got[4].rfind("romform: demo.exe -> demo.bin", 0), 0u) << got[4];
    EXPECT_EQ(got[5].rfind("hdrpack: demo.fx", 0), 0u) << got[5];
    EXPECT_EQ(got[6], "Build End 12:34:56");
    EXPECT_EQ(got[7], "Build Time = 01:02:03 : Error = 0, Warning = 0");
    EXPECT_TRUE(fs::exists(folder_ / "demo.fx"));
    EXPECT_EQ(beeps_, 1);
    EXPECT_EQ(transfers_, 0) << "automatic transfer is off for a new project";
    EXPECT_FALSE(doc_->building());

    BuildResult second = builder.build(BuildKind::Normal);
    EXPECT_TRUE(second.succeeded());
    EXPECT_EQ(second.compiled, 0);
    EXPECT_FALSE(has_line("ｺﾝﾊﾟｲﾙ中..."));
    EXPECT_EQ(lines().at(1), "ﾘﾝｸ中...");

    // A full build compiles again although nothing changed.
    EXPECT_EQ(builder.build(BuildKind::Full).compiled, 1);
}

TEST_F(BuilderTest, SettingsChangeOffersAFullBuildOnce) {
    Builder first(*doc_, settings_, hooks_);
    ASSERT_TRUE(first.build(BuildKind::Normal).succeeded());

    int asked = 0;
    std::string question;
    hooks_.ask_full_build = [&](const std::string& q) {
        ++asked;
        question = q;
        return false;
    };
    doc_->set_settings_changed(true);
    Builder no(*doc_, settings_, hooks_);
    EXPECT_EQ(no.build(BuildKind::Normal).compiled, 0);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(question, kFullBuildQuestion);
    EXPECT_FALSE(doc_->settings_changed());
    no.build(BuildKind::Normal);
    EXPECT_EQ(asked, 1) << "No is not asked again";

    hooks_.ask_full_build = [&](const std::string&) {
        ++asked;
        return true;
    };
    doc_->set_settings_changed(true);
    Builder yes(*doc_, settings_, hooks_);
    EXPECT_EQ(yes.build(BuildKind::Normal).compiled, 1);
    // A full build does not ask.
    doc_->set_settings_changed(true);
    yes.build(BuildKind::Full);
    EXPECT_EQ(asked, 2);
}

TEST_F(BuilderTest, AutomaticTransferFollowsOnlyACleanBuild) {
    doc_->record().auto_transfer = true;
    Builder builder(*doc_, settings_, hooks_);

    put(folder_ / "demo.c", "int main(void)\n{\n#warning check me\n  return 0;\n}\n");
    BuildResult warned = builder.build(BuildKind::Normal);
    EXPECT_EQ(warned.warnings, 1);
    EXPECT_EQ(transfers_, 1) << "warnings do not stop the transfer";
    EXPECT_TRUE(warned.succeeded());

    transfer_answer_ = false;
    BuildResult failed_transfer = builder.build(BuildKind::Full);
    EXPECT_EQ(transfers_, 2);
    EXPECT_FALSE(failed_transfer.succeeded());

    put(folder_ / "demo.c", "int main(void)\n{\n#error broken\n}\n");
    BuildResult error = builder.build(BuildKind::Normal);
    EXPECT_EQ(error.errors, 1);
    EXPECT_EQ(transfers_, 2) << "an error stops the transfer";
    EXPECT_FALSE(has_line("ﾘﾝｸ中..."));

    // A compiler that cannot start leaves no new file entry: no link, no transfer.
    put(folder_ / "demo.c", "int main(void) { return 0; }\n");
    BuildSettings missing = settings_;
    missing.compiler_folder = (folder_ / "nowhere").string();
    Builder broken(*doc_, missing, hooks_);
    BuildResult not_started = broken.build(BuildKind::Normal);
    EXPECT_TRUE(not_started.tool_failed);
    EXPECT_EQ(not_started.errors, 0);
    EXPECT_EQ(transfers_, 2);
    EXPECT_FALSE(has_line("ﾘﾝｸ中..."));
    const std::vector<std::string> got = lines();
    EXPECT_EQ(got.at(3).rfind("ErrCode = 2 (" + missing.compiler_folder + "/bin/sc -c ", 0), 0u) << got.at(3);
    EXPECT_EQ(got.back(), "Build Time = 01:02:03 : Error = 0, Warning = 0");
}

// The packing step's own errors are not counted, but its file entry must be
// from this build before anything is sent.
TEST_F(BuilderTest, StaleFileEntryIsNeverTransferred) {
    doc_->record().auto_transfer = true;
    Builder builder(*doc_, settings_, hooks_);
    ASSERT_TRUE(builder.build(BuildKind::Normal).succeeded());
    ASSERT_EQ(transfers_, 1);
    const auto old_time = fs::last_write_time(folder_ / "demo.fx") - std::chrono::hours(1);
    fs::last_write_time(folder_ / "demo.fx", old_time);

    fs::remove(folder_ / "demo.cf");  // hdrpack now fails and writes nothing
    BuildResult r = builder.build(BuildKind::Full);
    EXPECT_TRUE(r.packed);
    EXPECT_EQ(r.errors, 0) << "the packer's complaint is not counted";
    EXPECT_FALSE(r.entry_written);
    EXPECT_FALSE(r.succeeded());
    EXPECT_EQ(transfers_, 1) << "the old file entry was sent";
    EXPECT_EQ(fs::last_write_time(folder_ / "demo.fx"), old_time);
    // The closing lines say why the build failed although no error was counted.
    const std::vector<std::string> got = lines();
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got[got.size() - 3], "demo.fx" + entry_not_written_reason(true))
        << ::testing::PrintToString(got);

    fs::remove(folder_ / "demo.fx");
    doc_->record().auto_transfer = false;
    EXPECT_FALSE(builder.build(BuildKind::Full).succeeded());
    EXPECT_TRUE(has_line("demo.fx" + entry_not_written_reason(false)));
}

// A packing tool on a share whose clock lags, or on a file system with
// coarse time stamps, leaves a fresh file entry dated before the build began.
TEST_F(BuilderTest, FreshFileEntryWithAnOldTimeStampCounts) {
    const fs::path real = settings_.platform_folder;
    const fs::path sdk = folder_ / "sdk";
    fs::create_directories(sdk / "bin");
    for (const char* part : {"include", "lib"}) fs::create_directory_symlink(real / part, sdk / part);
    fs::create_symlink(real / "bin/romform", sdk / "bin/romform");
    put(sdk / "bin/hdrpack", "#!/bin/sh\n\"" + (real / "bin/hdrpack").string() +
                                 "\" \"$@\" || exit\ntouch -d @946684800 demo.fx\n");
    fs::permissions(sdk / "bin/hdrpack", fs::perms::owner_all);
    settings_.platform_folder = sdk.string();
    doc_->record().auto_transfer = true;

    Builder builder(*doc_, settings_, hooks_);
    BuildResult r = builder.build(BuildKind::Normal);
    EXPECT_TRUE(r.entry_written) << ::testing::PrintToString(lines());
    EXPECT_TRUE(r.succeeded());
    EXPECT_EQ(transfers_, 1);

    // The same old time stamp again, but the packer rewrote the file.
    BuildResult again = builder.build(BuildKind::Full);
    EXPECT_TRUE(again.succeeded()) << ::testing::PrintToString(lines());
    EXPECT_EQ(transfers_, 2);
}

TEST_F(BuilderTest, CancelFromThePumpStopsTheBuild) {
    ::setenv("LUMORA_STANDIN_SLEEP", "sc:30", 1);
    bool saw_flags = false;
    Builder* running = nullptr;
    hooks_.pump = [&] {
        if (running && running->tool_running()) {
            saw_flags = doc_->building() && running->can_cancel();
            running->cancel();
        }
    };
    doc_->record().auto_transfer = true;
    Builder builder(*doc_, settings_, hooks_);
    running = &builder;
    BuildResult r = builder.build(BuildKind::Normal);
    ::unsetenv("LUMORA_STANDIN_SLEEP");
    EXPECT_TRUE(saw_flags);
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.succeeded());
    EXPECT_EQ(transfers_, 0);
    const std::vector<std::string> got = lines();
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got[got.size() - 3], "ﾋﾞﾙﾄﾞを中止しました。");
    EXPECT_EQ(got[got.size() - 2], "Build End 12:34:56");
    EXPECT_FALSE(has_line("ﾘﾝｸ中..."));
    EXPECT_FALSE(builder.can_cancel());
    EXPECT_FALSE(doc_->building());
}

TEST_F(BuilderTest, CompileOneFile) {
    std::string shown;
    hooks_.show_message = [&](const std::string& m) { shown = m; };
    Builder builder(*doc_, settings_, hooks_);

    const std::string header = (folder_ / "demo.h").string();
    put(header, "/* h */\n");
    doc_->add_file(header);
    BuildResult refused = builder.compile_one(header);
    EXPECT_FALSE(refused.started);
    EXPECT_EQ(shown, kNotASourceMessage);
    EXPECT_TRUE(lines().empty());

    put(folder_ / "demo.c", "int main(void)\n{\n#error not yet\n#warning later\n  return 0;\n}\n");
    BuildResult r = builder.compile_one((folder_ / "demo.c").string());
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.errors, 1);
    EXPECT_EQ(r.warnings, 1);
    EXPECT_EQ(lines(), (std::vector<std::string>{"Compile Start 12:34:56", "demo.c -> demo.Obj",
                                                 "demo.c(3) : Error: not yet", "demo.c(4) : warning 2: later",
                                                 "Compile End 12:34:56",
                                                 "Compile Time = 01:02:03 : Error = 1, Warning = 1"}));
    EXPECT_EQ(doc_->messages().at(2).kind, kCompileError);
    EXPECT_EQ(doc_->messages().at(3).kind, kCompileWarning);
    EXPECT_EQ(beeps_, 1);
}

TEST(NeedsCompile, ComparesLastWriteTimes) {
    const fs::path dir = fs::temp_directory_path() / ("needs_compile_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string src = (dir / "a.c").string();
    const std::string obj = (dir / "a.Obj").string();
    put(src, "x");
    EXPECT_TRUE(needs_compile(src, obj)) << "no object yet";
    put(obj, "o");
    const auto t = fs::last_write_time(src);
    fs::last_write_time(obj, t + std::chrono::seconds(5));
    EXPECT_FALSE(needs_compile(src, obj)) << "object newer";
    fs::last_write_time(obj, t);
    EXPECT_TRUE(needs_compile(src, obj)) << "same time compiles again";
    fs::last_write_time(obj, t - std::chrono::seconds(5));
    EXPECT_TRUE(needs_compile(src, obj)) << "object older";
    fs::remove(src);
    EXPECT_FALSE(needs_compile(src, obj)) << "a deleted source is left out";
    fs::remove_all(dir);
}

}  // namespace
}  // namespace lumora::ide
