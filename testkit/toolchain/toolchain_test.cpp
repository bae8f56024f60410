// The stand-in tools, run as the build runs them: real processes started in a
// project folder with the command lines the IDE builds.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "devlink/file_entry.h"

namespace fs = std::filesystem;

namespace {

const std::string kBin = LUMORA_BIN_DIR;
const std::string kCompiler = kBin + "/toolchain/dmc";
const std::string kSdk = kBin + "/toolchain/lumo";

struct Result {
    int status = -1;
    std::string output;
};

Result run(const std::vector<std::string>& argv, const fs::path& folder) {
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipe_fds[1], 1);
        ::dup2(pipe_fds[1], 2);
        ::close(pipe_fds[0]);
        ::close(pipe_fds[1]);
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(pipe_fds[1]);
    Result r;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0)
        r.output.append(buffer, static_cast<size_t>(n));
    ::close(pipe_fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void put(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class Toolchain : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("toolchain_test_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "bin");
    }
    void TearDown() override { fs::remove_all(folder_); }

    Result sc(const std::string& source, const std::string& object) {
        return run({kCompiler + "/bin/sc", "-c", "-msw", "-NL", "-j0", "-a1", "-0", "-o", "-Bj", source,
                    "-o" + object, "-I" + kSdk + "/include"},
                   folder_);
    }
    Result link(const std::vector<std::string>& objects, const std::string& out) {
        std::vector<std::string> argv = {kCompiler + "/bin/link", "/MAP", "/DETAILEDMAP", "/XREF",
                                         kSdk + "/lib/ctlmjpn2.obj"};
        for (const auto& o : objects) argv.push_back(o);
        argv.back() += ",";
        argv.push_back(out + ",");
        argv.push_back(out + ",");
        argv.push_back(kSdk + "/lib/liblm.lib");
        argv.push_back(kSdk + "/lib/liblmc.lib");
        return run(argv, folder_);
    }

    fs::path folder_;
};

const char* kGoodMain =
    "#include <sys/bios.h>\r\n#include <sys/liblmc.h>\r\n\r\nint main(int argc, char *args[])\r\n{\r\n"
    "\treturn 0;\r\n}\r\n";

TEST_F(Toolchain, CompilerWritesTheObjectOnlyWithoutErrors) {
    put(folder_ / "demo.c", kGoodMain);
    Result ok = sc("demo.c", "bin/demo.Obj");
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.output, "");
    EXPECT_TRUE(fs::exists(folder_ / "bin/demo.Obj"));

    put(folder_ / "demo.c", "int main(void)\n{\n#error no sound yet\n    return 0;\n}\n");
    Result bad = sc("demo.c", "bin/demo.Obj");
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.output, "demo.c(3) : Error: no sound yet\n");
    EXPECT_FALSE(fs::exists(folder_ / "bin/demo.Obj")) << "a stale object must not survive a failed compile";

    put(folder_ / "sub/io.c", "int io(void)\n{\n#warning unused\n  return 1;\n}\n");
    Result warned = sc("sub/io.c", "bin/io.Obj");
    EXPECT_EQ(warned.status, 0);
    EXPECT_EQ(warned.output, "sub/io.c(3) : warning 2: unused\n");
    EXPECT_TRUE(fs::exists(folder_ / "bin/io.Obj"));
}

TEST_F(Toolchain, CompilerChecksBracesOutsideTextAndComments) {
    // Braces in strings, characters, comments and a Shift-JIS trail byte 0x7B do not count.
    put(folder_ / "a.c",
        "int main(void)\n{\n  char *s = \"{{\"; char c = '}';\n  /* { */ // }\n  char *k = \"\x82{\";\n}\n");
    EXPECT_EQ(sc("a.c", "a.Obj").output, "");
    put(folder_ / "b.c", "int main(void)\n{\n  return 0;\n}\n}\n");
    EXPECT_EQ(sc("b.c", "b.Obj").output, "b.c(5) : Error: '}' does not match any '{'\n");
    put(folder_ / "c.c", "int main(void)\n{\n  if (1) {\n  return 0;\n}\n");
    EXPECT_EQ(sc("c.c", "c.Obj").output, "c.c(6) : Error: '}' expected\n");
}

TEST_F(Toolchain, CompilerLooksForIncludesInTheSdkAndBesideTheSource) {
    put(folder_ / "x.c", "#include <sys/bios.h>\n#include \"local.h\"\nint main(void) { return 0; }\n");
    put(folder_ / "local.h", "/* here */\n");
    EXPECT_EQ(sc("x.c", "x.Obj").output, "");
    put(folder_ / "y.c", "#include <sys/nothere.h>\nint main(void) { return 0; }\n");
    Result r = sc("y.c", "y.Obj");
    EXPECT_EQ(r.output, "Fatal error: unable to open input file 'sys/nothere.h'\n");
    EXPECT_EQ(r.status, 1);
    Result missing = sc("gone.c", "gone.Obj");
    EXPECT_EQ(missing.output, "Fatal error: unable to open input file 'gone.c'\n");
}

TEST_F(Toolchain, LinkerReportsMissingObjectsAndMain) {
    put(folder_ / "demo.c", kGoodMain);
    put(folder_ / "io.c", "int io(void) { return 1; }\n");
    ASSERT_EQ(sc("demo.c", "bin/demo.Obj").status, 0);
    ASSERT_EQ(sc("io.c", "bin/io.Obj").status, 0);

    Result missing = link({"bin/demo.Obj", "bin/gone.Obj"}, "bin/demo");
    EXPECT_EQ(missing.output, "LINKER : Error 2: File Not Found bin/gone.Obj\n");
    EXPECT_FALSE(fs::exists(folder_ / "bin/demo.exe"));

    Result no_main = link({"bin/io.Obj"}, "bin/demo");
    EXPECT_EQ(no_main.output, "LINKER : Error 42: Symbol Undefined _main\n");

    Result ok = link({"bin/demo.Obj", "bin/io.Obj"}, "bin/demo");
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.output, "");
    EXPECT_TRUE(fs::exists(folder_ / "bin/demo.exe"));
    EXPECT_TRUE(fs::exists(folder_ / "bin/demo.map"));
}

TEST_F(Toolchain, ConvertAndPackGiveAFileEntryTheConsoleAccepts) {
    put(folder_ / "demo.c", kGoodMain);
    ASSERT_EQ(sc("demo.c", "bin/demo.Obj").status, 0);
    ASSERT_EQ(link({"bin/demo.Obj"}, "bin/demo").status, 0);
    ASSERT_EQ(run({kSdk + "/bin/romform", "bin/demo.exe", "bin/demo.bin"}, folder_).status, 0);
    const std::string image = slurp(folder_ / "bin/demo.bin");
    ASSERT_FALSE(image.empty());

    put(folder_ / "demo.cf",
        "name: demo\r\ninfo: a demo program\r\nmode: 7\r\nsource: bin\\demo.bin\r\noutput: bin\\demo.fx\r\n");
    ASSERT_EQ(run({kSdk + "/bin/hdrpack", "demo.cf"}, folder_).status, 0);
    const std::string fx = slurp(folder_ / "bin/demo.fx");
    ASSERT_EQ(fx.size(), 128 + image.size());
    std::vector<uint8_t> bytes(fx.begin(), fx.end());
    ASSERT_TRUE(lumora::devlink::has_header(bytes));
    auto entry = lumora::devlink::read_entry(bytes);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name(), "demo");
    EXPECT_EQ(entry->info(), "a demo program");
    EXPECT_EQ(entry->size(), static_cast<int32_t>(image.size()));
    EXPECT_EQ(entry->blocks(), static_cast<int16_t>((image.size() + 127) / 128));
    EXPECT_EQ(entry->mode(), 7);
    EXPECT_EQ(entry->resource(), -1);
    EXPECT_EQ(fx.substr(128), image);

    // A linked resource follows the image and is announced by its offset.
    put(folder_ / "res.fr", "FRBM....resource");
    put(folder_ / "demo.cf",
        "name: a-very-long-program-name\r\ninfo: x\r\nmode: 7\r\nsource: bin/demo.bin\r\noutput: "
        "demo.fx\r\nresource: res.fr\r\n");
    ASSERT_EQ(run({kSdk + "/bin/hdrpack", "demo.cf"}, folder_).status, 0);
    const std::string fx2 = slurp(folder_ / "demo.fx");
    std::vector<uint8_t> bytes2(fx2.begin(), fx2.end());
    auto entry2 = lumora::devlink::read_entry(bytes2);
    ASSERT_TRUE(entry2);
    EXPECT_EQ(entry2->name(), "a-very-long-prog");
    EXPECT_EQ(entry2->resource(), static_cast<int32_t>(image.size()));
    EXPECT_EQ(fx2.substr(128 + image.size()), "FRBM....resource");

    // A description without its source line writes nothing.
    put(folder_ / "bad.cf", "name: bad\r\n");
    Result bad = run({kSdk + "/bin/hdrpack", "bad.cf"}, folder_);
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.output.find("no \"source:\" line"), std::string::npos);
}

// Cut-short and damaged inputs: every tool answers with a message and an
// exit status, never a crash (these run under the sanitizers).
TEST_F(Toolchain, DamagedInputsNeverCrashTheTools) {
    put(folder_ / "demo.c", kGoodMain);
    ASSERT_EQ(sc("demo.c", "bin/demo.Obj").status, 0);
    ASSERT_EQ(link({"bin/demo.Obj"}, "bin/demo").status, 0);
    const std::string object = slurp(folder_ / "bin/demo.Obj");
    const std::string exe = slurp(folder_ / "bin/demo.exe");
    const std::string cf = "name: demo\r\ninfo: x\r\nmode: 7\r\nsource: bin/demo.bin\r\noutput: out.fx\r\n";
    const std::string source = std::string(kGoodMain) + "/* \x82";
    ASSERT_EQ(run({kSdk + "/bin/romform", "bin/demo.exe", "bin/demo.bin"}, folder_).status, 0);

    unsigned seed = 7;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 12; ++round) {
        auto damage = [&](std::string bytes) {
            if (bytes.empty()) return bytes;
            if (round % 2 == 0) return bytes.substr(0, next() % bytes.size());
            for (int i = 0; i < 4; ++i) bytes[next() % bytes.size()] = static_cast<char>(next() >> 8);
            return bytes;
        };
        put(folder_ / "bin/bad.Obj", damage(object));
        put(folder_ / "bin/bad.exe", damage(exe));
        put(folder_ / "bad.cf", damage(cf));
        put(folder_ / "bad.c", damage(source));
        for (const Result& r : {link({"bin/bad.Obj"}, "bin/bad"),
                                run({kSdk + "/bin/romform", "bin/bad.exe", "bin/bad.bin"}, folder_),
                                run({kSdk + "/bin/hdrpack", "bad.cf"}, folder_), sc("bad.c", "bad.Obj")}) {
            EXPECT_TRUE(r.status == 0 || r.status == 1) << "round " << round << ": " << r.output;
        }
    }
}

// Every name of the SDK set points at the header line that declares it, so
// the keyword jump lands on the declaration.
TEST(KeywordDatabase, SdkEntriesPointAtTheirDeclarations) {
    std::ifstream in(kBin + "/Lumo.kdb", std::ios::binary);
    ASSERT_TRUE(in);
    std::string line;
    std::vector<std::string> headers;
    bool in_set = false;
    std::string number;
    int sdk_entries = 0;
    bool has_include = false;
    while (std::getline(in, line)) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        line.pop_back();
        if (!in_set) {
            headers.push_back(line);
            number = line.substr(line.rfind(';') + 1);
            in_set = true;
            continue;
        }
        if (line == "{" || line.empty() || line[0] == ';') continue;
        if (line == "}") {
            in_set = false;
            continue;
        }
        if (number == "0") {
            ASSERT_EQ(line.find(','), std::string::npos) << line;
            has_include = has_include || line == "#include";
            continue;
        }
        std::vector<std::string> fields;
        std::stringstream parts(line);
        std::string field;
        while (std::getline(parts, field, ',')) fields.push_back(field);
        ASSERT_GE(fields.size(), 3u) << line;
        std::ifstream header(kSdk + "/include/sys/" + fields[1]);
        ASSERT_TRUE(header) << fields[1];
        std::string text;
        for (int n = std::stoi(fields[2]); n > 0 && std::getline(header, text); --n) {
        }
        EXPECT_NE(text.find(fields[0]), std::string::npos) << line << " points at: " << text;
        ++sdk_entries;
    }
    EXPECT_FALSE(in_set) << "the last set is not closed";
    EXPECT_EQ(headers, (std::vector<std::string>{"C/C++ :c cpp h inl;0", "Lumora :lumora sdk;1"}));
    EXPECT_TRUE(has_include) << "the include line needs #include among the C keywords";
    EXPECT_GT(sdk_entries, 30);
}

}  // namespace
