#include "snapget_run.h"

#include <sys/stat.h>
#include <termios.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

#include "devlink/file_entry.h"
#include "devlink/line.h"
#include "devlink/messages.h"
#include "platform/com_name.h"
#include "platform/serial_port.h"
#include "snapget_options.h"
#include "snapget_output.h"

namespace lumora::snapget {

using devlink::format;
using devlink::kLevelError;
using devlink::kLevelInfo;
using devlink::kLevelWarning;

namespace {

// Windows' "file not found", which is what a missing key or value reports.
constexpr int kNotFound = 2;

std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the interrupt flag is set from a signal handler");

extern "C" void on_interrupt(int) {
    g_interrupted.store(true, std::memory_order_relaxed);
}

// Catches Ctrl+C for as long as the port is open.
class InterruptGuard {
  public:
    explicit InterruptGuard(bool active) : active_(active) {
        g_interrupted.store(false);
        if (!active_) return;
        struct sigaction sa {};
        sa.sa_handler = on_interrupt;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, &previous_);
    }
    ~InterruptGuard() {
        if (active_) sigaction(SIGINT, &previous_, nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

  private:
    bool active_;
    struct sigaction previous_ {};
};

class Run {
  public:
    Run(const Environment& env) : env_(env) {}

    void say(const std::string& text) {
        if (env_.err) env_.err(text);
    }
    void message(int level, const std::string& text) {
        if (mask_ & level) say(text);
    }

    int go(const std::string& program, const std::vector<std::string>& args);

  private:
    void read_settings(Options& o);
    std::optional<std::vector<uint8_t>> receive(int port, int baud);
    std::string in_directory(const std::string& path) const {
        if (env_.directory.empty() || (!path.empty() && path[0] == '/')) return path;
        return env_.directory + "/" + path;
    }

    const Environment& env_;
    int mask_ = 0;
};

void Run::read_settings(Options& o) {
    if (o.port && o.baud) return;
    int port = 1, baud = 38400;
    const platform::SettingsStore* s = env_.settings;
    if (!s || !s->exists()) {
        message(kLevelWarning, format("Warning: RegOpenKeyEx() failed (error=%d)\n", kNotFound));
    } else {
        if (auto v = s->read_number("", "CommPort"))
            port = static_cast<int>(*v) + 1;
        else
            message(kLevelWarning,
                    format("Warning: RegQueryValueEx(\"%s\") failed (error=%d)\n", "CommPort", kNotFound));
        if (auto v = s->read_number("", "BaudRate"))
            baud = *v == 0 ? 38400 : 9600;
        else
            message(kLevelWarning,
                    format("Warning: RegQueryValueEx(\"%s\") failed (error=%d)\n", "BaudRate", kNotFound));
    }
    if (!o.port) o.port = port;
    if (!o.baud) o.baud = baud;
}

std::optional<std::vector<uint8_t>> Run::receive(int port, int baud) {
    if (port < 1 || port > 256) {
        message(kLevelWarning, format("use com1 instead of com%d\n", port));
        port = 1;
    }
    std::string device = env_.device_of_port ? env_.device_of_port(port) : platform::com_port_device(port);
    platform::SerialPort serial;
    if (!serial.open(device)) {
        message(kLevelError, format("CreateFile(\"COM%d\"): error = %d\n", port, serial.last_error()));
        return std::nullopt;
    }
    termios current{};
    if (::tcgetattr(serial.fd(), &current) != 0) {
        message(kLevelError, format("GetCommState: error = %d\n", errno));
        return std::nullopt;
    }
    platform::SerialSettings settings;
    settings.baud = baud;
    settings.flow = platform::SerialSettings::Flow::None;
    settings.dtr = platform::SerialSettings::Line::Off;
    settings.rts = platform::SerialSettings::Line::Off;
    if (!serial.configure(settings)) {
        message(kLevelError, format("SetCommState: error = %d\n", serial.last_error()));
        return std::nullopt;
    }
    devlink::SerialLine line(std::move(serial));
    std::optional<std::vector<uint8_t>> data;
    {
        InterruptGuard guard(env_.catch_interrupt);
        devlink::ReceiveOptions options = env_.receive;
        options.interrupted = &g_interrupted;
        devlink::CaptureReceiver receiver(
            line, [this](int level, const std::string& t) { message(level, t); }, options);
        data = receiver.receive();
        // Input still queued belongs to this transfer; what we wrote (the
        // final ACK or the CAN bytes) must still reach the sender.
        line.port().purge(true, false);
    }
    line.port().close();
    return data;
}

int Run::go(const std::string& program, const std::vector<std::string>& args) {
    ParseResult parsed = parse_options(args);
    if (parsed.action == ParseResult::Action::Usage) {
        say(usage_text(program));
        return parsed.exit_status;
    }
    if (parsed.action == ParseResult::Action::Fail) {
        say(parsed.error);
        return parsed.exit_status;
    }
    Options o = parsed.options;
    mask_ = o.verbose ? devlink::kLevelAll : 0;
    read_settings(o);
    message(kLevelInfo, format("Comm port: COM%d\n", *o.port));
    message(kLevelInfo, format("Baud rate: %d bps\n", *o.baud));

    auto data = receive(*o.port, *o.baud);
    if (!data) {
        say("XMODEM receive failed\n");
        return 1;
    }

    devlink::SplitResult split = devlink::split_received(*data);
    if (!split.entry) {
        message(kLevelError, split.error);
        say("BMP write failed\n");
        return 1;
    }
    const devlink::ReceivedEntry& received = *split.entry;
    for (const auto& [level, text] : header_report(received, *data)) message(level, text);

    const bool from_entry = !o.output.has_value();
    const std::string name = o.output ? *o.output : received.entry.name();
    auto exists = [this](const std::string& path) {
        struct stat st {};
        return ::stat(in_directory(path).c_str(), &st) == 0;
    };
    auto path = choose_output_path(name, from_entry, o.force, exists);
    if (!path) {
        say("I don't know how to make BMP filename\n");
        return 1;
    }

    message(kLevelInfo, format("Writing: %s\n", path->c_str()));
    // Written beside the target and renamed over it at the end, so a failed
    // write never leaves half a picture or costs the file "-f" replaces.
    const std::string target = in_directory(*path);
    const std::string part = target + ".part";
    std::FILE* file = std::fopen(part.c_str(), "wb");
    if (!file) {
        message(kLevelError, format("can not open file to write (\"%s\")\n", path->c_str()));
        return 1;
    }
    const size_t offset = std::min(received.body_offset, data->size());
    const size_t length = std::min(received.code_length, data->size() - offset);
    bool ok = length == 0 || std::fwrite(data->data() + offset, 1, length, file) == length;
    ok = (std::fclose(file) == 0) && ok;
    ok = ok && std::rename(part.c_str(), target.c_str()) == 0;
    if (!ok) {
        std::remove(part.c_str());
        message(kLevelError, "can not write to file\n");
        return 1;
    }
    return 0;
}

}  // namespace

int run(const std::string& program, const std::vector<std::string>& args, const Environment& env) {
    Run r(env);
    return r.go(program, args);
}

}  // namespace lumora::snapget
