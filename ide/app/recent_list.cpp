#include "ide/app/recent_list.h"

#include <algorithm>
#include <cstdio>

#include "common/sjis.h"

namespace lumora::ide {

using platform::PathStyle;

namespace {

std::vector<size_t> separator_positions(std::string_view path, PathStyle style) {
    std::vector<size_t> seps;
    const char sep = platform::separator(style);
    size_t i = 0;
    while (i < path.size()) {
        size_t len = style == PathStyle::Windows ? sjis::char_length(path, i) : 1;
        if (len == 1 && path[i] == sep) seps.push_back(i);
        i += len;
    }
    return seps;
}

// Menu texts treat "&" as the access key marker.
std::string escape_ampersands(std::string_view text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '&') out += '&';
    }
    return out;
}

}  // namespace

std::string abbreviate_path(std::string_view path, size_t max_length, PathStyle style) {
    if (path.size() <= max_length) return std::string(path);
    const std::string name = platform::file_name_of(path, style);
    if (max_length < name.size()) return name;

    // The volume: "C:\first" or "\\server\share" or "/first". The kept tail
    // always starts at a separator after it.
    const std::vector<size_t> seps = separator_positions(path, style);
    size_t first = 0;  // index into seps of the separator that ends the volume
    if (style == PathStyle::Windows && path.size() >= 2 && path[0] == '\\' && path[1] == '\\')
        first = 3;  // after "\\server\share"
    else
        first = 1;  // after "C:\first" or "/first"
    if (seps.size() <= first) return name;
    const size_t volume = seps[first];
    if (max_length < volume + 5 + name.size()) return name;
    size_t k = first;
    while (volume + 4 + (path.size() - seps[k]) > max_length && k + 1 < seps.size()) ++k;
    std::string out(path.substr(0, volume));
    out += platform::separator(style);
    out += "...";
    out += path.substr(seps[k]);
    return out;
}

RecentList::RecentList(std::string section, std::string entry_format, int size, int display_length,
                       PathStyle style)
    : section_(std::move(section)),
      entry_format_(std::move(entry_format)),
      size_(std::max(size, 1)),
      display_length_(display_length),
      style_(style) {}

void RecentList::add(std::string_view path) {
    if (path.empty()) return;
    auto same = [&](const std::string& e) {
        return style_ == PathStyle::Windows ? platform::same_path_ignoring_case(e, path, style_) : e == path;
    };
    std::erase_if(entries_, same);
    entries_.insert(entries_.begin(), std::string(path));
    if (entries_.size() > static_cast<size_t>(size_)) entries_.resize(static_cast<size_t>(size_));
}

bool RecentList::remove(size_t index) {
    if (index >= entries_.size()) return false;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

std::string RecentList::entry_name(size_t index) const {
    std::string out;
    size_t pos = entry_format_.find("%d");
    if (pos == std::string::npos) return entry_format_ + std::to_string(index + 1);
    return entry_format_.substr(0, pos) + std::to_string(index + 1) + entry_format_.substr(pos + 2);
}

void RecentList::read(const platform::SettingsStore& store) {
    entries_.clear();
    for (int i = 0; i < size_; ++i) {
        auto value = store.read_string(section_, entry_name(static_cast<size_t>(i)));
        if (value && !value->empty()) entries_.push_back(*value);
    }
}

bool RecentList::write(platform::SettingsStore& store) const {
    bool ok = true;
    for (int i = 0; i < size_; ++i) {
        size_t idx = static_cast<size_t>(i);
        ok &= store.write_string(section_, entry_name(idx),
                                 idx < entries_.size() ? entries_[idx] : std::string());
    }
    return ok;
}

bool RecentList::open_entry(size_t index, const std::function<bool(const std::string& path)>& open) {
    if (index >= entries_.size() || !open) return false;
    // Copied: a successful open usually re-adds the path, reordering the list.
    const std::string path = entries_[index];
    if (open(path)) return true;
    std::erase(entries_, path);
    return false;
}

std::optional<RecentCommand> recent_command(int id) {
    if (id >= kFirstRecentProjectCommand && id < kFirstRecentProjectCommand + 4)
        return RecentCommand{true, static_cast<size_t>(id - kFirstRecentProjectCommand)};
    if (id >= kFirstRecentFileCommand && id < kFirstRecentFileCommand + 8)
        return RecentCommand{false, static_cast<size_t>(id - kFirstRecentFileCommand)};
    return std::nullopt;
}

std::string RecentList::display_name(size_t index) const {
    if (index >= entries_.size()) return {};
    return abbreviate_path(entries_[index], static_cast<size_t>(display_length_), style_);
}

std::vector<RecentList::MenuItem> RecentList::menu_items(std::string_view empty_text) const {
    std::vector<MenuItem> items;
    if (entries_.empty()) {
        items.push_back({std::string(empty_text), false});
        return items;
    }
    for (size_t i = 0; i < entries_.size(); ++i)
        items.push_back({"&" + std::to_string(i + 1) + " " + escape_ampersands(display_name(i)), true});
    return items;
}

RecentList make_recent_project_list(PathStyle style) {
    return RecentList("Recent Project List", "Project%d", 4, 30, style);
}

RecentList make_recent_file_list(PathStyle style) {
    return RecentList("Recent File List", "File%d", 8, 30, style);
}

}  // namespace lumora::ide
