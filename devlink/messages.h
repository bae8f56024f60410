#pragma once
// Levelled messages of the console tools: 1 error, 2 warning, 4 information.

#include <functional>
#include <string>

namespace lumora::devlink {

enum MessageLevel : int { kLevelError = 1, kLevelWarning = 2, kLevelInfo = 4, kLevelAll = 7 };

using MessageSink = std::function<void(int level, const std::string& text)>;

// printf into a std::string.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace lumora::devlink
