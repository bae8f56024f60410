#include "ide/project/description_file.h"

#include <fstream>

namespace lumora::ide {

using platform::PathStyle;

std::string description_rel_folder(const ProjectRecord& record, std::string_view project_folder,
                                   PathStyle style) {
    if (record.output_folder.empty()) return {};
    std::string absolute = platform::join(project_folder, record.output_folder, style);
    std::string rel = platform::make_relative(absolute, project_folder, style);
    return platform::with_trailing_separator(rel, style);
}

std::string description_file_text(const ProjectRecord& record, std::string_view project_folder,
                                  PathStyle style) {
    // The packing tool reads Shift-JIS, so the folder part is converted back
    // from the host's form.
    const std::string rel =
        platform::name_to_sjis(description_rel_folder(record, project_folder, style), style);
    std::string text;
    text += "name: " + record.name + "\r\n";
    text += "info: " + record.description + "\r\n";
    text += "mode: 7\r\n";
    text += "source: " + rel + record.name + ".bin\r\n";
    text += "output: " + rel + record.name + ".fx\r\n";
    if (!record.linked_resource.empty()) text += "resource: " + record.linked_resource + "\r\n";
    return text;
}

std::string description_file_path(const ProjectRecord& record, std::string_view project_folder,
                                  PathStyle style) {
    return platform::join(project_folder, platform::name_from_sjis(record.name, style) + ".cf", style);
}

bool write_description_file(const ProjectRecord& record, std::string_view project_folder, PathStyle style) {
    const std::string text = description_file_text(record, project_folder, style);
    std::ofstream file(description_file_path(record, project_folder, style),
                       std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.flush();
    return static_cast<bool>(file);
}

}  // namespace lumora::ide
