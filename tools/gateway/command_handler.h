#pragma once
// The data adapter the console believes it talks to: answers one complete
// frame at a time. Phone and dial-up commands get fixed answers; socket and
// name commands are carried out through a SocketApi.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "socket_api.h"
#include "socket_table.h"

namespace lumora::gateway {

struct HandlerOptions {
    // How long a receive waits for the next byte before it ends.
    int receive_pause_ms = 1000;
};

struct HandleResult {
    std::optional<std::vector<uint8_t>> reply;  // nothing is sent when empty
    bool unknown = false;                       // not a command of the adapter
    uint8_t command_class = 0;
    uint8_t command_code = 0;
};

class CommandHandler {
  public:
    CommandHandler(SocketApi& sockets, Pauses& pauses, HandlerOptions options = {});

    // The status text shown while a frame is handled ("unkown command!" for
    // anything the adapter does not know).
    static std::string_view status_text(std::span<const uint8_t> frame);

    // Carries out one complete frame (n + 3 bytes) and builds the reply.
    HandleResult handle(std::span<const uint8_t> frame, const CancelFlag& cancel);

    bool powered() const { return powered_; }
    bool connected() const { return connected_; }
    const SocketTable& sockets() const { return table_; }

  private:
    std::vector<uint8_t> phone_command(uint8_t code, const CancelFlag& cancel);
    std::vector<uint8_t> open_socket();
    std::vector<uint8_t> connect_socket(std::span<const uint8_t> args, const CancelFlag& cancel);
    std::vector<uint8_t> close_socket(std::span<const uint8_t> args);
    std::vector<uint8_t> lookup_name(std::span<const uint8_t> args, const CancelFlag& cancel);
    std::vector<uint8_t> receive(uint8_t code, std::span<const uint8_t> args, const CancelFlag& cancel);
    std::vector<uint8_t> send(std::span<const uint8_t> args, const CancelFlag& cancel);

    SocketApi& sockets_;
    Pauses& pauses_;
    HandlerOptions options_;
    SocketTable table_;
    bool powered_ = false;
    bool connected_ = false;
};

}  // namespace lumora::gateway
