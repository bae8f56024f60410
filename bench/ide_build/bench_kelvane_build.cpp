// How much the IDE's build adds to the tools it runs: `kelvane --rebuild` of
// a 200-source project with the stand-in toolchain, against a shell script
// that runs exactly the same command lines one after another.
// Goal: kelvane takes at most 1.2 times as long as the script.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ide/build/build_commands.h"
#include "ide/project/project_creation.h"

namespace fs = std::filesystem;
using namespace lumora;

namespace {

constexpr int kSources = 200;
constexpr int kRounds = 5;

double run_seconds(const std::vector<std::string>& argv, const std::string& folder) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        if (!std::freopen("/dev/null", "w", stdout)) ::_exit(126);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_kelvane_build: %s failed (status %d)\n", argv[0].c_str(), status);
        std::exit(1);
    }
    return seconds;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::string bin = argc > 1 ? argv[1] : LUMORA_BIN_DIR;
    const std::string compiler = bin + "/toolchain/dmc";
    const std::string sdk = bin + "/toolchain/lumo";
    if (!fs::exists(bin + "/kelvane") || !fs::exists(compiler + "/bin/sc")) {
        std::fprintf(stderr, "bench_kelvane_build: kelvane or the stand-in toolchain is missing in %s\n",
                     bin.c_str());
        return 1;
    }
    const fs::path work = fs::temp_directory_path() / ("bench_kelvane_build_" + std::to_string(::getpid()));
    const std::string folder = (work / "big").string();
    fs::create_directories(folder);

    auto created = ide::create_project(folder, "big", nullptr);
    if (!created.doc) {
        std::fprintf(stderr, "bench_kelvane_build: %s\n", created.error.c_str());
        return 1;
    }
    ide::CKelvaneDoc& doc = *created.doc;
    doc.record().output_folder = "obj";
    for (int i = 1; i < kSources; ++i) {
        const std::string source = folder + "/unit" + std::to_string(i) + ".c";
        std::ofstream(source) << "int unit" << i << "(int x)\n{\n    return x + " << i << ";\n}\n";
        doc.add_file(source);
    }
    doc.apply_settings(doc.record());
    doc.save();

    // The command lines kelvane runs, in its order, as a script.
    const auto style = platform::host_path_style();
    const ide::BuildFolders f = ide::build_folders(folder, compiler, sdk, "obj", style);
    std::vector<std::string> objects;
    std::string script = "#!/bin/sh\ncd '" + folder + "'\nmkdir -p obj\n";
    for (const auto& item : doc.record().sources) {
        const std::string object = ide::object_path(item.path, f);
        objects.push_back(object);
        script += ide::compile_command(f, doc.record().compile_options, ide::source_argument(item.path, f),
                                       object) +
                  "\n";
    }
    script += ide::link_command(f, doc.record().link_options, ide::startup_object(doc.record().display_mode),
                                objects, "big") +
              "\n";
    script += ide::convert_command(f, "big") + "\n";
    script += ide::pack_command(f, "big") + "\n";
    const std::string script_path = (work / "same-commands.sh").string();
    std::ofstream(script_path) << script;

    const std::string lmp = folder + "/big.lmp";
    const std::vector<std::string> ide_argv = {
        bin + "/kelvane", "--rebuild", lmp, "--platform-folder", sdk, "--compiler-folder", compiler};
    const std::vector<std::string> sh_argv = {"/bin/sh", script_path};
    run_seconds(ide_argv, folder);  // warm the caches
    run_seconds(sh_argv, folder);
    std::vector<double> ide_times, sh_times;
    for (int round = 0; round < kRounds; ++round) {
        ide_times.push_back(run_seconds(ide_argv, folder));
        sh_times.push_back(run_seconds(sh_argv, folder));
    }
    const double ide = median(ide_times);
    const double sh = median(sh_times);
    const double ratio = ide / sh;
    std::printf("kelvane --rebuild, %d sources, %zu tool runs: %.3f s (median of %d)\n", kSources,
                doc.record().sources.size() + 3, ide, kRounds);
    std::printf("same command lines from /bin/sh:               %.3f s\n", sh);
    std::printf("overhead ratio: %.3f (goal: at most 1.20) %s\n", ratio, ratio <= 1.2 ? "met" : "NOT MET");
    fs::remove_all(work);
    return 0;
}
