// The capture receiver (XMODEM, checksum) fed a console's bytes, with
// pauses, by a scripted line.

#include <cstdint>
#include <cstdlib>

#include "devlink/capture_receiver.h"
#include "devlink/xmodem.h"
#include "fuzz/line_script.h"

using namespace lumora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    devlink::ScriptedLine line;
    fuzz::feed_script(line, {data, size});
    devlink::ReceiveOptions options;
    // A limit small enough that a fuzz input can reach it.
    options.max_bytes = 4096;
    devlink::CaptureReceiver receiver(
        line, [](int, const std::string&) {}, options);
    const auto received = receiver.receive();
    if (received && received->size() > options.max_bytes + devlink::kBlockData) std::abort();
    return 0;
}
