#include "command_handler.h"

#include <algorithm>
#include <string>

namespace lumora::gateway {

namespace {

constexpr uint8_t kPhone = 0x01;
constexpr uint8_t kStatus = 0x02;
constexpr uint8_t kPowerOff = 0x0F;
constexpr uint8_t kSocket = 0x11;

constexpr uint8_t kRecvLine = 0x0D;
constexpr uint8_t kRecvBuffer = 0x0F;
constexpr uint8_t kNone = 0xFF;

// Longest name whose echo still fits the reply's length byte (name + 7 <= 255).
constexpr size_t kMaxEchoedName = 255 - 7;

std::vector<uint8_t> socket_reply(uint8_t code, uint8_t slot, uint8_t result) {
    return {kSocket, 0x00, 0x03, code, slot, result};
}

}  // namespace

CommandHandler::CommandHandler(SocketApi& sockets, Pauses& pauses, HandlerOptions options)
    : sockets_(sockets), pauses_(pauses), options_(options) {}

std::string_view CommandHandler::status_text(std::span<const uint8_t> frame) {
    if (frame.size() < 4) return "unkown command!";
    const uint8_t cls = frame[0];
    const uint8_t code = frame[3];
    switch (cls) {
        case kPhone:
            switch (code) {
                case 0x00:
                    return "check PDC";
                case 0x02:
                    return "power ON";
                case 0x08:
                    return "dialup";
                case 0x0A:
                    return "hangup";
                case 0x10:
                    return "set PPP";
                case 0x11:
                    return "set DNS";
            }
            break;
        case kStatus:
            if (code == 0x01) return "check Status";
            break;
        case kPowerOff:
            if (code == 0xFF) return "power OFF";
            break;
        case kSocket:
            switch (code) {
                case 0x01:
                    return "open socket";
                case 0x03:
                    return "connect socket";
                case 0x07:
                    return "close socket";
                case 0x08:
                    return "gethstbyname";
                case kRecvLine:
                    return "recv a line";
                case 0x0E:
                    return "send socket";
                case kRecvBuffer:
                    return "recv a buffer";
            }
            break;
    }
    return "unkown command!";
}

HandleResult CommandHandler::handle(std::span<const uint8_t> frame, const CancelFlag& cancel) {
    HandleResult result;
    if (frame.size() < 3) {
        result.unknown = true;
        return result;
    }
    // Never trust the length byte beyond what was really handed over.
    const size_t len = std::min<size_t>(frame.size(), static_cast<size_t>(frame[2]) + 3);
    frame = frame.first(len);
    result.command_class = frame[0];
    result.command_code = frame.size() > 3 ? frame[3] : 0x00;
    if (status_text(frame) == "unkown command!") {
        result.unknown = true;
        return result;
    }
    const uint8_t code = frame[3];
    const std::span<const uint8_t> args = frame.subspan(4);

    switch (frame[0]) {
        case kPhone:
            result.reply = phone_command(code, cancel);
            break;
        case kStatus: {
            const uint8_t s = !powered_ ? 0x00 : (connected_ ? 0x03 : 0x02);
            result.reply = std::vector<uint8_t>{0x02, 0x00, 0x02, 0x02, s};
            break;
        }
        case kPowerOff:
            result.reply = std::vector<uint8_t>{0x0F, 0x00, 0x01, 0xFF, 0x00};
            powered_ = false;
            break;
        case kSocket:
            switch (code) {
                case 0x01:
                    result.reply = open_socket();
                    break;
                case 0x03:
                    result.reply = connect_socket(args, cancel);
                    break;
                case 0x07:
                    result.reply = close_socket(args);
                    break;
                case 0x08:
                    result.reply = lookup_name(args, cancel);
                    break;
                case kRecvLine:
                case kRecvBuffer:
                    result.reply = receive(code, args, cancel);
                    break;
                case 0x0E:
                    result.reply = send(args, cancel);
                    break;
            }
            break;
    }
    return result;
}

std::vector<uint8_t> CommandHandler::phone_command(uint8_t code, const CancelFlag& cancel) {
    switch (code) {
        case 0x00:
            pauses_.pause_ms(1, cancel);
            return {0x01, 0x00, 0x03, 0x00, 0x00, 0x0F};
        case 0x02:
            if (powered_) return {0x01, 0x00, 0x03, 0x02, 0x31, 0x30};
            pauses_.pause_ms(1, cancel);
            powered_ = true;
            return {0x00, 0x55, 0x55, 0x55, 0x55, 0x55};
        case 0x08:
            pauses_.pause_ms(500, cancel);
            connected_ = true;
            return {0x01, 0x00, 0x15, 0x0B, 0x00, 0x08, 0x48, 0x01, 0xC0, 0xA8, 0x00, 0x01,
                    0xC0, 0xA8, 0x00, 0x02, 0xC0, 0xA8, 0x00, 0x03, 0xC0, 0xA8, 0x00, 0x04};
        case 0x0A:
            pauses_.pause_ms(1, cancel);
            connected_ = false;
            return {0x01, 0x00, 0x02, 0x0B, 0xF3};
        case 0x10:
            return {0x01, 0x00, 0x02, 0x10, 0x01};
        default:  // 0x11, the only other code status_text lets through
            return {0x01, 0x00, 0x02, 0x11, 0x01};
    }
}

std::vector<uint8_t> CommandHandler::open_socket() {
    const std::optional<int> slot = table_.find_free();
    if (!slot) return {kSocket, 0x00, 0x02, 0x01, kNone};
    const int handle = sockets_.open_stream();
    if (handle < 0) return {kSocket, 0x00, 0x02, 0x01, kNone};
    table_.take(*slot, handle);
    return {kSocket, 0x00, 0x02, 0x01, static_cast<uint8_t>(*slot)};
}

std::vector<uint8_t> CommandHandler::connect_socket(std::span<const uint8_t> args, const CancelFlag& cancel) {
    const uint8_t slot = args.empty() ? kNone : args[0];
    // K, then family (2), port (2), address (4) and 8 unused bytes.
    if (args.size() < 17 || !table_.in_use(slot)) return socket_reply(0x03, slot, 0x00);
    SocketAddress address;
    address.family = static_cast<uint16_t>((args[1] << 8) | args[2]);
    address.port = static_cast<uint16_t>(args[3] | (args[4] << 8));
    std::copy(args.begin() + 5, args.begin() + 9, address.ipv4.begin());
    const bool ok = sockets_.connect(table_.handle(slot), address, cancel);
    return socket_reply(0x03, slot, ok ? 0x01 : 0x00);
}

std::vector<uint8_t> CommandHandler::close_socket(std::span<const uint8_t> args) {
    const uint8_t slot = args.empty() ? kNone : args[0];
    const int handle = table_.release(slot);
    if (handle < 0) return socket_reply(0x07, slot, 0x00);
    sockets_.close(handle);
    return socket_reply(0x07, slot, 0x01);
}

std::vector<uint8_t> CommandHandler::lookup_name(std::span<const uint8_t> args, const CancelFlag& cancel) {
    const std::vector<uint8_t> not_found{kSocket, 0x00, 0x02, 0x08, 0x00};
    const auto end = std::find(args.begin(), args.end(), uint8_t{0});
    if (end == args.end()) return not_found;
    const std::string name(args.begin(), end);
    if (name.size() > kMaxEchoedName) return not_found;
    const auto address = sockets_.lookup_ipv4(name, cancel);
    if (!address) return not_found;
    std::vector<uint8_t> reply{kSocket, 0x00, static_cast<uint8_t>(name.size() + 7), 0x08, 0x01};
    reply.insert(reply.end(), name.begin(), name.end());
    reply.push_back(0x00);
    reply.insert(reply.end(), address->begin(), address->end());
    return reply;
}

std::vector<uint8_t> CommandHandler::receive(uint8_t code, std::span<const uint8_t> args,
                                             const CancelFlag& cancel) {
    const uint8_t slot = args.empty() ? kNone : args[0];
    // Nothing received: the count says FF and the length byte covers only
    // code, slot and count, so the frame stays self-consistent.
    const std::vector<uint8_t> nothing = socket_reply(code, slot, kNone);
    if (args.size() < 2) return nothing;
    const int max = static_cast<int8_t>(args[1]);
    if (max <= 0) return nothing;
    const int handle = table_.handle(slot);
    if (handle < 0) return nothing;

    std::vector<uint8_t> data;
    while (static_cast<int>(data.size()) < max) {
        if (sockets_.wait_readable(handle, options_.receive_pause_ms, cancel) != WaitResult::Readable) break;
        uint8_t byte = 0;
        if (sockets_.receive_byte(handle, byte) != 1) break;  // peer closed or error
        data.push_back(byte);
        if (code == kRecvLine && data.size() > 2 && data[data.size() - 2] == '\r' && data.back() == '\n')
            break;
    }
    if (data.empty()) return nothing;
    const auto count = static_cast<uint8_t>(data.size());
    std::vector<uint8_t> reply{kSocket, 0x00, static_cast<uint8_t>(count + 3), code, slot, count};
    reply.insert(reply.end(), data.begin(), data.end());
    return reply;
}

std::vector<uint8_t> CommandHandler::send(std::span<const uint8_t> args, const CancelFlag& cancel) {
    if (args.empty()) return socket_reply(0x0E, kNone, kNone);
    const uint8_t slot = args[0];
    const std::span<const uint8_t> data = args.subspan(1);
    // The console's length is a signed byte: more than 127 bytes is an error.
    const int handle = table_.handle(slot);
    if (data.size() > 127 || handle < 0) return socket_reply(0x0E, slot, kNone);
    const long sent = sockets_.send(handle, data, cancel);
    if (sent < 0) return socket_reply(0x0E, slot, kNone);
    return socket_reply(0x0E, slot, static_cast<uint8_t>(sent & 0xFF));
}

}  // namespace lumora::gateway
