// The transfer tool's side of the console conversation: status lines read
// off a scripted line, the waits built on them and an upload.
//
// Input: an operation byte, then the console's bytes (see line_script.h).

#include <cstdint>
#include <string>
#include <vector>

#include "devlink/putw_link.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/line_script.h"

using namespace lumora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputSplitter in(data, size);
    const uint8_t operation = in.take_byte();
    devlink::ScriptedLine line;
    fuzz::feed_script(line, in.rest());

    devlink::PutwLink link;
    link.set_debug([](const std::string&) {});
    link.attach(line);
    link.set_read_timeout(operation & 0x80 ? devlink::kPutwUploadReadMs : devlink::kPutwSetupReadMs);
    switch (operation % 7) {
        case 0:
            for (int i = 0; i < 256 && link.read_status() != 0; ++i) {
            }
            break;
        case 1:
            link.wait_for(200);
            break;
        case 2:
            link.stty();
            break;
        case 3:
            link.delete_file("/rom0/GAME.FX");
            break;
        case 4:
            link.defrag("/rom0/");
            break;
        case 5:
            link.wait_loose();
            break;
        default: {
            const auto upload = devlink::prepare_putw_upload(std::vector<uint8_t>(300, 0x5A), "game.fx", 0);
            link.upload(upload.data, "/rom0/");
            break;
        }
    }
    link.close();
    return 0;
}
