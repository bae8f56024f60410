#include "gateway_session.h"

#include "frame_log.h"

namespace lumora::gateway {

GatewaySession::GatewaySession(SocketApi& sockets, Pauses& pauses, HandlerOptions options)
    : handler_(sockets, pauses, options) {}

void GatewaySession::set_log_path(std::string path) {
    std::lock_guard<std::mutex> lock(log_lock_);
    log_path_ = std::move(path);
}

std::string GatewaySession::log_path() const {
    std::lock_guard<std::mutex> lock(log_lock_);
    return log_path_;
}

uint64_t GatewaySession::frames_handled() const {
    std::lock_guard<std::mutex> lock(frame_lock_);
    return frames_;
}

bool GatewaySession::powered() const {
    std::lock_guard<std::mutex> lock(frame_lock_);
    return handler_.powered();
}

bool GatewaySession::connected() const {
    std::lock_guard<std::mutex> lock(frame_lock_);
    return handler_.connected();
}

void GatewaySession::on_input(std::span<const uint8_t> chunk) {
    std::lock_guard<std::mutex> lock(frame_lock_);
    auto assembled = assembler_.feed(chunk, handler_.powered());
    if (!assembled) return;
    ++frames_;

    const std::string log = log_path();
    if (!log.empty()) {
        std::vector<uint8_t> received = assembled->frame;
        received.insert(received.end(), assembled->trailing.begin(), assembled->trailing.end());
        append_log_line(log, 'R', received);
    }
    if (hooks_.status) hooks_.status(CommandHandler::status_text(assembled->frame));

    const HandleResult result = handler_.handle(assembled->frame, cancel_);
    if (result.unknown) {
        if (hooks_.unknown) hooks_.unknown(result.command_class, result.command_code, cancel_);
        return;
    }
    if (!result.reply) return;
    if (hooks_.send) hooks_.send(*result.reply);
    const std::string log_now = log_path();
    if (!log_now.empty()) append_log_line(log_now, 'S', *result.reply);
}

}  // namespace lumora::gateway
