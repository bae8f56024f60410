#include "testkit/vconsole/options.h"

#include <charconv>
#include <optional>

namespace lumora::vconsole {
namespace {

std::optional<int> to_int(const std::string& s, int lo, int hi) {
    int v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi) return std::nullopt;
    return v;
}

}  // namespace

std::string usage_text(const std::string& program) {
    return "usage: " + program +
           " (--pty LINK | --port DEVICE) [options]\n"
           "A stand-in for the Lumora console on a serial line: its shell with /rom0\n"
           "storage and XMODEM uploads, or (--send-capture) its screen capture program.\n"
           "\n"
           "Line:\n"
           "  --pty LINK           make a pseudo-terminal and link its device end at LINK\n"
           "                       (then LUMORA_COM1=LINK lets the kit's tools reach it)\n"
           "  --port DEVICE        serve a real serial device\n"
           "  --baud N             speed for --port (default 38400)\n"
           "  --line-rate BITS     pace every byte in both directions as a UART at BITS\n"
           "                       bit/s would (10 bits a byte); for timing a pty like a cable\n"
           "Shell:\n"
           "  --blocks N           size of /rom0 in 128-byte blocks (default 2048); a file\n"
           "                       takes one block for its entry plus its body blocks\n"
           "  --exists-code CODE   answer to an upload onto an existing name: 450 (default) or 550\n"
           "  --lf                 end status lines with LF alone (default CR LF)\n"
           "  --exec-time MS       how long an executed program runs (default 200)\n"
           "  --nak-interval MS    repeat NAK while the sender is quiet (default 3000)\n"
           "  --store DIR          keep every stored file in DIR: NAME holds the body\n"
           "                       (size bytes), NAME.fx the header as received plus the body\n"
           "Faults:\n"
           "  --corrupt-block N    treat block N (1 = the header block) as damaged once;\n"
           "                       with --send-capture, send it once with a bad checksum\n"
           "  --cancel-after N     cancel the first upload after N blocks (CAN CAN, 426)\n"
           "  --silent             never answer anything\n"
           "  --slow MS            wait MS before each status line\n"
           "Capture program:\n"
           "  --send-capture FILE  send FILE by XMODEM to a receiver that asks with NAK; a\n"
           "                       file without a file entry header is wrapped in one\n"
           "  --name NAME          name in that entry (default: FILE's name)\n"
           "  --start-timeout MS   how long to wait for the receiver (default 60000)\n"
           "Other:\n"
           "  -v, --verbose        print a transcript of the conversation on standard error\n"
           "  -h, --help           print this text\n"
           "\n"
           "Once the line is open one line \"ready DEVICE\" is printed on standard output.\n"
           "Commands: stty -echo, stty echo, put /rom0, delete /rom0/NAME, defrag rom0,\n"
           "exec /rom0/NAME, ls (names may be quoted). Exit with Ctrl+C.\n";
}

ParsedOptions parse_options(const std::vector<std::string>& args) {
    ParsedOptions r;
    Options& o = r.options;
    auto fail = [&](std::string why) {
        r.ok = false;
        r.error = std::move(why);
        return r;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
        auto number = [&](int lo, int hi, int& out) -> bool {
            const std::string* v = value();
            if (!v) {
                r.error = a + " needs a value";
                return false;
            }
            auto n = to_int(*v, lo, hi);
            if (!n) {
                r.error =
                    a + ": not a number from " + std::to_string(lo) + " to " + std::to_string(hi) + ": " + *v;
                return false;
            }
            out = *n;
            return true;
        };
        auto text = [&](std::string& out) -> bool {
            const std::string* v = value();
            if (!v || v->empty()) {
                r.error = a + " needs a value";
                return false;
            }
            out = *v;
            return true;
        };
        if (a == "-h" || a == "--help") {
            r.help = true;
            r.ok = true;
            return r;
        } else if (a == "-v" || a == "--verbose") {
            o.verbose = true;
        } else if (a == "--pty" || a == "--port") {
            if (o.line != Options::Line::None) return fail("give one of --pty and --port, once");
            o.line = a == "--pty" ? Options::Line::Pty : Options::Line::Port;
            if (!text(o.path)) return r;
        } else if (a == "--baud") {
            if (!number(50, 4000000, o.baud)) return r;
        } else if (a == "--line-rate") {
            if (!number(50, 4000000, o.line_rate)) return r;
        } else if (a == "--blocks") {
            int n = 0;
            if (!number(1, 1 << 24, n)) return r;
            o.shell.capacity_blocks = static_cast<uint32_t>(n);
        } else if (a == "--exists-code") {
            if (!number(0, 999, o.shell.exists_code)) return r;
            if (o.shell.exists_code != 450 && o.shell.exists_code != 550)
                return fail("--exists-code: 450 or 550");
        } else if (a == "--lf") {
            o.shell.crlf = false;
        } else if (a == "--exec-time") {
            if (!number(0, 3600000, o.shell.exec_run_ms)) return r;
        } else if (a == "--nak-interval") {
            if (!number(10, 600000, o.shell.nak_interval_ms)) return r;
        } else if (a == "--store") {
            if (!text(o.store_dir)) return r;
        } else if (a == "--corrupt-block") {
            if (!number(1, 1 << 30, o.shell.corrupt_block)) return r;
        } else if (a == "--cancel-after") {
            if (!number(1, 1 << 30, o.shell.cancel_after)) return r;
        } else if (a == "--silent") {
            o.shell.silent = true;
        } else if (a == "--slow") {
            if (!number(0, 600000, o.shell.answer_delay_ms)) return r;
        } else if (a == "--send-capture") {
            if (!text(o.capture_file)) return r;
        } else if (a == "--name") {
            if (!text(o.capture_name)) return r;
        } else if (a == "--start-timeout") {
            if (!number(1, 24 * 3600 * 1000, o.start_timeout_ms)) return r;
        } else {
            return fail("unknown option: " + a);
        }
    }
    if (o.line == Options::Line::None) return fail("give --pty LINK or --port DEVICE");
    if (!o.capture_name.empty() && o.capture_file.empty()) return fail("--name belongs to --send-capture");
    r.ok = true;
    return r;
}

}  // namespace lumora::vconsole
