#include "ide/window/folder_tree_model.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <system_error>

namespace lumora::ide {

namespace {

// Where removable media are mounted by the desktop, and the system's own
// areas: none of them is a place to keep projects.
constexpr std::string_view kSystemAreas[] = {"/media", "/run", "/boot", "/proc", "/sys", "/dev", "/snap"};

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

bool one_of(std::string_view value, std::initializer_list<std::string_view> list) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool network_type(std::string_view type) {
    if (type.rfind("fuse.", 0) == 0) type.remove_prefix(5);
    return one_of(type,
                  {"nfs",       "nfs4",  "cifs",   "smb3",   "smbfs",     "sshfs", "9p",        "ceph",
                   "glusterfs", "davfs", "davfs2", "afs",    "ncpfs",     "coda",  "lustre",    "orangefs",
                   "beegfs",    "gpfs",  "s3fs",   "rclone", "curlftpfs", "ftpfs", "gvfsd-fuse"});
}

bool not_a_disk_type(std::string_view type) {
    return one_of(type, {"proc",       "sysfs",    "devtmpfs",   "devpts",   "tmpfs",     "ramfs",
                         "cgroup",     "cgroup2",  "securityfs", "debugfs",  "tracefs",   "pstore",
                         "bpf",        "mqueue",   "hugetlbfs",  "configfs", "fusectl",   "binfmt_misc",
                         "autofs",     "efivarfs", "rpc_pipefs", "nsfs",     "selinuxfs", "fuse.portal",
                         "fuse.lxcfs", "squashfs", "iso9660",    "udf",      "rootfs"});
}

// "host:/export" and "//host/share" name a file system elsewhere, whatever
// type it was mounted with.
bool network_source(std::string_view source) {
    if (source.rfind("//", 0) == 0) return true;
    const size_t colon = source.find(':');
    return colon != std::string_view::npos && colon > 0 && source.substr(colon + 1).rfind("/", 0) == 0 &&
           source.rfind("/", 0) != 0;
}

bool flag_set(const std::optional<std::string>& text) {
    return text && !text->empty() && (*text)[0] == '1';
}

// A partition's "removable" flag is its disk's: the /sys entry of a
// partition lies inside the disk's, so ".." reaches the disk.
std::optional<bool> removable_in(const std::string& sys_entry, MountProbe& probe) {
    const bool partition = probe.read_sys_file(sys_entry + "/partition").has_value();
    const auto flag = probe.read_sys_file(sys_entry + (partition ? "/../removable" : "/removable"));
    if (!flag) return std::nullopt;
    return flag_set(flag);
}

bool removable_device(std::string_view dev_numbers, std::string_view source, MountProbe& probe) {
    if (auto r = removable_in("/sys/dev/block/" + std::string(dev_numbers), probe)) return *r;
    // File systems over several devices (btrfs) report a device number of
    // their own; their source still names the block device.
    if (source.rfind("/dev/", 0) == 0) {
        const std::string_view name = source.substr(5);
        if (!name.empty() && name.find('/') == std::string_view::npos)
            if (auto r = removable_in("/sys/class/block/" + std::string(name), probe)) return *r;
    }
    return false;  // unknown: taken for a fixed disk
}

struct MountEntry {
    std::string dev_numbers;
    std::string point;
    std::string type;
    std::string source;
};

// "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw": the
// optional fields before "-" vary in number.
std::optional<MountEntry> parse_mountinfo_line(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> fields;
    for (std::string f; in >> f;) fields.push_back(f);
    if (fields.size() < 6) return std::nullopt;
    size_t dash = 6;
    while (dash < fields.size() && fields[dash] != "-") ++dash;
    if (dash + 2 >= fields.size()) return std::nullopt;
    return MountEntry{fields[2], unescape_mount_field(fields[4]), fields[dash + 1],
                      unescape_mount_field(fields[dash + 2])};
}

}  // namespace

std::vector<FolderRoot> folder_roots_from_mountinfo(std::string_view mountinfo, const std::string& home,
                                                    MountProbe& probe) {
    std::vector<FolderRoot> roots;
    auto add = [&](const std::string& path) {
        for (const FolderRoot& r : roots)
            if (r.path == path) return;
        roots.push_back(FolderRoot{path, path});
    };
    if (!home.empty()) add(home);
    std::istringstream in{std::string(mountinfo)};
    std::string line;
    while (std::getline(in, line)) {
        const auto m = parse_mountinfo_line(line);
        if (!m || m->point.empty() || m->point[0] != '/') continue;
        if (network_type(m->type) || network_source(m->source) || not_a_disk_type(m->type)) continue;
        if (m->source.rfind("/dev/loop", 0) == 0) continue;  // images (snaps and the like)
        if (m->point != "/" && std::any_of(std::begin(kSystemAreas), std::end(kSystemAreas),
                                           [&](std::string_view area) { return under(m->point, area); }))
            continue;
        if (removable_device(m->dev_numbers, m->source, probe)) continue;
        if (!probe.is_folder(m->point)) continue;  // a file bound over another (containers)
        add(m->point);
    }
    return roots;
}

std::optional<std::string> HostMountProbe::read_sys_file(const std::string& path) {
    std::ifstream in(path);
    if (!in) return std::nullopt;
    std::string text;
    std::getline(in, text);
    return text;
}

bool HostMountProbe::is_folder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

std::vector<FolderRoot> HostFolderSource::roots() {
    const char* home = std::getenv("HOME");
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream text;
    text << in.rdbuf();
    HostMountProbe probe;
    return folder_roots_from_mountinfo(text.str(), home ? home : "", probe);
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
