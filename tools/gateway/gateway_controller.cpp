#include "gateway_controller.h"

#include "platform/com_name.h"

namespace lumora::gateway {

GatewayController::GatewayController()
    : own_sockets_(std::make_unique<BsdSockets>()), own_pauses_(std::make_unique<RealPauses>()) {
    session_ = std::make_unique<GatewaySession>(*own_sockets_, *own_pauses_);
    reader_ = std::make_unique<SerialReader>(*session_);
}

GatewayController::GatewayController(SocketApi& sockets, Pauses& pauses, HandlerOptions options)
    : session_(std::make_unique<GatewaySession>(sockets, pauses, options)),
      reader_(std::make_unique<SerialReader>(*session_)) {}

GatewayController::~GatewayController() {
    shutdown();
}

void GatewayController::set_hooks(std::function<void(std::string_view)> status,
                                  std::function<void(uint8_t, uint8_t, const CancelFlag&)> unknown) {
    SerialReader* reader = reader_.get();
    session_->set_hooks(
        SessionHooks{std::move(status), std::move(unknown),
                     [reader](std::span<const uint8_t> bytes) { return reader->send(bytes); }});
}

bool GatewayController::choose_port(const std::string& port_name) {
    reader_->stop();
    port_name_ = port_name;
    const auto device = platform::com_name_device(port_name);
    if (!device) return false;
    return reader_->open(*device, speed_);
}

bool GatewayController::open_device(const std::string& device) {
    reader_->stop();
    port_name_ = device;
    return reader_->open(device, speed_);
}

bool GatewayController::choose_speed(int baud) {
    speed_ = baud;
    return reader_->is_open() && reader_->set_speed(baud);
}

void GatewayController::shutdown() {
    if (reader_) reader_->stop();
}

}  // namespace lumora::gateway
