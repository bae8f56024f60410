#pragma once
// The console's capture program as far as the PC sees it: a file entry whose
// body is the BMP, sent by XMODEM once the receiver asks with NAK.

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "testkit/vconsole/byte_stream.h"

namespace lumora::vconsole {

// The info text of a wrapped capture.
constexpr std::string_view kCaptureInfo = "screen capture";

// A file that already starts with a file entry header is sent as it is;
// anything else is wrapped: entry named `name` (cut to 16 bytes), mode "rw",
// dated `now` in local time, no resource area. Fails (nullopt, `error` set)
// when the data are too large for an entry.
std::optional<std::vector<uint8_t>> build_capture_entry(std::span<const uint8_t> file, std::string_view name,
                                                        std::time_t now, std::string* error = nullptr);

struct SendOptions {
    int corrupt_block = 0;         // send this block (1 = header) with a bad checksum the first time
    int start_timeout_ms = 60000;  // how long to wait for the receiver's first NAK
    int answer_timeout_ms = 10000;
    int max_retries = 10;  // per block
    // Some receivers (lrzsz) take an EOT only when nothing follows it for up
    // to two seconds, so EOT is not repeated sooner than that. A receiver
    // that has all blocks may also flush its line as it closes and lose its
    // ACK; after a few silent tries the transfer counts as delivered but
    // unconfirmed.
    int eot_timeout_ms = 3000;
    int eot_tries = 2;
};

enum class SendResult {
    Ok,
    Unconfirmed,  // every block was acknowledged, the end of transfer was not
    NoReceiver,
    Cancelled,
    TooManyRetries,
    LineError,
};
const char* describe(SendResult r);

using LogFn = std::function<void(const std::string&)>;

// Sends `data` (padded with SUB to whole blocks). A receiver that asks with
// 'C' instead of NAK is served with CRC-16 blocks.
SendResult xmodem_send(ByteStream& line, std::span<const uint8_t> data, const SendOptions& options,
                       const LogFn& log = {});

}  // namespace lumora::vconsole
