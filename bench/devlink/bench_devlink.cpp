// Serial path throughput on pseudo-terminals (no line rate, so these figures
// are protocol and program overhead):
//  1. a 256 KiB upload from the IDE side to the virtual console: blocks per second;
//  2. snapget receiving a 256 KiB capture from lrzsz's `sx`, against lrzsz's
//     own `rx` receiving the same file from the same sender.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "devlink/file_entry.h"
#include "devlink/ide_link.h"
#include "platform/pty_pair.h"

namespace fs = std::filesystem;
using namespace lumora;

namespace {

constexpr size_t kBody = 256 * 1024;
constexpr int kRounds = 5;
const std::string kBin = LUMORA_BIN_DIR;

double now_s() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::vector<uint8_t> pattern(size_t n) {
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 31 + (i >> 9));
    return b;
}

std::vector<uint8_t> read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

pid_t spawn(const std::vector<std::string>& argv, int in_fd, int out_fd, const std::string& dir = {},
            const std::string& env = {}) {
    pid_t pid = ::fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_RDWR);
        ::dup2(in_fd >= 0 ? in_fd : null, 0);
        ::dup2(out_fd >= 0 ? out_fd : null, 1);
        ::dup2(null, 2);
        if (!dir.empty() && ::chdir(dir.c_str()) != 0) ::_exit(126);
        if (!env.empty()) ::putenv(const_cast<char*>(env.c_str()));
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

int wait_child(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

bool upload_benchmark(const fs::path& work) {
    fs::path link = work / "COM1";
    int out[2];
    if (::pipe(out) != 0) return false;
    pid_t console = spawn({kBin + "/vconsole", "--pty", link.string(), "--blocks", "16384"}, -1, out[1]);
    ::close(out[1]);
    char buf[256];
    bool started = ::read(out[0], buf, sizeof buf) > 0;  // "ready DEVICE"
    ::close(out[0]);
    if (!started) {
        std::fprintf(stderr, "bench_devlink: vconsole did not start\n");
        wait_child(console);
        return false;
    }

    const auto body = pattern(kBody);
    std::vector<double> rates;
    bool ok = true;
    for (int round = 0; round < kRounds && ok; ++round) {
        // The console's answer to EOT is the last line it sends; the link then
        // waits out one more status time-out, which is not transfer time.
        double last_line = 0;
        devlink::IdeLink ide([&](const std::string&) { last_line = now_s(); });
        if (!ide.open_device(link.string()) || !ide.stty()) {
            ok = false;
            break;
        }
        std::string name = "bench" + std::to_string(round);
        auto entry = devlink::build_plain_entry_at(name, body.size(), devlink::CalendarTime{},
                                                   devlink::EntryFlavor::Ide);
        double start = now_s();
        ok = ide.upload_entry(entry, body);
        if (ok) rates.push_back(ide.blocks_sent() / (last_line - start));
    }
    ::kill(console, SIGINT);
    wait_child(console);
    if (!ok) {
        std::fprintf(stderr, "bench_devlink: upload to vconsole failed\n");
        return false;
    }
    std::fflush(stdout);
    std::printf("IDE upload of %zu KiB to vconsole over a pty: %.0f blocks/s (median of %d; %.0f KiB/s)\n",
                kBody / 1024, median(rates), kRounds, median(rates) * 128 / 1024);
    return true;
}

// One receive of `entry_file` sent by sx; returns seconds or a negative value on failure.
double timed_receive(const fs::path& work, const fs::path& entry_file, bool use_snapget) {
    auto pty = platform::PtyPair::create();
    if (!pty) return -1;
    fs::path dir = work / (use_snapget ? "snapget" : "rx");
    fs::remove_all(dir);
    fs::create_directories(dir);
    double start = now_s();
    pid_t sender = spawn({"sx", "-q", entry_file.string()}, pty->master_fd(), pty->master_fd());
    pid_t receiver;
    if (use_snapget) {
        receiver = spawn({kBin + "/snapget", "-com1", "-38400", "-f", "shot.bmp"}, -1, -1, dir.string(),
                         "LUMORA_COM1=" + pty->device_path());
    } else {
        receiver = spawn({"rx", "-X", "-q", "got.fx"}, pty->device_fd(), pty->device_fd(), dir.string());
    }
    int receiver_status = wait_child(receiver);
    double took = now_s() - start;
    // rx discards its last ACK when it resets the line on exit, and sx then
    // waits long for it; the receive is over, so the sender is not waited for.
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(sender, nullptr, WNOHANG) == sender) {
            sender = -1;
            break;
        }
        ::usleep(10000);
    }
    if (sender > 0) {
        ::kill(sender, SIGKILL);
        wait_child(sender);
    }
    if (receiver_status != 0) return -1;
    return took;
}

bool receive_benchmark(const fs::path& work) {
    if (std::system("command -v sx >/dev/null && command -v rx >/dev/null") != 0) {
        std::printf("snapget vs rx: skipped (lrzsz's sx and rx are not installed)\n");
        return true;
    }
    devlink::DirectoryEntry e;
    e.set_name("shot");
    e.set_info("screen capture");
    e.set_size(static_cast<int32_t>(kBody));
    e.set_blocks(static_cast<int16_t>(kBody / 128));
    e.set_mode(devlink::kModePlainFile);
    e.set_resource(devlink::kNoResource);
    auto data = devlink::build_header(e);
    auto body = pattern(kBody);
    data.insert(data.end(), body.begin(), body.end());
    fs::path entry_file = work / "capture.fx";
    std::ofstream(entry_file, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), data.size());

    std::vector<double> snap, rx;
    for (int round = 0; round < kRounds; ++round) {
        double a = timed_receive(work, entry_file, true);
        double b = timed_receive(work, entry_file, false);
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "bench_devlink: a receive failed (snapget %s, rx %s)\n",
                         a < 0 ? "failed" : "ok", b < 0 ? "failed" : "ok");
            return false;
        }
        snap.push_back(a);
        rx.push_back(b);
    }
    if (read_file(work / "snapget" / "shot.bmp") != body) {
        std::fprintf(stderr, "bench_devlink: snapget saved something else than was sent\n");
        return false;
    }
    double ratio = median(snap) / median(rx);
    std::printf(
        "receive %zu KiB from sx over a pty: snapget %.3f s, rx %.3f s (medians of %d): %.2fx rx (goal <= "
        "1.20x) %s\n",
        kBody / 1024, median(snap), median(rx), kRounds, ratio, ratio <= 1.2 ? "met" : "NOT MET");
    return true;
}

}  // namespace

int main() {
    char tmpl[] = "/tmp/lumora-bench-XXXXXX";
    if (!::mkdtemp(tmpl)) return 1;
    fs::path work = tmpl;
    bool ok = upload_benchmark(work) && receive_benchmark(work);
    fs::remove_all(work);
    return ok ? 0 : 1;
}
