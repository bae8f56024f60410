// The project file (.lmp): decoding in both path styles, and a decoded
// project must survive being written and read back.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ide/project/project_file.h"

using lumora::ide::decode_project;
using lumora::ide::encode_project;
using lumora::platform::PathStyle;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const struct {
        PathStyle style;
        const char* folder;
    } cases[] = {{PathStyle::Windows, "C:\\lumo\\project"}, {PathStyle::Posix, "/home/u/project"}};
    for (const auto& c : cases) {
        const auto loaded = decode_project(bytes, c.folder, c.style);
        if (!loaded.ok()) continue;
        std::vector<uint8_t> encoded;
        if (!encode_project(loaded.record, c.folder, encoded, c.style)) continue;
        // What we wrote ourselves must always read back.
        if (!decode_project(encoded, c.folder, c.style).ok()) std::abort();
    }
    return 0;
}
