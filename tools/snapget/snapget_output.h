#pragma once
// Where a capture is saved, and what its header looks like on the terminal.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "devlink/file_entry.h"

namespace lumora::snapget {

// The path for a name: any extension is replaced by ".bmp". A name taken
// from the received entry keeps only its last component, so the console
// cannot place a file outside the current folder.
std::string bmp_path(const std::string& name, bool from_entry);

// The path to write. Without `force` an existing file is never replaced:
// base name + "0000" ... "9999" + ".bmp" are tried in turn. nullopt when all
// of them exist.
std::optional<std::string> choose_output_path(const std::string& name, bool from_entry, bool force,
                                              const std::function<bool(const std::string&)>& exists);

// The lines printed for a received entry: (level, text) in order.
std::vector<std::pair<int, std::string>> header_report(const devlink::ReceivedEntry& received,
                                                       std::span<const uint8_t> data);

}  // namespace lumora::snapget
