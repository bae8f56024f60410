#pragma once
// Reading and writing the binary project file (.lmp).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ide/project/project_record.h"
#include "platform/path_style.h"

namespace lumora::ide {

enum class ProjectFileError {
    None,
    NotFound,     // the file does not exist
    CannotOpen,   // it exists but cannot be read (permissions, a folder, ...)
    Malformed,    // cut short or not a project file
    WriteFailed,  // could not be written (or a list is too long for the format)
};

struct ProjectLoadResult {
    ProjectFileError error = ProjectFileError::None;
    ProjectRecord record;
    bool ok() const { return error == ProjectFileError::None; }
};

// Decodes file bytes. `project_folder` (in-memory form) turns the stored
// relative paths back into absolute ones. Reads never pass the end.
ProjectLoadResult decode_project(const std::vector<uint8_t>& bytes, std::string_view project_folder,
                                 platform::PathStyle style = platform::host_path_style());

// Encodes a record; paths are written relative to `project_folder`. Fails
// (returns false) only when a list holds more items than the format can count.
bool encode_project(const ProjectRecord& record, std::string_view project_folder, std::vector<uint8_t>& out,
                    platform::PathStyle style = platform::host_path_style());

// Reads the file at `path` (its folder is the project folder).
ProjectLoadResult load_project_file(const std::string& path,
                                    platform::PathStyle style = platform::host_path_style());

// Writes the file at `path` through a temporary file and a rename, so a failed
// save never leaves a half-written project behind.
ProjectFileError save_project_file(const ProjectRecord& record, const std::string& path,
                                   platform::PathStyle style = platform::host_path_style());

// The message shown for a failed open ("%1" replaced by the path), UTF-8.
std::string open_error_message(ProjectFileError error, std::string_view path);

}  // namespace lumora::ide
