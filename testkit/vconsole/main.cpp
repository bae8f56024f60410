// vconsole: the console end of the serial cable, for trying and testing the
// kit without hardware.

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/file_bytes.h"
#include "platform/pty_pair.h"
#include "platform/serial_port.h"
#include "testkit/vconsole/capture_sender.h"
#include "testkit/vconsole/file_store.h"
#include "testkit/vconsole/line_pacer.h"
#include "testkit/vconsole/options.h"
#include "testkit/vconsole/serve.h"

using namespace lumora;
using namespace lumora::vconsole;

namespace {

std::atomic<bool> g_stop{false};

void on_signal(int) {
    g_stop.store(true);
}

void install_signals() {
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: a signal must wake poll()
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

void say(const std::string& line) {
    std::fprintf(stderr, "vconsole: %s\n", line.c_str());
}

// Puts a symbolic link to the pseudo-terminal at `link`. An old link is
// replaced (a previous run may have been killed); anything else is left alone.
bool make_link(const std::string& link, const std::string& target) {
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            say(link + " exists and is not a symbolic link; not touching it");
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        say("cannot create " + link + ": " + std::strerror(errno));
        return false;
    }
    return true;
}

void remove_link(const std::string& link, const std::string& target) {
    char buf[4096];
    ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
    if (n < 0) return;
    buf[n] = 0;
    if (target == buf) ::unlink(link.c_str());  // only our own link
}

int send_capture(int fd, const Options& o) {
    auto file = read_file_bytes(o.capture_file);
    if (!file) {
        say("cannot read " + o.capture_file + ": " + std::strerror(errno));
        return 1;
    }
    if (file->size() < 2 || (*file)[0] != 'B' || (*file)[1] != 'M') {
        if (o.verbose) say("note: " + o.capture_file + " does not look like a BMP; sending it anyway");
    }
    std::string error;
    std::string name = o.capture_name.empty() ? std::string(path_base_name(o.capture_file)) : o.capture_name;
    auto entry = build_capture_entry(*file, name, std::time(nullptr), &error);
    if (!entry) {
        say(o.capture_file + ": " + error);
        return 1;
    }
    PacedFdStream line(fd, o.line_rate);
    SendOptions so;
    so.corrupt_block = o.shell.corrupt_block;
    so.start_timeout_ms = o.start_timeout_ms;
    LogFn log;
    if (o.verbose) log = [](const std::string& s) { std::fprintf(stderr, "%s\n", s.c_str()); };
    SendResult r = xmodem_send(line, *entry, so, log);
    if (r == SendResult::Unconfirmed) {
        // Every block was acknowledged; receivers that flush their line on
        // closing can lose the last ACK, so this still counts as delivered.
        if (o.verbose) say(describe(r));
        return 0;
    }
    if (r != SendResult::Ok) {
        say(std::string("capture not sent: ") + (g_stop.load() ? "interrupted" : describe(r)));
        return 1;
    }
    if (o.verbose) say("capture sent (" + std::to_string(entry->size()) + " bytes)");
    return 0;
}

int run_shell(int fd, const Options& o) {
    ShellSession session(o.shell);
    if (o.verbose) session.on_log = [](const std::string& s) { std::fprintf(stderr, "%s\n", s.c_str()); };
    std::optional<FileStore> store;
    if (!o.store_dir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(o.store_dir, ec);
        if (ec || !std::filesystem::is_directory(o.store_dir)) {
            say("cannot create " + o.store_dir + (ec ? ": " + ec.message() : std::string()));
            return 1;
        }
        store.emplace(o.store_dir);
        session.on_stored = [&](const StoredFile& f) {
            std::string error;
            if (!store->save(f, &error)) say("store: " + error);
        };
        session.on_deleted = [&](const std::string& name) { store->remove(name); };
    }
    int rc = serve_shell(fd, session, g_stop, o.line_rate);
    if (rc != 0 && !g_stop.load()) say("the line failed");
    return g_stop.load() ? 0 : rc;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::puts("vconsole " LUMORA_VERSION);
        return 0;
    }
    ParsedOptions parsed = parse_options(args);
    if (!parsed.ok) {
        say(parsed.error);
        std::fprintf(stderr, "Try 'vconsole --help'.\n");
        return 2;
    }
    if (parsed.help) {
        std::fputs(usage_text("vconsole").c_str(), stdout);
        return 0;
    }
    const Options& o = parsed.options;
    install_signals();

    std::optional<platform::PtyPair> pty;
    platform::SerialPort port;
    int fd = -1;
    std::string device;
    if (o.line == Options::Line::Pty) {
        pty = platform::PtyPair::create();
        if (!pty) {
            say(std::string("cannot create a pseudo-terminal: ") + std::strerror(errno));
            return 1;
        }
        device = pty->device_path();
        if (!make_link(o.path, device)) return 1;
        fd = pty->master_fd();
    } else {
        if (!port.open(o.path)) {
            say("cannot open " + o.path + ": " + std::strerror(port.last_error()));
            return 1;
        }
        platform::SerialSettings s;
        s.baud = o.baud;
        s.flow = platform::SerialSettings::Flow::None;
        s.dtr = platform::SerialSettings::Line::On;
        s.rts = platform::SerialSettings::Line::On;
        if (!port.configure(s)) {
            say("cannot configure " + o.path + ": " + std::strerror(port.last_error()));
            return 1;
        }
        device = o.path;
        fd = port.fd();
    }
    std::printf("ready %s\n", device.c_str());
    std::fflush(stdout);

    int rc = o.capture_file.empty() ? run_shell(fd, o) : send_capture(fd, o);
    if (pty) remove_link(o.path, device);
    return rc;
}
