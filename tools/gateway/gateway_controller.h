#pragma once
// What the dialog and the headless runner share: the sockets, the session
// and the reader of the chosen port, with the port and speed choices.

#include <memory>
#include <string>

#include "bsd_sockets.h"
#include "gateway_session.h"
#include "serial_reader.h"

namespace lumora::gateway {

class GatewayController {
  public:
    static constexpr int kDefaultSpeed = 9600;

    // Real host sockets and delays.
    GatewayController();
    // Injected sockets and delays (tests, benchmarks).
    GatewayController(SocketApi& sockets, Pauses& pauses, HandlerOptions options = {});
    ~GatewayController();

    GatewaySession& session() { return *session_; }
    // Installs the hooks; the send hook is supplied here (it writes to the open port).
    void set_hooks(std::function<void(std::string_view)> status,
                   std::function<void(uint8_t, uint8_t, const CancelFlag&)> unknown);

    // Closes the current port (stopping its reader) and opens "COMn:" at the
    // current speed. False when the name is not a port or it cannot be opened;
    // the gateway then has no reader until another port is chosen.
    bool choose_port(const std::string& port_name);
    // Same, with a device path.
    bool open_device(const std::string& device);
    // Reconfigures the open port and keeps the speed for later openings.
    bool choose_speed(int baud);
    void set_log_path(const std::string& path) { session_->set_log_path(path); }
    // Stops the reader and closes the port.
    void shutdown();

    const std::string& port_name() const { return port_name_; }
    // The device behind the open port.
    const std::string& port_device() const { return reader_->device(); }
    int speed() const { return speed_; }
    bool port_open() const { return reader_->is_open(); }
    int last_error() const { return reader_->last_error(); }

  private:
    std::unique_ptr<BsdSockets> own_sockets_;
    std::unique_ptr<RealPauses> own_pauses_;
    std::unique_ptr<GatewaySession> session_;
    std::unique_ptr<SerialReader> reader_;
    std::string port_name_;
    int speed_ = kDefaultSpeed;
};

}  // namespace lumora::gateway
