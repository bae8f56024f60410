#pragma once
// Whole-file reading, the way every tool of the kit takes its input: open,
// read everything, close.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

// The file's bytes; nullopt when it cannot be opened or read.
std::optional<std::vector<uint8_t>> read_file_bytes(const std::string& path);

// The last component of a host path ("/a/b/c.fx" gives "c.fx").
std::string_view path_base_name(std::string_view path);

}  // namespace lumora
