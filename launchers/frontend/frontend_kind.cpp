#include "frontend_kind.h"

namespace lumora::frontend {

const FrontendKind& sonix2_kind() {
    static const FrontendKind kind{"Sonix2", "*.wav",     "変　換",          "終　了",
                                   "sonix",  "sonix.mes", PreviewKind::sound};
    return kind;
}

const FrontendKind& pixtil2_kind() {
    static const FrontendKind kind{"Pixtil2",           "*.bmp", "変換", "終了", "pixtil", "pixtil.mes",
                                   PreviewKind::picture};
    return kind;
}

std::string settings_file_path(const std::string& own_folder,
                               const std::function<bool(const std::string&)>& exists) {
    const std::string beside = own_folder + "/format";
    if (exists(beside)) return beside;
    const std::string installed = own_folder + "/../share/lumora/pixtil2/format";
    if (exists(installed)) return installed;
    return beside;
}

launchers::ToolRequest converter_request(const FrontendKind& kind, const FrontendPaths& paths,
                                         const std::string& folder, const std::string& file) {
    launchers::ToolRequest request;
    request.program = paths.kit_root + "/bin/" + kind.converter;
    if (kind.preview == PreviewKind::sound) {
        request.arguments = {"-w"};
    } else {
        // The settings file's path follows "-c" directly, as one word.
        request.arguments = {"-c" + paths.settings_file};
    }
    if (!file.empty()) request.arguments.push_back(file);
    request.working_folder = folder;
    request.output_file = folder + "/" + kind.message_file;
    return request;
}

}  // namespace lumora::frontend
