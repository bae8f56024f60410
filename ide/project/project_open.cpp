#include "ide/project/project_open.h"

#include <unistd.h>

namespace lumora::ide {

std::unique_ptr<CKelvaneDoc> open_project(const std::string& path, ProjectFileError* error,
                                          platform::PathStyle style) {
    std::unique_ptr<CKelvaneDoc> doc = CKelvaneDoc::open(path, error, style);
    if (!doc) return doc;
    const std::string folder = doc->project_folder();
    if (!folder.empty() && style == platform::host_path_style()) {
        // Failing to enter it changes nothing else about the open project.
        [[maybe_unused]] const int ignored = ::chdir(folder.c_str());
    }
    return doc;
}

}  // namespace lumora::ide
