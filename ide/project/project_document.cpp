#include "ide/project/project_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "ide/project/description_file.h"

namespace lumora::ide {

CKelvaneDoc::CKelvaneDoc(platform::PathStyle style) : style_(style) {}

std::unique_ptr<CKelvaneDoc> CKelvaneDoc::open(const std::string& path, ProjectFileError* error,
                                               platform::PathStyle style) {
    ProjectLoadResult loaded = load_project_file(path, style);
    if (error) *error = loaded.error;
    if (!loaded.ok()) return nullptr;
    auto doc = std::make_unique<CKelvaneDoc>(style);
    doc->record_ = std::move(loaded.record);
    doc->path_ = platform::absolute_on_host(path, style);
    return doc;
}

void CKelvaneDoc::set_path(const std::string& path) {
    path_ = platform::absolute_on_host(path, style_);
}

std::string CKelvaneDoc::project_folder() const {
    return platform::folder_of(path_, style_);
}

std::string CKelvaneDoc::title() const {
    return platform::stem_of(path_, style_);
}

std::string CKelvaneDoc::last_add_folder() const {
    return last_add_folder_.empty() ? project_folder() : last_add_folder_;
}

void CKelvaneDoc::files_changed() {
    modified_ = true;
    if (files_changed_) files_changed_();
}

FileList CKelvaneDoc::add_file(std::string_view path) {
    FileList list = ide::add_file(record_, path, style_);
    if (list != FileList::None) files_changed();
    return list;
}

int CKelvaneDoc::add_files(const std::vector<std::string>& paths) {
    int added = 0;
    for (const auto& p : paths)
        if (ide::add_file(record_, p, style_) != FileList::None) ++added;
    if (!paths.empty()) last_add_folder_ = platform::folder_of(paths.back(), style_);
    if (added > 0) files_changed();
    return added;
}

bool CKelvaneDoc::remove_file(FileList list, size_t index) {
    if (!ide::remove_file(record_, list, index)) return false;
    files_changed();
    return true;
}

FileList CKelvaneDoc::find_list(std::string_view path) const {
    return ide::find_list(record_, path, style_);
}

AddNewFileResult CKelvaneDoc::add_new_file(std::string_view folder, std::string_view name) {
    const std::string path = platform::join(folder, name, style_);
    // O_EXCL makes "exists" and "create" one step: no file is ever truncated.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        if (errno == EEXIST) return AddNewFileResult::AlreadyExists;
        return AddNewFileResult::CannotCreate;
    }
    ::close(fd);
    return add_file(path) == FileList::None ? AddNewFileResult::AlreadyInProject : AddNewFileResult::Added;
}

bool CKelvaneDoc::apply_settings(const ProjectRecord& edited) {
    record_.name = edited.name;
    record_.compile_options = edited.compile_options;
    record_.link_options = edited.link_options;
    record_.output_folder = edited.output_folder;
    record_.auto_transfer = edited.auto_transfer;
    record_.display_mode = edited.display_mode;
    record_.description = edited.description;
    record_.linked_resource = edited.linked_resource;
    modified_ = true;
    settings_changed_ = true;
    if (path_.empty()) return false;
    return write_description_file(record_, project_folder(), style_);
}

ProjectFileError CKelvaneDoc::save() {
    if (path_.empty()) return ProjectFileError::WriteFailed;
    ProjectFileError err = save_project_file(record_, path_, style_);
    if (err == ProjectFileError::None) modified_ = false;
    return err;
}

bool CKelvaneDoc::query_close(const CloseCallbacks& callbacks) {
    if (building_) {
        if (callbacks.building_refusal) callbacks.building_refusal(kMsgCannotQuitWhileBuilding);
        return false;
    }
    if (!modified_) return true;
    std::string shown = path_;
    if (shown.empty()) shown = platform::name_from_sjis(record_.name, style_);
    if (shown.empty()) shown = kMsgUntitled;
    if (style_ == platform::PathStyle::Windows)
        shown = platform::name_from_sjis(shown, platform::PathStyle::Posix);
    // Without a way to ask, keep the changes rather than drop them.
    SaveAnswer answer =
        callbacks.ask_save ? callbacks.ask_save(shown + " への変更を保存しますか？") : SaveAnswer::Yes;
    switch (answer) {
        case SaveAnswer::Cancel:
            return false;
        case SaveAnswer::Yes:
            return save() == ProjectFileError::None;
        case SaveAnswer::No:
        default:
            return true;
    }
}

}  // namespace lumora::ide
