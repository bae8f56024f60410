#pragma once
// Writing a generated file so that a failure part-way (a full disk, say)
// never costs the file it replaces: the bytes go to a new file beside the
// target, which is renamed over the target only once it is complete.

#include <string>
#include <string_view>

namespace lumora {

enum class ReplaceOutcome {
    Done,
    CannotCreate,  // no new file could be made beside the target (or it could not be opened)
    CannotWrite,   // writing, closing or the final rename failed; the old file is untouched
};

// Writes `bytes` to `path`, replacing what was there. A replaced file keeps
// its permission bits; a symbolic link stays a link and the file it names is
// replaced. What is not a regular file (a device such as /dev/null, a pipe)
// is written directly, as renaming over it would replace the device itself.
ReplaceOutcome replace_file(const std::string& path, std::string_view bytes);

}  // namespace lumora
