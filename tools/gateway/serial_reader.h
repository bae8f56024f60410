#pragma once
// One open serial port and the thread that reads it for a GatewaySession.
//
// The thread waits on the port and on a wake-up pipe, so stop() is prompt:
// it sets the stop flag, cancels the session's blocking work, wakes the
// thread and joins it. Nothing is ever killed.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>

#include "gateway_session.h"
#include "platform/serial_port.h"

namespace lumora::gateway {

class SerialReader {
  public:
    explicit SerialReader(GatewaySession& session);
    ~SerialReader();
    SerialReader(const SerialReader&) = delete;
    SerialReader& operator=(const SerialReader&) = delete;

    // Opens a device at the given speed (8N1, no flow control, DTR and RTS on,
    // both buffers purged) and starts reading. False when it cannot be opened.
    bool open(const std::string& device, int baud);
    // Changes the speed of the open port.
    bool set_speed(int baud);
    // Stops the thread (bounded: blocking work is cancelled) and closes the port.
    void stop();
    bool is_open() const { return thread_.joinable(); }
    const std::string& device() const { return device_; }
    int last_error() const { return last_error_; }

    // Writes a reply (the session's send hook); 1000 ms at most.
    bool send(std::span<const uint8_t> bytes);

  private:
    void run();

    GatewaySession& session_;
    platform::SerialPort port_;
    std::mutex port_lock_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    int wake_[2] = {-1, -1};
    std::string device_;
    int last_error_ = 0;
};

}  // namespace lumora::gateway
