#pragma once
// The "comm" worker's model: serves the serial request byte of the area with
// a real serial device (open, close, send, receive with a time-out in frames).

#include <cstdint>
#include <functional>
#include <string>

#include "area.h"
#include "platform/serial_port.h"

namespace lumora::simvane {

// The device that stands for the console's serial port: SIMVANE_SERIAL when
// set and not empty, else the kit's COM1.
std::string serial_device_from_environment();

// One frame of receive time-out, in microseconds.
constexpr int kFrameMicrosForTimeout = 13333;
// Longest single wait, so that a stop is noticed promptly.
constexpr int kWaitSliceMillis = 10;

class CommModel {
  public:
    // `stop_waiting` is asked between short waits of a send or receive; when
    // it answers true the request ends with what it has.
    CommModel(std::string device, std::function<bool()> stop_waiting);

    // One round of the worker. While paused (serial switched off or the
    // program under test not ready) the device is closed and a pending
    // request stays pending; afterwards a device the program had open is
    // opened again.
    void round(Area area, bool paused);

    bool is_open() const { return port_.is_open(); }
    const std::string& device() const { return device_; }

  private:
    bool open_port();
    void open_device(Area area);
    void send(Area area);
    void receive(Area area);
    void finish(Area area, uint16_t count, uint16_t result);
    bool set_speed(Area area);

    std::string device_;
    std::function<bool()> stop_waiting_;
    platform::SerialPort port_;
    int speed_ = 0;
    bool wanted_open_ = false;  // opened by the program under test and not closed since
    bool resume_open_ = false;
};

}  // namespace lumora::simvane
