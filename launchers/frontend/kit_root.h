#pragma once
// The kit root of the launchers: every fixed "c:\lumo" place lies under it.

#include <string>

namespace lumora::launchers {

// LUMO_ROOT when set and not empty, else HOME's "lumo" (either may be null);
// without a trailing "/".
std::string kit_root_from(const char* lumo_root, const char* home);

// The same from this process's environment.
std::string kit_root();

}  // namespace lumora::launchers
