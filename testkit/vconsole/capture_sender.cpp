#include "testkit/vconsole/capture_sender.h"

#include <chrono>

#include "devlink/file_entry.h"
#include "testkit/vconsole/xmodem.h"

namespace lumora::vconsole {
namespace {

using Clock = std::chrono::steady_clock;

int ms_left(Clock::time_point end) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

enum class Answer { Ack, Nak, Crc, Cancel, Timeout, LineError };

// Waits for the receiver's verdict; other bytes are noise. Two CAN bytes in a
// row cancel, as receivers send a burst of them.
Answer wait_answer(ByteStream& line, int timeout_ms, bool accept_c) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeout_ms);
    bool can = false;
    for (;;) {
        uint8_t b = 0;
        long r = line.read(&b, 1, ms_left(end));
        if (r < 0) return Answer::LineError;
        if (r == 0) return Answer::Timeout;
        if (b == CAN) {
            if (can) return Answer::Cancel;
            can = true;
            continue;
        }
        can = false;
        if (b == ACK) return Answer::Ack;
        if (b == NAK) return Answer::Nak;
        if (b == 'C' && accept_c) return Answer::Crc;
    }
}

void note(const LogFn& log, const std::string& s) {
    if (log) log(s);
}

}  // namespace

std::optional<std::vector<uint8_t>> build_capture_entry(std::span<const uint8_t> file, std::string_view name,
                                                        std::time_t now, std::string* error) {
    if (devlink::has_header(file)) {
        if (file.size() < devlink::kHeaderSize) {
            if (error) *error = "file entry shorter than its header";
            return std::nullopt;
        }
        return std::vector<uint8_t>(file.begin(), file.end());
    }
    const uint64_t blocks = (file.size() + 127) / 128;
    if (file.size() > 0x7FFFFFFF || blocks > 0x7FFF) {
        if (error) *error = "too large for a file entry";
        return std::nullopt;
    }
    devlink::DirectoryEntry entry;
    entry.set_name(name);
    entry.set_info(kCaptureInfo);
    entry.set_size(static_cast<int32_t>(file.size()));
    entry.set_blocks(static_cast<int16_t>(blocks));
    entry.set_mode(devlink::kModePlainFile);
    entry.set_date(devlink::pack_date(devlink::local_calendar_time(now)));
    entry.set_resource(devlink::kNoResource);
    std::vector<uint8_t> out = devlink::build_header(entry);
    out.insert(out.end(), file.begin(), file.end());
    return out;
}

const char* describe(SendResult r) {
    switch (r) {
        case SendResult::Ok:
            return "sent";
        case SendResult::Unconfirmed:
            return "sent; the receiver did not acknowledge the end";
        case SendResult::NoReceiver:
            return "no receiver asked for the data";
        case SendResult::Cancelled:
            return "cancelled by the receiver";
        case SendResult::TooManyRetries:
            return "too many retries";
        case SendResult::LineError:
            return "line error";
    }
    return "?";
}

SendResult xmodem_send(ByteStream& line, std::span<const uint8_t> data, const SendOptions& options,
                       const LogFn& log) {
    note(log, "# waiting for the receiver");
    Answer start = wait_answer(line, options.start_timeout_ms, true);
    switch (start) {
        case Answer::Nak:
        case Answer::Crc:
            break;
        case Answer::Cancel:
            return SendResult::Cancelled;
        case Answer::LineError:
            return SendResult::LineError;
        default:
            return SendResult::NoReceiver;
    }
    const bool crc = start == Answer::Crc;
    note(log, crc ? "< C" : "< NAK");
    // A receiver that asked several times before we listened has left more
    // requests on the line; answering each of them would repeat block 1.
    uint8_t stale[64];
    while (line.read(stale, sizeof stale, 20) > 0) {
    }

    const size_t blocks = (data.size() + kDataSize - 1) / kDataSize;
    bool corrupted = false;
    for (size_t i = 0; i < blocks; ++i) {
        const uint8_t number = static_cast<uint8_t>(i + 1);
        std::vector<uint8_t> frame = make_frame(
            number, data.subspan(i * kDataSize, std::min(kDataSize, data.size() - i * kDataSize)), crc);
        for (int attempt = 0;; ++attempt) {
            if (attempt > options.max_retries) {
                const uint8_t cancel[2] = {CAN, CAN};
                line.write(cancel, 2);
                return SendResult::TooManyRetries;
            }
            std::vector<uint8_t> wire = frame;
            if (options.corrupt_block == int(i + 1) && !corrupted) {
                corrupted = true;
                wire.back() ^= 0x5A;
                note(log, "# sending block " + std::to_string(i + 1) + " damaged");
            }
            if (!line.write(wire.data(), wire.size())) return SendResult::LineError;
            note(log, "> block " + std::to_string(number));
            Answer a = wait_answer(line, options.answer_timeout_ms, false);
            if (a == Answer::Ack) {
                note(log, "< ACK");
                break;
            }
            if (a == Answer::Cancel) return SendResult::Cancelled;
            if (a == Answer::LineError) return SendResult::LineError;
            note(log, a == Answer::Nak ? "< NAK" : "# no answer");
        }
    }
    // Some receivers NAK the first EOT to make sure it was no line noise;
    // they are answered after a short pause, as they clear their input first.
    int silences = 0;
    for (int naks = 0; naks <= options.max_retries;) {
        const uint8_t eot = EOT;
        if (!line.write(&eot, 1)) return SendResult::Unconfirmed;
        note(log, "> EOT");
        Answer a = wait_answer(line, options.eot_timeout_ms, false);
        if (a == Answer::Ack) {
            note(log, "< ACK");
            return SendResult::Ok;
        }
        if (a == Answer::Cancel) return SendResult::Cancelled;
        if (a == Answer::LineError) break;
        if (a == Answer::Nak) {
            note(log, "< NAK");
            ++naks;
            silences = 0;
            uint8_t junk[64];
            while (line.read(junk, sizeof junk, 100) > 0) {
            }
            continue;
        }
        if (++silences >= options.eot_tries) break;
    }
    note(log, "# the end of transfer was not acknowledged");
    return SendResult::Unconfirmed;
}

}  // namespace lumora::vconsole
