// The IDE's side of the console conversation: status lines read off a
// scripted line, and each command that waits on them.
//
// Input: an operation byte, then the console's bytes (see line_script.h).

#include <cstdint>
#include <string>
#include <vector>

#include "devlink/ide_link.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/line_script.h"

using namespace lumora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputSplitter in(data, size);
    const uint8_t operation = in.take_byte();
    devlink::ScriptedLine line;
    fuzz::feed_script(line, in.rest());

    size_t posted = 0;
    devlink::IdeLink link([&](const std::string& text) { posted += text.size(); });
    link.attach(line);
    switch (operation % 6) {
        case 0:
            // Status lines until the line falls silent; chatter in between.
            for (int i = 0; i < 256 && link.read_status(1000) >= 0; ++i) {
            }
            break;
        case 1:
            link.stty();
            break;
        case 2:
            link.delete_file("GAME.FX");
            break;
        case 3:
            link.defrag();
            break;
        case 4:
            link.exec("GAME.FX");
            break;
        default: {
            const std::vector<uint8_t> body(300, 0x5A);
            const auto entry =
                devlink::build_plain_entry("GAME.FX", body.size(), 0, devlink::EntryFlavor::Ide);
            link.upload_entry(entry, body);
            break;
        }
    }
    link.close();
    return 0;
}
