#include "ide/project/project_creation.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "ide/project/description_file.h"

namespace lumora::ide {

namespace fs = std::filesystem;
using platform::PathStyle;

std::string resulting_project_folder(std::string_view folder, std::string_view name, PathStyle style) {
    return platform::join(folder, name, style);
}

NewProjectCheck check_new_project_folder(const std::string& project_folder, std::string_view name,
                                         PathStyle style) {
    std::error_code ec;
    fs::file_status st = fs::status(project_folder, ec);
    if (!fs::exists(st)) return NewProjectCheck::FolderMissing;
    if (!fs::is_directory(st)) return NewProjectCheck::FileInTheWay;
    const std::string lmp = platform::join(project_folder, std::string(name) + ".lmp", style);
    if (fs::exists(fs::status(lmp, ec))) return NewProjectCheck::ProjectExists;
    return NewProjectCheck::Ok;
}

bool accept_new_project_folder(const std::string& project_folder, std::string_view name,
                               const NewProjectPrompts& prompts, PathStyle style) {
    auto warn = [&](const char* text) {
        if (prompts.warn) prompts.warn(text);
    };
    switch (check_new_project_folder(project_folder, name, style)) {
        case NewProjectCheck::FileInTheWay:
            warn(kMsgFileHasFolderName);
            return false;
        case NewProjectCheck::ProjectExists:
            warn(kMsgProjectExists);
            return false;
        case NewProjectCheck::FolderMissing:
            if (!prompts.ask_create || !prompts.ask_create(kMsgCreateFolder)) return false;
            return create_folder_tree(project_folder);
        case NewProjectCheck::Ok:
        default:
            return true;
    }
}

bool create_folder_tree(const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(fs::status(folder, ec));
}

std::string main_source_template() {
    return "#include <sys/bios.h>\r\n"
           "#include <sys/liblmc.h>\r\n"
           "\r\n"
           "int main(int argc, char *args[])\r\n"
           "{\r\n"
           "\treturn 0;\r\n"
           "}\r\n";
}

namespace {

bool write_file(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.flush();
    return static_cast<bool>(file);
}

}  // namespace

CreateProjectResult create_project(const std::string& given_folder, std::string_view sjis_name,
                                   const std::function<bool(const std::string& file_name)>& keep_or_overwrite,
                                   PathStyle style) {
    CreateProjectResult result;
    const std::string project_folder = platform::absolute_on_host(given_folder, style);
    const std::string file_name = platform::name_from_sjis(sjis_name, style);
    if (file_name.empty()) {
        result.error = "プロジェクト名がありません。";
        return result;
    }
    auto doc = std::make_unique<CKelvaneDoc>(style);
    doc->set_path(platform::join(project_folder, file_name + ".lmp", style));
    ProjectRecord& r = doc->record();
    r.name = std::string(sjis_name);
    r.description = r.name;

    const std::string source_name = file_name + ".c";
    const std::string source = platform::join(project_folder, source_name, style);
    std::error_code ec;
    bool write_source = true;
    if (fs::exists(fs::status(source, ec)))
        write_source = keep_or_overwrite && keep_or_overwrite(source_name);
    if (write_source && !write_file(source, main_source_template())) {
        result.error = source + " を作成できません。";
        return result;
    }
    doc->add_file(source);
    r.compile_options = kDefaultCompileOptions;
    r.link_options = kDefaultLinkOptions;

    if (!write_description_file(r, project_folder, style)) {
        result.error = description_file_path(r, project_folder, style) + " を作成できません。";
        return result;
    }
    doc->set_modified(true);
    if (doc->save() != ProjectFileError::None) {
        result.error = doc->path() + " を保存できません。";
        return result;
    }
    result.doc = std::move(doc);
    return result;
}

}  // namespace lumora::ide
