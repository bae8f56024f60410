#include "requests.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace lumora::netclient {

Bytes request(uint8_t command_class, uint8_t code, const Bytes& args) {
    // Sized up front: GCC 12 at -O3 misreads an insert behind a braced list as an overrun.
    Bytes f(args.size() + 4);
    f[0] = command_class;
    f[1] = 0x00;
    f[2] = static_cast<uint8_t>(args.size() + 1);
    f[3] = code;
    std::copy(args.begin(), args.end(), f.begin() + 4);
    return f;
}

Bytes power_on() {
    return request(0x01, 0x02);
}
Bytes power_off() {
    return request(0x0F, 0xFF);
}
Bytes check_status() {
    return request(0x02, 0x01);
}
Bytes open_socket() {
    return request(0x11, 0x01);
}

std::optional<Bytes> connect_socket(uint8_t slot, const std::string& ipv4, uint16_t port) {
    in_addr a{};
    if (::inet_pton(AF_INET, ipv4.c_str(), &a) != 1) return std::nullopt;
    Bytes args(17, 0x00);
    args[0] = slot;
    args[1] = 0x00;  // family, high byte first
    args[2] = 0x02;
    args[3] = static_cast<uint8_t>(port & 0xFF);  // port, low byte first
    args[4] = static_cast<uint8_t>(port >> 8);
    std::memcpy(args.data() + 5, &a, 4);
    return request(0x11, 0x03, args);
}

Bytes close_socket(uint8_t slot) {
    return request(0x11, 0x07, {slot});
}

Bytes lookup(const std::string& name) {
    Bytes args(name.begin(), name.end());
    args.push_back(0x00);
    return request(0x11, 0x08, args);
}

Bytes send_socket(uint8_t slot, const std::string& data) {
    Bytes args(data.size() + 1);
    args[0] = slot;
    std::copy(data.begin(), data.end(), args.begin() + 1);
    return request(0x11, 0x0E, args);
}

Bytes recv_line(uint8_t slot, uint8_t max) {
    return request(0x11, 0x0D, {slot, max});
}
Bytes recv_buffer(uint8_t slot, uint8_t max) {
    return request(0x11, 0x0F, {slot, max});
}

std::optional<std::string> unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size()) return std::nullopt;
        switch (text[i]) {
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case '0':
                out += '\0';
                break;
            case '\\':
                out += '\\';
                break;
            case 'x': {
                const std::string hex = text.substr(i + 1, 2);
                if (hex.size() != 2 || !std::isxdigit(static_cast<unsigned char>(hex[0])) ||
                    !std::isxdigit(static_cast<unsigned char>(hex[1])))
                    return std::nullopt;
                out += static_cast<char>(std::strtoul(hex.c_str(), nullptr, 16));
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return out;
}

namespace {

std::optional<long> number(const std::string& s, long lo, long hi) {
    if (s.empty()) return std::nullopt;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 0);
    if (*end || v < lo || v > hi) return std::nullopt;
    return v;
}

}  // namespace

std::optional<std::vector<Step>> parse_line(const std::string& line, std::string& error) {
    std::istringstream in(line);
    std::string word;
    std::vector<Step> steps;
    if (!(in >> word) || word[0] == '#') return steps;
    std::vector<std::string> args;
    for (std::string a; in >> a;) args.push_back(a);
    auto need = [&](size_t n) {
        if (args.size() == n) return true;
        error = word + ": expects " + std::to_string(n) + " argument(s)";
        return false;
    };
    auto slot = [&](size_t i) -> std::optional<uint8_t> {
        const auto v = number(args[i], 0, 255);
        if (!v) error = word + ": slot must be 0-255: " + args[i];
        return v ? std::optional<uint8_t>(static_cast<uint8_t>(*v)) : std::nullopt;
    };
    auto simple = [&](uint8_t cls, uint8_t code) -> std::optional<std::vector<Step>> {
        if (!need(0)) return std::nullopt;
        return std::vector<Step>{{Step::Request, request(cls, code), 0}};
    };

    if (word == "power-on") return simple(0x01, 0x02);
    if (word == "check-pdc") return simple(0x01, 0x00);
    if (word == "dialup") return simple(0x01, 0x08);
    if (word == "hangup") return simple(0x01, 0x0A);
    if (word == "set-ppp") return simple(0x01, 0x10);
    if (word == "set-dns") return simple(0x01, 0x11);
    if (word == "status") return simple(0x02, 0x01);
    if (word == "power-off") return simple(0x0F, 0xFF);
    if (word == "open") return simple(0x11, 0x01);
    if (word == "close") {
        if (!need(1)) return std::nullopt;
        auto k = slot(0);
        if (!k) return std::nullopt;
        return std::vector<Step>{{Step::Request, close_socket(*k), 0}};
    }
    if (word == "connect") {
        if (!need(3)) return std::nullopt;
        auto k = slot(0);
        const auto port = number(args[2], 0, 65535);
        if (!k || !port) {
            if (error.empty()) error = "connect: port must be 0-65535";
            return std::nullopt;
        }
        auto f = connect_socket(*k, args[1], static_cast<uint16_t>(*port));
        if (!f) {
            error = "connect: not an IPv4 address: " + args[1];
            return std::nullopt;
        }
        return std::vector<Step>{{Step::Request, *f, 0}};
    }
    if (word == "lookup") {
        if (!need(1)) return std::nullopt;
        return std::vector<Step>{{Step::Request, lookup(args[0]), 0}};
    }
    if (word == "send") {
        // The text is the rest of the line after the slot, escapes allowed.
        if (args.size() < 2) {
            error = "send: expects a slot and a text";
            return std::nullopt;
        }
        auto k = slot(0);
        if (!k) return std::nullopt;
        const size_t at = line.find(args[0], line.find(word) + word.size()) + args[0].size();
        std::string text = line.substr(at);
        text.erase(0, text.find_first_not_of(" \t"));
        auto data = unescape(text);
        if (!data) {
            error = "send: bad escape in text";
            return std::nullopt;
        }
        if (data->size() > 252) {
            error = "send: text longer than a frame can carry";
            return std::nullopt;
        }
        return std::vector<Step>{{Step::Request, send_socket(*k, *data), 0}};
    }
    if (word == "recv-line" || word == "recv-buf") {
        if (!need(2)) return std::nullopt;
        auto k = slot(0);
        const auto m = number(args[1], 0, 255);
        if (!k || !m) {
            if (error.empty()) error = word + ": count must be 0-255";
            return std::nullopt;
        }
        const uint8_t max = static_cast<uint8_t>(*m);
        return std::vector<Step>{
            {Step::Request, word == "recv-line" ? recv_line(*k, max) : recv_buffer(*k, max), 0}};
    }
    if (word == "raw") {
        Step s{Step::Raw, {}, 0};
        for (const auto& a : args) {
            const auto v = number("0x" + a, 0, 255);
            if (!v || a.size() > 2) {
                error = "raw: not a hex byte: " + a;
                return std::nullopt;
            }
            s.bytes.push_back(static_cast<uint8_t>(*v));
        }
        if (s.bytes.empty()) {
            error = "raw: expects hex bytes";
            return std::nullopt;
        }
        return std::vector<Step>{s};
    }
    if (word == "sleep") {
        if (!need(1)) return std::nullopt;
        const auto ms = number(args[0], 0, 600000);
        if (!ms) {
            error = "sleep: milliseconds expected";
            return std::nullopt;
        }
        return std::vector<Step>{{Step::Sleep, {}, static_cast<int>(*ms)}};
    }
    error = "unknown command: " + word;
    return std::nullopt;
}

std::string script_help() {
    return "Script commands (one per argument or per line of standard input):\n"
           "  power-on  power-off  check-pdc  dialup  hangup  set-ppp  set-dns  status\n"
           "  open                      open a socket (the reply's last byte is the slot)\n"
           "  connect K ADDRESS PORT    connect slot K to an IPv4 address\n"
           "  send K TEXT               send TEXT (escapes \\r \\n \\t \\0 \\\\ \\xHH)\n"
           "  recv-line K M             receive a line of at most M bytes\n"
           "  recv-buf K M              receive at most M bytes\n"
           "  close K                   close slot K\n"
           "  lookup NAME               look a host name up\n"
           "  raw HH HH ...             send bytes as they are, show whatever comes back\n"
           "  sleep MS                  wait\n"
           "  # ...                     a comment\n";
}

}  // namespace lumora::netclient
