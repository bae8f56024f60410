// Serial transfers at a cable's speed: the virtual console paces the
// pseudo-terminal as a UART would (vconsole --line-rate), and a 64 KiB file
// goes across with lmPutw, the IDE's upload and snapget's capture receive.
// Each is given as a share of the XMODEM limit for that speed: every byte
// that crossed the line (132 per block out, 1 back, plus the command lines
// and their answers) at 10 bits a byte. Goal: at least 97 %.
//
// Usage: bench_lmputw [RATE...]   (default: 9600 38400)
//
// Every block costs a few wake-ups of the processes on both ends. On a busy
// machine those wait behind other work and the figures show the queue for the
// processor more than the programs; `chrt -f 10 bench_lmputw` runs the
// transfers ahead of that work (the processes sleep on the line almost all
// the time, so this takes nothing from anyone).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "devlink/file_entry.h"
#include "devlink/ide_link.h"
#include "devlink/line.h"
#include "tests/support/child_process.h"

namespace fs = std::filesystem;
using namespace lumora;
using testing::Child;
using testing::ChildOptions;

namespace {

constexpr size_t kFile = 64 * 1024;
const std::string kBin = LUMORA_BIN_DIR;
constexpr double kGoal = 0.97;

double now_s() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::vector<uint8_t> pattern(size_t n) {
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 29 + (i >> 10));
    return b;
}

void write_file(const fs::path& p, const std::vector<uint8_t>& d) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(d.data()), std::streamsize(d.size()));
}

std::string read_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool is_hex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// Bytes in the dumps of an lmPut.log: each dump is "XX " per byte, then " (".
// Its character part can never hold two hex digits side by side (every
// character is followed by a space), so the hex runs are found unambiguously.
size_t dumped_bytes(const std::string& log) {
    size_t total = 0;
    for (size_t at = log.find(" ("); at != std::string::npos; at = log.find(" (", at + 1)) {
        size_t k = 0;
        size_t p = at;
        while (p >= 3 && log[p - 1] == ' ' && is_hex(log[p - 2]) && is_hex(log[p - 3])) {
            ++k;
            p -= 3;
        }
        total += k;
    }
    return total;
}

// A line that counts what crosses it.
class CountingLine : public devlink::Line {
  public:
    explicit CountingLine(devlink::Line& inner) : inner_(inner) {}
    size_t bytes = 0;
    bool is_open() const override { return inner_.is_open(); }
    int bytes_waiting() override { return inner_.bytes_waiting(); }
    long read(uint8_t* buffer, size_t n, int timeout_ms) override {
        long got = inner_.read(buffer, n, timeout_ms);
        if (got > 0) bytes += static_cast<size_t>(got);
        return got;
    }
    bool write(const uint8_t* data, size_t n, int timeout_ms) override {
        bool ok = inner_.write(data, n, timeout_ms);
        if (ok) bytes += n;
        return ok;
    }
    using Line::write;
    bool purge() override { return inner_.purge(); }
    uint32_t take_line_errors() override { return inner_.take_line_errors(); }
    int last_error() const override { return inner_.last_error(); }
    int64_t now_ms() const override { return inner_.now_ms(); }
    void sleep_ms(int ms) override { inner_.sleep_ms(ms); }

  private:
    devlink::Line& inner_;
};

class Console {
  public:
    bool start(const fs::path& link, const std::vector<std::string>& extra) {
        ChildOptions launch;
        launch.argv = {kBin + "/vconsole", "--pty", link.string()};
        launch.argv.insert(launch.argv.end(), extra.begin(), extra.end());
        child_ = Child::start(launch);
        return child_ && child_->wait_for_line("ready /dev/", 10000);
    }
    std::optional<int> wait(int ms) { return child_->wait(ms); }
    ~Console() {
        if (child_) {
            child_->signal(SIGINT);
            child_->wait(5000);
        }
    }

  private:
    std::optional<Child> child_;
};

struct Result {
    double seconds = 0;
    size_t bytes = 0;
};

double limit_s(size_t bytes, int rate) {
    return bytes * 10.0 / rate;
}

void report(const char* who, int rate, const Result& r) {
    double share = limit_s(r.bytes, rate) / r.seconds;
    std::printf("%-26s %6d bit/s: %7.2f s for %zu line bytes (limit %7.2f s): %5.1f %% of the limit %s\n",
                who, rate, r.seconds, r.bytes, limit_s(r.bytes, rate), share * 100,
                share >= kGoal ? "(goal met)" : "(GOAL NOT MET)");
    std::fflush(stdout);
}

std::optional<int> run_lmputw(const fs::path& work, const fs::path& link,
                              const std::vector<std::string>& args, int timeout_ms) {
    ChildOptions launch;
    launch.argv = {kBin + "/lmPutw", "--no-window"};
    launch.argv.insert(launch.argv.end(), args.begin(), args.end());
    launch.workdir = work.string();
    launch.env = {"LUMORA_COM1=" + link.string(), "XDG_CONFIG_HOME=" + (work / "config").string()};
    launch.capture_stdout = false;
    auto child = Child::start(launch);
    if (!child) return std::nullopt;
    return child->wait(timeout_ms);
}

std::optional<Result> bench_lmputw(const fs::path& work, int rate) {
    const fs::path link = work / "COM_putw";
    write_file(work / "bench.bin", pattern(kFile));
    Result r;
    {
        // The bytes of the conversation, from the log of an unpaced run.
        Console console;
        if (!console.start(link, {"--blocks", "4096"})) return std::nullopt;
        if (run_lmputw(work, link, {"-#", "bench.bin"}, 60000) != 0) return std::nullopt;
        r.bytes = dumped_bytes(read_text(work / "lmPut.log"));
        // The timed run below deletes the copy first, as this one did with nothing.
    }
    Console console;
    if (!console.start(link, {"--blocks", "4096", "--line-rate", std::to_string(rate)})) return std::nullopt;
    double start = now_s();
    if (run_lmputw(work, link, {"bench.bin"}, 600000) != 0) return std::nullopt;
    r.seconds = now_s() - start;
    return r;
}

std::optional<Result> bench_ide(const fs::path& work, int rate) {
    const fs::path link = work / "COM_ide";
    Console console;
    if (!console.start(link, {"--blocks", "4096", "--line-rate", std::to_string(rate)})) return std::nullopt;
    platform::SerialPort port;
    if (!port.open(link.string())) return std::nullopt;
    devlink::SerialLine serial(std::move(port));
    CountingLine counting(serial);
    // The IDE reads status lines after EOT until one times out: the last line
    // ends the transfer, the time-out after it is not transfer time.
    double last_line = 0;
    devlink::IdeLink ide([&](const std::string&) { last_line = now_s(); });
    ide.attach(counting);
    const auto body = pattern(kFile);
    auto entry = devlink::build_plain_entry_at("bench.bin", body.size(), devlink::CalendarTime{},
                                               devlink::EntryFlavor::Ide);
    double start = now_s();
    if (!ide.stty() || !ide.upload_entry(entry, body)) return std::nullopt;
    return Result{last_line - start, counting.bytes};
}

std::optional<Result> bench_snapget(const fs::path& work, int rate) {
    const fs::path link = work / "COM_snap";
    fs::create_directories(work / "snap");
    write_file(work / "shot.bmp", pattern(kFile));
    Console console;
    if (!console.start(link,
                       {"--send-capture", (work / "shot.bmp").string(), "--line-rate", std::to_string(rate)}))
        return std::nullopt;
    ChildOptions launch;
    launch.argv = {kBin + "/snapget", "-com1", rate == 9600 ? "-9600" : "-38400", "-f", "got.bmp"};
    launch.workdir = (work / "snap").string();
    launch.env = {"LUMORA_COM1=" + link.string()};
    launch.capture_stdout = false;
    double start = now_s();
    auto child = Child::start(launch);
    if (!child || child->wait(600000) != 0) return std::nullopt;
    Result r;
    r.seconds = now_s() - start;
    // NAK to start, 132 + ACK per block, EOT and its ACK; header block included.
    const size_t blocks = 1 + kFile / 128;
    r.bytes = 1 + blocks * 133 + 2;
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> rates;
    for (int i = 1; i < argc; ++i) rates.push_back(std::atoi(argv[i]));
    if (rates.empty()) rates = {9600, 38400};
    char tmpl[] = "/tmp/lumora-bench-XXXXXX";
    if (!::mkdtemp(tmpl)) return 1;
    fs::path work = tmpl;
    std::printf("64 KiB over vconsole --line-rate, as a share of the XMODEM limit (goal >= %.0f %%)\n",
                kGoal * 100);
    bool ok = true;
    for (int rate : rates) {
        auto putw = bench_lmputw(work, rate);
        if (putw) report("lmPutw --no-window", rate, *putw);
        auto ide = bench_ide(work, rate);
        if (ide) report("IDE upload (devlink)", rate, *ide);
        auto snap = bench_snapget(work, rate);
        if (snap) report("snapget capture receive", rate, *snap);
        if (!putw || !ide || !snap) {
            std::fprintf(stderr,
                         "bench_lmputw: a transfer at %d bit/s failed (lmPutw %s, IDE %s, snapget %s)\n",
                         rate, putw ? "ok" : "failed", ide ? "ok" : "failed", snap ? "ok" : "failed");
            ok = false;
        }
    }
    fs::remove_all(work);
    return ok ? 0 : 1;
}
