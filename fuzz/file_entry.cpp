// The file entry header of received and uploaded files: splitting what
// snapget receives, the resource area walk, and the transfer tool's reading
// of a file it is asked to send.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "devlink/file_entry.h"
#include "devlink/putw_link.h"

using namespace lumora::devlink;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    has_header(bytes);
    if (const auto entry = read_entry(bytes)) {
        entry->name();
        entry->info();
        entry->mode_letters();
        unpack_date(entry->date());
    }
    const SplitResult split = split_received(bytes);
    if (split.entry) {
        const ReceivedEntry& r = *split.entry;
        // What a caller saves must lie inside what was received.
        if (r.body_offset > size || r.code_length > size - r.body_offset) std::abort();
        // The walk describes the area the header claims; it may read only
        // the bytes that are there.
        walk_resources(bytes.subspan(r.body_offset), r.entry.size(), r.entry.resource());
    }
    prepare_putw_upload(std::vector<uint8_t>(bytes.begin(), bytes.end()), "game.fx", 0);
    return 0;
}
