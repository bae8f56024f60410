#include "ide/window/project_tree_model.h"

namespace lumora::ide {

std::string tree_label(const std::string& path, bool is_file, platform::PathStyle style) {
    if (!is_file) return path;
    const char sep = style == platform::PathStyle::Windows ? '\\' : '/';
    const size_t cut = path.find_last_of(sep);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

void ProjectTreeModel::reset() {
    has_project_ = false;
    headings_.clear();
}

void ProjectTreeModel::show_project(const ProjectRecord& record, const FileProbe& probe,
                                    platform::PathStyle style) {
    fill(record, probe, style, {false, false, false});
}

void ProjectTreeModel::rebuild(const ProjectRecord& record, const FileProbe& probe,
                               platform::PathStyle style) {
    std::array<bool, 3> expanded{false, false, false};
    for (size_t i = 0; i < headings_.size() && i < 3; ++i) expanded[i] = headings_[i].expanded;
    fill(record, probe, style, expanded);
}

void ProjectTreeModel::fill(const ProjectRecord& record, const FileProbe& probe, platform::PathStyle style,
                            const std::array<bool, 3>& expanded) {
    has_project_ = true;
    headings_.assign(3, TreeHeading{});
    const FileList lists[3] = {FileList::Sources, FileList::Headers, FileList::Others};
    for (int h = 0; h < 3; ++h) {
        TreeHeading& heading = headings_[h];
        heading.list = lists[h];
        heading.expanded = expanded[h];
        const size_t n = list_size(record, lists[h]);
        for (size_t i = 0; i < n; ++i) {
            const std::string* path = item_path(record, lists[h], i);
            if (!path) continue;
            heading.files.push_back(TreeFile{tree_label(*path, probe && probe(*path), style), *path, i});
        }
    }
}

void ProjectTreeModel::set_expanded(int heading, bool expanded) {
    if (heading >= 0 && heading < static_cast<int>(headings_.size())) headings_[heading].expanded = expanded;
}

std::optional<ProjectTreeModel::FileRef> ProjectTreeModel::file_of(const TreeItemRef& item) const {
    if (!has_project_ || item.heading < 0 || item.heading >= static_cast<int>(headings_.size()) ||
        item.file < 0)
        return std::nullopt;
    const TreeHeading& heading = headings_[item.heading];
    if (item.file >= static_cast<int>(heading.files.size())) return std::nullopt;
    const TreeFile& f = heading.files[item.file];
    return FileRef{heading.list, f.index, f.path};
}

}  // namespace lumora::ide
