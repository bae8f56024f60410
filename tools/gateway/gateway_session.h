#pragma once
// One gateway: frame assembly, the adapter, the log and the hooks that show
// status, report unknown commands and send replies. Serial input from the
// reader goes through on_input(), which does all frame work under the
// session's lock.

#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "command_handler.h"
#include "frame_assembler.h"
#include "socket_api.h"

namespace lumora::gateway {

struct SessionHooks {
    // The status text of the frame about to be handled.
    std::function<void(std::string_view)> status;
    // An unknown command. May block (a message box); frame handling waits for
    // it, but it should return soon once `cancel` is set.
    std::function<void(uint8_t command_class, uint8_t command_code, const CancelFlag& cancel)> unknown;
    // Writes a reply to the serial line; false when it could not be written.
    std::function<bool(std::span<const uint8_t>)> send;
};

class GatewaySession {
  public:
    GatewaySession(SocketApi& sockets, Pauses& pauses, HandlerOptions options = {});

    // Set before any reader runs.
    void set_hooks(SessionHooks hooks) { hooks_ = std::move(hooks); }
    void set_log_path(std::string path);
    std::string log_path() const;

    // One read's worth of serial input.
    void on_input(std::span<const uint8_t> chunk);

    // Makes blocking work in progress give up soon; cleared when the reader is gone.
    void request_cancel() { cancel_.store(true); }
    void clear_cancel() { cancel_.store(false); }
    const CancelFlag& cancel_flag() const { return cancel_; }

    // Frames handled so far (whole frames, known or not).
    uint64_t frames_handled() const;
    bool powered() const;
    bool connected() const;

  private:
    mutable std::mutex frame_lock_;
    mutable std::mutex log_lock_;
    std::string log_path_;
    SessionHooks hooks_;
    FrameAssembler assembler_;
    CommandHandler handler_;
    CancelFlag cancel_{false};
    uint64_t frames_ = 0;
};

}  // namespace lumora::gateway
