// The virtual console's shell fed what a PC tool sends: command lines,
// XMODEM uploads, pauses (0xFE n: n × 50 ms, see line_script.h). The shell
// takes its time from the caller, so the run never waits.
//
// Input: an option byte for the console's settings, then the PC's bytes.

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/line_script.h"
#include "testkit/vconsole/shell.h"

using namespace lumora;
using vconsole::ShellSession;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputSplitter in(data, size);
    const uint8_t options = in.take_byte();
    vconsole::ShellOptions opt;
    opt.crlf = options & 1;
    opt.exists_code = options & 2 ? 550 : 450;
    opt.capacity_blocks = options & 4 ? 8 : 2048;  // a small storage fills up
    opt.corrupt_block = (options >> 3) & 3;
    opt.cancel_after = (options >> 5) & 3;
    opt.answer_delay_ms = options & 0x80 ? 20 : 0;
    ShellSession shell(opt);

    ShellSession::TimePoint now{};
    size_t output = 0;
    auto step = [&] {
        shell.advance(now);
        output += shell.take_output(now).size();
    };
    std::vector<uint8_t> chunk;
    const auto bytes = in.rest();
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == fuzz::kPauseEscape && i + 1 < bytes.size() && bytes[i + 1] != 0) {
            shell.receive(chunk, now);
            chunk.clear();
            step();
            now += std::chrono::milliseconds(50 * bytes[++i]);
            step();
            continue;
        }
        if (bytes[i] == fuzz::kPauseEscape && i + 1 < bytes.size()) ++i;
        chunk.push_back(bytes[i]);
    }
    shell.receive(chunk, now);
    step();
    // Let every timer run out: NAK repeats, program runs, delayed answers.
    for (int i = 0; i < 200; ++i) {
        const auto wake = shell.next_wakeup();
        if (!wake) break;
        if (*wake > now) now = *wake;
        step();
    }
    return 0;
}
