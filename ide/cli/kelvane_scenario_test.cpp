// kelvane run headless, as a user or a script runs it: a real process with
// the stand-in toolchain, and the virtual console behind a pseudo-terminal.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "devlink/file_entry.h"
#include "ide/project/project_document.h"
#include "tests/support/child_process.h"

namespace fs = std::filesystem;

namespace lumora::ide {
namespace {

const std::string kBin = LUMORA_BIN_DIR;
const std::string kKelvane = kBin + "/kelvane";
const std::string kCompiler = kBin + "/toolchain/dmc";
const std::string kSdk = kBin + "/toolchain/lumo";

using Lines = std::vector<std::string>;

struct Outcome {
    int status = -1;
    Lines lines;
    std::string err;

    bool has(const std::string& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    long index(const std::string& line) const {
        auto it = std::find(lines.begin(), lines.end(), line);
        return it == lines.end() ? -1 : static_cast<long>(it - lines.begin());
    }
    bool has_prefix(const std::string& prefix) const {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    }
    std::string dump() const { return ::testing::PrintToString(lines) + "\nstderr: " + err; }
};

Lines split(const std::string& text) {
    Lines out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    return out;
}

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class Kelvane : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(tmp_.path().empty());
        // Settings go to a private folder, never the user's own.
        env_ = {"HOME=" + tmp_.path(), "XDG_CONFIG_HOME=" + (tmp_ / "config")};
        Outcome created = kelvane({"--new-project", project_dir_});
        ASSERT_EQ(created.status, 0) << created.dump();
    }

    testing::ChildOptions launch(const Lines& args, const Lines& extra_env) {
        testing::ChildOptions s;
        s.argv = {kKelvane};
        s.argv.insert(s.argv.end(), args.begin(), args.end());
        s.env = env_;
        s.env.insert(s.env.end(), extra_env.begin(), extra_env.end());
        s.capture_stderr = true;
        s.workdir = tmp_.path();
        return s;
    }

    Outcome kelvane(const Lines& args, const Lines& extra_env = {}) {
        Outcome o;
        auto child = testing::Child::start(launch(args, extra_env));
        if (!child) return o;
        auto status = child->wait(120000);
        o.status = status ? *status : -1;
        o.lines = split(child->out());
        o.err = child->err();
        return o;
    }

    Outcome build(const std::string& command = "--build", const Lines& extra_env = {}) {
        return kelvane({command, lmp_, "--platform-folder", kSdk, "--compiler-folder", kCompiler}, extra_env);
    }

    void write_source(const std::string& text) {
        std::ofstream(project_dir_ + "/demo.c", std::ios::binary) << text;
    }

    // Changes the project file as the settings dialog would.
    template <typename Edit>
    void edit_project(Edit edit) {
        ProjectFileError error = ProjectFileError::None;
        auto doc = CKelvaneDoc::open(lmp_, &error);
        ASSERT_TRUE(doc);
        edit(*doc);
        ASSERT_EQ(doc->save(), ProjectFileError::None);
    }

    std::optional<testing::Child> start_console() {
        testing::ChildOptions s;
        s.argv = {kBin + "/vconsole", "--pty", link_, "--store", store_};
        fs::create_directories(store_);
        auto child = testing::Child::start(s);
        if (!child || !child->wait_for_line("ready", 10000)) return std::nullopt;
        return child;
    }

    testing::TempDir tmp_;
    const std::string project_dir_ = tmp_ / "work/demo";
    const std::string lmp_ = project_dir_ + "/demo.lmp";
    const std::string link_ = tmp_ / "com1";
    const std::string store_ = tmp_ / "rom0";
    Lines env_;
};

// "PREFIXhh:mm:ss" with two digits each.
bool is_clock_line(const std::string& line, const std::string& prefix) {
    if (line.size() != prefix.size() + 8 || line.compare(0, prefix.size(), prefix) != 0) return false;
    for (size_t i = 0; i < 8; ++i) {
        const char c = line[prefix.size() + i];
        if (i % 3 == 2 ? c != ':' : !std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

// Errors and warnings of a "Build Time = hh:mm:ss : Error = %d, Warning = %d" line.
std::optional<std::pair<int, int>> time_line_counters(const std::string& line, const std::string& what) {
    const std::string head = what + " Time = ";
    if (!is_clock_line(line.substr(0, head.size() + 8), head)) return std::nullopt;
    int errors = -1, warnings = -1;
    char tail = 0;
    if (std::sscanf(line.c_str() + head.size() + 8, " : Error = %d, Warning = %d%c", &errors, &warnings,
                    &tail) != 2)
        return std::nullopt;
    return std::make_pair(errors, warnings);
}

std::pair<int, int> counters(const Outcome& o) {
    for (const auto& line : o.lines)
        if (auto c = time_line_counters(line, "Build")) return *c;
    return {-1, -1};
}

TEST_F(Kelvane, NewProjectThenFirstAndUpToDateBuild) {
    EXPECT_TRUE(fs::exists(project_dir_ + "/demo.c"));
    EXPECT_TRUE(fs::exists(project_dir_ + "/demo.cf"));
    EXPECT_EQ(slurp(project_dir_ + "/demo.cf"),
              "name: demo\r\ninfo: demo\r\nmode: 7\r\nsource: demo.bin\r\noutput: demo.fx\r\n");

    const std::string log = tmp_ / "tools.log";
    Outcome first = build("--build", {"LUMORA_STANDIN_LOG=" + log});
    EXPECT_EQ(first.status, 0) << first.dump();
    // Each tool got its command line split into exactly these words.
    EXPECT_EQ(
        split(slurp(log)),
        (Lines{"sc\t-c\t-msw\t-NL\t-j0\t-a1\t-0\t-o\t-Bj\tdemo.c\t-odemo.Obj\t-I" + kSdk + "/include",
               "link\t/MAP\t/DETAILEDMAP\t/XREF\t" + kSdk + "/lib/ctlmjpn2.obj\tdemo.Obj,\tdemo,\tdemo,\t" +
                   kSdk + "/lib/liblm.lib\t" + kSdk + "/lib/liblmc.lib",
               "romform\tdemo.exe\tdemo.bin", "hdrpack\tdemo.cf"}));
    ASSERT_GE(first.lines.size(), 8u) << first.dump();
    EXPECT_TRUE(is_clock_line(first.lines[0], "Build Start ")) << first.dump();
    EXPECT_EQ(first.lines[1], "ｺﾝﾊﾟｲﾙ中...");
    EXPECT_EQ(first.lines[2], "demo.c -> demo.Obj");
    EXPECT_EQ(first.lines[3], "ﾘﾝｸ中...");
    EXPECT_TRUE(is_clock_line(first.lines[first.lines.size() - 2], "Build End "));
    EXPECT_EQ(counters(first), std::make_pair(0, 0));

    const std::string fx = slurp(project_dir_ + "/demo.fx");
    std::vector<uint8_t> bytes(fx.begin(), fx.end());
    auto entry = devlink::read_entry(bytes);
    ASSERT_TRUE(entry) << "no file entry was packed";
    EXPECT_EQ(entry->name(), "demo");
    EXPECT_EQ(entry->mode(), 7);
    EXPECT_EQ(static_cast<size_t>(entry->size()), fx.size() - 128);

    Outcome second = build();
    EXPECT_EQ(second.status, 0) << second.dump();
    EXPECT_FALSE(second.has("ｺﾝﾊﾟｲﾙ中...")) << second.dump();
    ASSERT_GE(second.lines.size(), 2u);
    EXPECT_EQ(second.lines[1], "ﾘﾝｸ中...");
}

TEST_F(Kelvane, CompileErrorStopsBeforeLinkingAndWarningDoesNot) {
    write_source("#include <sys/bios.h>\r\nint main(void)\r\n{\r\n#error sprites missing\r\n}\r\n");
    Outcome error = build();
    EXPECT_EQ(error.status, 1) << error.dump();
    EXPECT_TRUE(error.has("demo.c(4) : Error: sprites missing")) << error.dump();
    EXPECT_FALSE(error.has("ﾘﾝｸ中..."));
    EXPECT_EQ(counters(error), std::make_pair(1, 0));

    write_source("int main(void)\r\n{\r\n#warning tune later\r\n    return 0;\r\n}\r\n");
    Outcome warned = build();
    EXPECT_EQ(warned.status, 0) << warned.dump();
    EXPECT_TRUE(warned.has("demo.c(3) : warning 2: tune later"));
    EXPECT_TRUE(warned.has("ﾘﾝｸ中..."));
    EXPECT_TRUE(warned.has_prefix("hdrpack: "));
    EXPECT_EQ(counters(warned), std::make_pair(0, 1));

    // Unbalanced braces are an error too.
    write_source("int main(void)\r\n{\r\n    return 0;\r\n");
    Outcome braces = build();
    EXPECT_EQ(braces.status, 1);
    EXPECT_TRUE(braces.has("demo.c(4) : Error: '}' expected")) << braces.dump();
}

TEST_F(Kelvane, LinkErrorStopsBeforeConverting) {
    write_source("int helper(void)\r\n{\r\n    return 1;\r\n}\r\n");
    Outcome r = build();
    EXPECT_EQ(r.status, 1) << r.dump();
    EXPECT_TRUE(r.has("ﾘﾝｸ中..."));
    EXPECT_TRUE(r.has("LINKER : Error 42: Symbol Undefined _main")) << r.dump();
    EXPECT_FALSE(r.has_prefix("romform"));
    EXPECT_FALSE(r.has_prefix("hdrpack"));
    EXPECT_EQ(counters(r), std::make_pair(1, 0));
}

TEST_F(Kelvane, DeletedSourceSkippedByBuildPassedByFullBuild) {
    const std::string extra = project_dir_ + "/sub/extra.c";
    fs::create_directories(project_dir_ + "/sub");
    std::ofstream(extra) << "int extra(void) { return 2; }\n";
    edit_project([&](CKelvaneDoc& doc) {
        doc.add_file(extra);
        ProjectRecord edited = doc.record();
        edited.output_folder = "bin";
        ASSERT_TRUE(doc.apply_settings(edited));  // rewrites the description file too
    });
    Outcome both = build();
    EXPECT_EQ(both.status, 0) << both.dump();
    EXPECT_TRUE(both.has("sub/extra.c -> bin/extra.Obj")) << both.dump();
    EXPECT_TRUE(fs::exists(project_dir_ + "/bin/demo.fx"));

    fs::remove(extra);
    fs::last_write_time(project_dir_ + "/demo.c", fs::file_time_type::clock::now() + std::chrono::seconds(2));
    Outcome normal = build();
    EXPECT_TRUE(normal.has("demo.c -> bin/demo.Obj")) << normal.dump();
    EXPECT_FALSE(normal.has("sub/extra.c -> bin/extra.Obj")) << normal.dump();

    Outcome full = build("--rebuild");
    EXPECT_TRUE(full.has("sub/extra.c -> bin/extra.Obj")) << full.dump();
    EXPECT_TRUE(full.has("Fatal error: unable to open input file 'sub/extra.c'")) << full.dump();
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(counters(full), std::make_pair(1, 0));
}

TEST_F(Kelvane, MissingToolGivesTheErrCodeLine) {
    const std::string nowhere = tmp_ / "no-compiler";
    Outcome r = kelvane({"--build", lmp_, "--platform-folder", kSdk, "--compiler-folder", nowhere});
    EXPECT_EQ(r.status, 1) << r.dump();
    const std::string expected = "ErrCode = 2 (" + nowhere +
                                 "/bin/sc -c -msw -NL -j0 -a1 -0 -o -Bj demo.c -odemo.Obj -I\"" + kSdk +
                                 "/include\")";
    EXPECT_TRUE(r.has(expected)) << r.dump();
    EXPECT_FALSE(r.has("ﾘﾝｸ中..."));
    EXPECT_EQ(counters(r), std::make_pair(0, 0));
}

TEST_F(Kelvane, FoldersComeFromTheStoredSettings) {
    const fs::path conf = fs::path(tmp_ / "config") / "Umbrane/Kelvane.conf";
    fs::create_directories(conf.parent_path());
    std::ofstream(conf) << "[Config]\nLumoraFolder=" << kSdk << "\nDMCFolder=" << kCompiler << "\n";
    Outcome stored = kelvane({"--build", lmp_});
    EXPECT_EQ(stored.status, 0) << stored.dump();
    EXPECT_TRUE(stored.has_prefix("hdrpack: "));
    // An override wins for this run only.
    Outcome overridden = kelvane({"--rebuild", lmp_, "--compiler-folder", tmp_ / "elsewhere"});
    EXPECT_EQ(overridden.status, 1);
    EXPECT_TRUE(overridden.has_prefix("ErrCode = 2 (" + (tmp_ / "elsewhere") + "/bin/sc "))
        << overridden.dump();
    EXPECT_EQ(kelvane({"--build", lmp_}).status, 0);
}

TEST_F(Kelvane, CtrlCCancelsTheRunningTool) {
    auto child = testing::Child::start(
        launch({"--build", lmp_, "--platform-folder", kSdk, "--compiler-folder", kCompiler},
             {"LUMORA_STANDIN_SLEEP=sc:60"}));
    ASSERT_TRUE(child);
    ASSERT_TRUE(child->wait_for_line("demo.c -> demo.Obj", 30000));
    ::usleep(300 * 1000);  // let the compiler start
    child->signal(SIGINT);
    auto status = child->wait(30000);
    ASSERT_TRUE(status) << "kelvane did not stop";
    EXPECT_EQ(*status, 1);
    Outcome o;
    o.lines = split(child->out());
    const long cancelled = o.index("ﾋﾞﾙﾄﾞを中止しました。");
    ASSERT_GE(cancelled, 0) << o.dump();
    EXPECT_TRUE(is_clock_line(o.lines.at(cancelled + 1), "Build End "));
    EXPECT_FALSE(o.has("ﾘﾝｸ中..."));
    EXPECT_FALSE(fs::exists(project_dir_ + "/demo.Obj"));
}

TEST_F(Kelvane, BuildWithAutomaticTransferOntoTheConsole) {
    edit_project([](CKelvaneDoc& doc) { doc.record().auto_transfer = true; });
    auto console = start_console();
    ASSERT_TRUE(console);
    Outcome r = build("--build", {"LUMORA_COM1=" + link_});
    EXPECT_EQ(r.status, 0) << r.dump();
    const long end = r.index("転送開始");
    ASSERT_GT(end, 0) << r.dump();
    EXPECT_TRUE(time_line_counters(r.lines.at(end - 1), "Build")) << "the transfer follows the closing lines";
    EXPECT_GT(r.index("転送終了"), end);
    EXPECT_EQ(r.index("実行開始"), r.index("転送終了") + 1);
    EXPECT_EQ(r.lines.back(), "実行終了");

    const std::string fx = slurp(project_dir_ + "/demo.fx");
    EXPECT_EQ(slurp(store_ + "/demo"), fx.substr(128)) << "the console holds the built program";

    // With an error nothing is sent.
    write_source("int main(void)\r\n{\r\n#error no\r\n}\r\n");
    Outcome failed = build("--build", {"LUMORA_COM1=" + link_});
    EXPECT_EQ(failed.status, 1);
    EXPECT_FALSE(failed.has("転送開始"));
}

TEST_F(Kelvane, AbsoluteOutputFolderBuildsTransfersAndRuns) {
    const std::string out = tmp_ / "out";
    edit_project([&](CKelvaneDoc& doc) {
        ProjectRecord edited = doc.record();
        edited.output_folder = out;
        edited.auto_transfer = true;
        ASSERT_TRUE(doc.apply_settings(edited));
    });
    auto console = start_console();
    ASSERT_TRUE(console);
    Outcome r = build("--build", {"LUMORA_COM1=" + link_});
    EXPECT_EQ(r.status, 0) << r.dump();
    EXPECT_TRUE(r.has("demo.c -> ../../out/demo.Obj")) << r.dump();
    EXPECT_EQ(counters(r), std::make_pair(0, 0));
    const long start = r.index("転送開始");
    ASSERT_GT(start, 0) << r.dump();
    EXPECT_GT(r.index("転送終了"), start);
    EXPECT_EQ(r.index("実行開始"), r.index("転送終了") + 1);
    EXPECT_EQ(r.lines.back(), "実行終了");
    EXPECT_EQ(slurp(store_ + "/demo"), slurp(out + "/demo.fx").substr(128));
    EXPECT_FALSE(fs::exists(project_dir_ + "/" + out)) << "nothing lands under the project folder";

    // The menu commands find the same file entry.
    Outcome run = kelvane({"--run", lmp_}, {"LUMORA_COM1=" + link_});
    EXPECT_EQ(run.status, 0) << run.dump();
}

TEST_F(Kelvane, TransferThenRunLinesInOrder) {
    ASSERT_EQ(build().status, 0);
    auto console = start_console();
    ASSERT_TRUE(console);
    Outcome r = kelvane({"--transfer-run", lmp_}, {"LUMORA_COM1=" + link_});
    EXPECT_EQ(r.status, 0) << r.dump();
    ASSERT_FALSE(r.lines.empty());
    EXPECT_EQ(r.lines.front(), "転送開始");
    const long done = r.index("転送終了");
    EXPECT_GT(done, 1) << "the console's lines come between: " << r.dump();
    EXPECT_EQ(r.index("実行開始"), done + 1);
    EXPECT_GT(static_cast<long>(r.lines.size()) - 1, done + 2) << "the console answers the exec line";
    EXPECT_EQ(r.lines.back(), "実行終了");

    Outcome run = kelvane({"--run", lmp_}, {"LUMORA_COM1=" + link_});
    EXPECT_EQ(run.status, 0) << run.dump();
    EXPECT_EQ(run.lines.front(), "実行開始");
    EXPECT_EQ(run.lines.back(), "実行終了");

    Outcome no_port = kelvane({"--transfer", lmp_}, {"LUMORA_COM1=" + (tmp_ / "absent")});
    EXPECT_EQ(no_port.status, 1);
    EXPECT_EQ(no_port.lines, (Lines{"転送開始", "OpenComm Error", "転送失敗"}));
}

TEST_F(Kelvane, CompileOneSource) {
    Outcome r = kelvane({"--compile", project_dir_ + "/demo.c", lmp_, "--platform-folder", kSdk,
                         "--compiler-folder", kCompiler});
    EXPECT_EQ(r.status, 0) << r.dump();
    ASSERT_EQ(r.lines.size(), 4u) << r.dump();
    EXPECT_EQ(r.lines[1], "demo.c -> demo.Obj");
    EXPECT_EQ(time_line_counters(r.lines[3], "Compile"), std::make_pair(0, 0)) << r.dump();
    EXPECT_TRUE(fs::exists(project_dir_ + "/demo.Obj"));
    EXPECT_FALSE(fs::exists(project_dir_ + "/demo.exe")) << "no link after compiling one file";

    Outcome header = kelvane({"--compile", project_dir_ + "/demo.cf", lmp_});
    EXPECT_EQ(header.status, 2);
    EXPECT_NE(header.err.find("ソースファイルではないので、コンパイルできません"), std::string::npos)
        << header.err;
}

TEST_F(Kelvane, UnusableProjectsAndCommandLines) {
    // Without a command kelvane opens its window; a wrong option is refused.
    Outcome wrong = kelvane({"--frobnicate"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("--help"), std::string::npos);

    Outcome missing = kelvane({"--build", tmp_ / "nothere.lmp"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("が見つかりません。"), std::string::npos) << missing.err;

    const std::string cut = tmp_ / "cut.lmp";
    const std::string whole = slurp(lmp_);
    std::ofstream(cut, std::ios::binary) << whole.substr(0, whole.size() - 3);
    Outcome malformed = kelvane({"--build", cut});
    EXPECT_EQ(malformed.status, 2);
    EXPECT_NE(malformed.err.find("予期しないﾌｧｲﾙ形式です。"), std::string::npos) << malformed.err;

    EXPECT_EQ(kelvane({"--build"}).status, 2);
    EXPECT_EQ(kelvane({"--help"}).status, 0);

    // A second --new-project onto the same folder is refused, the project is kept.
    Outcome again = kelvane({"--new-project", project_dir_});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("すでに同じ名前のプロジェクトファイルがあります。"), std::string::npos);
}

}  // namespace
}  // namespace lumora::ide

namespace lumora::ide {
namespace {

TEST_F(Kelvane, SampleProjectBuilds) {
    const fs::path sample = fs::path(LUMORA_SOURCE_DIR) / "testkit/toolchain/sample/hello";
    const std::string copy = tmp_ / "hello";
    fs::copy(sample, copy, fs::copy_options::recursive);
    Outcome r = kelvane(
        {"--rebuild", copy + "/hello.lmp", "--platform-folder", kSdk, "--compiler-folder", kCompiler});
    EXPECT_EQ(r.status, 0) << r.dump();
    EXPECT_TRUE(r.has("hello.c -> bin/hello.Obj")) << r.dump();
    EXPECT_TRUE(r.has("src/draw.c -> bin/draw.Obj")) << r.dump();
    EXPECT_EQ(counters(r), std::make_pair(0, 0));
    const std::string fx = slurp(copy + "/bin/hello.fx");
    std::vector<uint8_t> bytes(fx.begin(), fx.end());
    auto entry = devlink::read_entry(bytes);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->info(), "Hello, Lumora");
}

}  // namespace
}  // namespace lumora::ide

namespace lumora::ide {
namespace {

TEST(DemoBuildCycle, RunsTheWholeCycleAndCleansUp) {
    testing::TempDir tmp;
    testing::ChildOptions s;
    s.argv = {std::string(LUMORA_SOURCE_DIR) + "/scripts/demo-build-cycle", kBin};
    s.env = {"TMPDIR=" + tmp.path()};
    s.capture_stderr = true;
    auto child = testing::Child::start(s);
    ASSERT_TRUE(child);
    auto status = child->wait(120000);
    ASSERT_TRUE(status) << "the demo did not end by itself";
    EXPECT_EQ(*status, 0) << child->out() << child->err();
    const Lines lines = split(child->out());
    auto at = [&](const std::string& l) { return std::find(lines.begin(), lines.end(), l) - lines.begin(); };
    EXPECT_LT(at("hello.c -> hello.Obj"), at("転送開始"));
    EXPECT_LT(at("転送終了"), at("実行終了"));
    EXPECT_LT(at("実行終了"), static_cast<long>(lines.size()));
    EXPECT_TRUE(fs::is_empty(tmp.path())) << "the demo left its folder behind";
}

}  // namespace
}  // namespace lumora::ide
