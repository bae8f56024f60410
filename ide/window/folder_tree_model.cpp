#include "ide/window/folder_tree_model.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace lumora::ide {

namespace {

// Mount points escape blanks and a few other bytes as \ooo.
std::string unescape_mount_field(std::string_view field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view oct = field.substr(i + 1, 3);
            if (std::all_of(oct.begin(), oct.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>((oct[0] - '0') * 64 + (oct[1] - '0') * 8 + (oct[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool under(std::string_view path, std::string_view folder) {
    return path == folder || (path.size() > folder.size() && path.substr(0, folder.size()) == folder &&
                              path[folder.size()] == '/');
}

}  // namespace

std::vector<FolderRoot> folder_roots_from_mounts(std::string_view mounts, const std::string& home) {
    std::vector<FolderRoot> roots;
    auto add = [&](const std::string& path) {
        for (const FolderRoot& r : roots)
            if (r.path == path) return;
        roots.push_back(FolderRoot{path, path});
    };
    if (!home.empty()) add(home);
    std::istringstream in{std::string(mounts)};
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string source, target, type;
        if (!(fields >> source >> target >> type)) continue;
        if (source.rfind("/dev/", 0) != 0) continue;      // network, memory and pseudo file systems
        if (source.rfind("/dev/loop", 0) == 0) continue;  // images (snaps and the like)
        const std::string point = unescape_mount_field(target);
        if (under(point, "/media") || under(point, "/run/media") || under(point, "/boot")) continue;
        add(point);
    }
    return roots;
}

std::vector<FolderRoot> HostFolderSource::roots() {
    const char* home = std::getenv("HOME");
    std::ifstream in("/proc/self/mounts");
    std::stringstream text;
    text << in.rdbuf();
    return folder_roots_from_mounts(text.str(), home ? home : "");
}

std::vector<std::string> HostFolderSource::subfolders(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator
             it(path, std::filesystem::directory_options::skip_permission_denied, ec),
         end;
         !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        if (!it->is_directory(type_ec)) continue;
        names.push_back(it->path().filename().string());
    }
    return names;
}

void FolderTreeModel::load() {
    nodes_.clear();
    roots_.clear();
    for (const FolderRoot& r : source_.roots()) {
        Node n;
        n.label = r.label;
        n.root = true;
        n.root_path = r.path;
        nodes_.push_back(n);
        roots_.push_back(static_cast<int>(nodes_.size()) - 1);
    }
    for (int r : roots_) load_children(r);
    selected_ = roots_.empty() ? -1 : roots_.front();
    if (!roots_.empty()) expand(roots_.front());
}

void FolderTreeModel::load_children(int id) {
    if (nodes_[id].loaded) return;
    std::vector<std::string> names = source_.subfolders(path_of(id));
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& n) { return n.empty() || n[0] == '.'; }),
                names.end());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        Node child;
        child.label = name;
        child.parent = id;
        nodes_.push_back(child);
        nodes_[id].children.push_back(static_cast<int>(nodes_.size()) - 1);
    }
    nodes_[id].loaded = true;
}

void FolderTreeModel::unload_children(int id) {
    nodes_[id].children.clear();
    nodes_[id].loaded = false;
}

void FolderTreeModel::expand(int id) {
    load_children(id);
    nodes_[id].expanded = true;
    const std::vector<int> children = nodes_[id].children;
    for (int c : children)
        if (!nodes_[c].expanded) load_children(c);
}

void FolderTreeModel::collapse(int id) {
    nodes_[id].expanded = false;
    for (int c : nodes_[id].children)
        if (!nodes_[c].expanded) unload_children(c);
}

std::string FolderTreeModel::path_of(int id) const {
    std::vector<const Node*> chain;
    for (int n = id; n >= 0; n = nodes_[n].parent) chain.push_back(&nodes_[n]);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        path += (*it)->root ? (*it)->root_path : (*it)->label;
        if (path.empty() || path.back() != '/') path += '/';
    }
    return path;
}

std::string browse_field_text(std::string_view chosen) {
    const size_t cut = chosen.find_last_of('/');
    return cut == std::string_view::npos ? std::string() : std::string(chosen.substr(0, cut + 1));
}

}  // namespace lumora::ide
