#pragma once
// Maps the console cable's COM port names onto host serial devices.
//
// "COMn" is the device named by the environment variable LUMORA_COMn when it
// is set and not empty, else /dev/ttyS(n-1). Every program resolves its port
// through these functions so one variable redirects every tool, for example
// to the virtual console's pseudo-terminal.

#include <optional>
#include <string>
#include <string_view>

namespace lumora::platform {

// Device path for port number n (1-based). n below 1 gives an empty string.
std::string com_port_device(int n);

// Parses "COMn" or "COMn:" (letters in any case) and resolves it; nullopt when
// the text is not such a name.
std::optional<std::string> com_name_device(std::string_view name);

}  // namespace lumora::platform
