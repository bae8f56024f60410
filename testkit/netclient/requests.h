#pragma once
// Request frames of a console network program, and the little script
// language of the netclient tool that builds them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumora::netclient {

using Bytes = std::vector<uint8_t>;

Bytes request(uint8_t command_class, uint8_t code, const Bytes& args = {});

Bytes power_on();
Bytes power_off();
Bytes check_status();
Bytes open_socket();
// Address in dotted IPv4 form; family and port bytes as the console sends them.
std::optional<Bytes> connect_socket(uint8_t slot, const std::string& ipv4, uint16_t port);
Bytes close_socket(uint8_t slot);
Bytes lookup(const std::string& name);
Bytes send_socket(uint8_t slot, const std::string& data);
Bytes recv_line(uint8_t slot, uint8_t max);
Bytes recv_buffer(uint8_t slot, uint8_t max);

// One script step.
struct Step {
    enum Kind { Request, Raw, Sleep } kind = Request;
    Bytes bytes;  // what to send
    int sleep_ms = 0;
};

// Parses one script line; nullopt with `error` set on a mistake, an empty
// step list for blank and comment lines.
std::optional<std::vector<Step>> parse_line(const std::string& line, std::string& error);

// "\r", "\n", "\t", "\\", "\xHH" in a text argument.
std::optional<std::string> unescape(const std::string& text);

std::string script_help();

}  // namespace lumora::netclient
