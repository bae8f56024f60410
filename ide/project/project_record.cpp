#include "ide/project/project_record.h"

#include <algorithm>

namespace lumora::ide {

namespace {

// Inserts keeping the list sorted by upper-cased path; refuses a duplicate.
template <typename Item>
bool insert_sorted(std::vector<Item>& list, Item item, platform::PathStyle style) {
    const std::string key = platform::upper_key(item.path, style);
    auto pos = std::find_if(list.begin(), list.end(), [&](const Item& existing) {
        return platform::upper_key(existing.path, style) >= key;
    });
    if (pos != list.end() && platform::upper_key(pos->path, style) == key) return false;
    // A list read from a hand-edited file may be out of order; still refuse
    // any duplicate, wherever it sits.
    for (const Item& existing : list)
        if (platform::upper_key(existing.path, style) == key) return false;
    list.insert(pos, std::move(item));
    return true;
}

template <typename Item>
bool contains(const std::vector<Item>& list, const std::string& key, platform::PathStyle style) {
    return std::any_of(list.begin(), list.end(),
                       [&](const Item& item) { return platform::upper_key(item.path, style) == key; });
}

}  // namespace

FileList list_for_extension(std::string_view path, platform::PathStyle style) {
    const std::string ext =
        platform::upper_key(platform::extension_of(path, style), platform::PathStyle::Windows);
    if (ext == "C" || ext == "CPP") return FileList::Sources;
    if (ext == "H" || ext == "INL") return FileList::Headers;
    return FileList::Others;
}

bool add_source(ProjectRecord& record, SourceItem item, platform::PathStyle style) {
    return insert_sorted(record.sources, std::move(item), style);
}
bool add_header(ProjectRecord& record, FileItem item, platform::PathStyle style) {
    return insert_sorted(record.headers, std::move(item), style);
}
bool add_other(ProjectRecord& record, OtherItem item, platform::PathStyle style) {
    return insert_sorted(record.others, std::move(item), style);
}

FileList add_file(ProjectRecord& record, std::string_view path, platform::PathStyle style) {
    FileList list = list_for_extension(path, style);
    bool added = false;
    switch (list) {
        case FileList::Sources:
            added = add_source(record, SourceItem{std::string(path), {}}, style);
            break;
        case FileList::Headers:
            added = add_header(record, FileItem{std::string(path)}, style);
            break;
        default:
            added = add_other(record, OtherItem{std::string(path), {}, {}}, style);
            break;
    }
    return added ? list : FileList::None;
}

FileList find_list(const ProjectRecord& record, std::string_view path, platform::PathStyle style) {
    const std::string key = platform::upper_key(path, style);
    if (contains(record.sources, key, style)) return FileList::Sources;
    if (contains(record.headers, key, style)) return FileList::Headers;
    if (contains(record.others, key, style)) return FileList::Others;
    return FileList::None;
}

size_t list_size(const ProjectRecord& record, FileList list) {
    switch (list) {
        case FileList::Sources:
            return record.sources.size();
        case FileList::Headers:
            return record.headers.size();
        case FileList::Others:
            return record.others.size();
        default:
            return 0;
    }
}

bool remove_file(ProjectRecord& record, FileList list, size_t index) {
    if (index >= list_size(record, list)) return false;
    switch (list) {
        case FileList::Sources:
            record.sources.erase(record.sources.begin() + static_cast<std::ptrdiff_t>(index));
            return true;
        case FileList::Headers:
            record.headers.erase(record.headers.begin() + static_cast<std::ptrdiff_t>(index));
            return true;
        case FileList::Others:
            record.others.erase(record.others.begin() + static_cast<std::ptrdiff_t>(index));
            return true;
        default:
            return false;
    }
}

const std::string* item_path(const ProjectRecord& record, FileList list, size_t index) {
    if (index >= list_size(record, list)) return nullptr;
    switch (list) {
        case FileList::Sources:
            return &record.sources[index].path;
        case FileList::Headers:
            return &record.headers[index].path;
        case FileList::Others:
            return &record.others[index].path;
        default:
            return nullptr;
    }
}

}  // namespace lumora::ide
