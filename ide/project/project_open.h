#pragma once
// Opening a project as the IDE does: read the file, then make the project's
// folder the current folder of the process, so relative paths typed in the
// IDE's dialogs start there.

#include <memory>
#include <string>

#include "ide/project/project_document.h"

namespace lumora::ide {

// The project, or nothing with `error` set (the current folder is then left
// as it was). A current folder that cannot be entered is not a failure.
std::unique_ptr<CKelvaneDoc> open_project(const std::string& path, ProjectFileError* error,
                                          platform::PathStyle style = platform::host_path_style());

}  // namespace lumora::ide
