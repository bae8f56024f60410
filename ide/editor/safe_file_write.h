#pragma once
// Replacing a file's contents so that a failure part-way never leaves a
// half-written file: the bytes go to a new file beside the target, which is
// then renamed over it. Where that new file could not be the same file (the
// folder is not writable, the file has several names, belongs to another
// user, or carries attributes that cannot be copied), the file is written in
// place after a copy of its old content, which is written back on failure.

#include <functional>
#include <string>
#include <string_view>

namespace lumora::editor {

using WriteFn = std::function<long(int fd, const char* data, size_t size)>;

struct SafeWriteOptions {
    // Write to the file a symbolic link points at (the link stays a link).
    bool follow_symlinks = true;
    WriteFn write;  // defaults to ::write; tests inject failures
    // Where the copy of the old content goes before a write in place; empty
    // for the temporary folder. The copy is removed once the write is done.
    std::string backup_folder;
};

// Writes `data` to `path`. The replaced file keeps its owner, permission
// bits, extended attributes and hard links; a new file gets the usual
// 0666 & ~umask. On failure the old content is kept and `error` (when given)
// holds the system's text.
bool safe_write_file(const std::string& path, std::string_view data, const SafeWriteOptions& options = {},
                     std::string* error = nullptr);

// Writes `data` to a new uniquely named file "<folder>/<prefix>XXXXXX" and
// returns its path (empty on failure).
std::string write_unique_temp(const std::string& folder, const std::string& prefix, std::string_view data,
                              const WriteFn& write = {});

// $TMPDIR when set, else /tmp.
std::string temp_folder();

}  // namespace lumora::editor
