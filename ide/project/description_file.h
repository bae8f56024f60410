#pragma once
// The description file {name}.cf that the packing tool reads.

#include <string>
#include <string_view>

#include "ide/project/project_record.h"
#include "platform/path_style.h"

namespace lumora::ide {

// The folder part that prefixes {name}.bin and {name}.fx: the output folder
// made relative to the project folder, with a separator added; "" for an
// empty output folder.
std::string description_rel_folder(const ProjectRecord& record, std::string_view project_folder,
                                   platform::PathStyle style = platform::host_path_style());

// The file's bytes (Shift-JIS, CR LF line ends).
std::string description_file_text(const ProjectRecord& record, std::string_view project_folder,
                                  platform::PathStyle style = platform::host_path_style());

// Path of {project folder}/{name}.cf.
std::string description_file_path(const ProjectRecord& record, std::string_view project_folder,
                                  platform::PathStyle style = platform::host_path_style());

// Writes {project folder}/{name}.cf, replacing any old one; false on failure.
bool write_description_file(const ProjectRecord& record, std::string_view project_folder,
                            platform::PathStyle style = platform::host_path_style());

}  // namespace lumora::ide
