#pragma once
// The folder chooser "ﾌｫﾙﾀﾞの選択": roots (on this host the home folder and
// the mounted local file systems) with their folders, loaded one level below
// what is shown, and the chosen path.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::ide {

struct FolderRoot {
    std::string label;
    std::string path;  // absolute, without a trailing separator except "/"
};

// Where the chooser reads folders from; tests script it.
class FolderSource {
  public:
    virtual ~FolderSource() = default;
    virtual std::vector<FolderRoot> roots() = 0;
    // Names of the folders directly inside `path`, in any order.
    virtual std::vector<std::string> subfolders(const std::string& path) = 0;
};

// What the roots are decided from besides the mount table: the block
// devices' attributes under /sys and whether a mount point is a folder.
// Tests script it.
class MountProbe {
  public:
    virtual ~MountProbe() = default;
    // The text of a file such as "/sys/dev/block/8:17/partition", or nothing.
    virtual std::optional<std::string> read_sys_file(const std::string& path) = 0;
    virtual bool is_folder(const std::string& path) = 0;
};

class HostMountProbe : public MountProbe {
  public:
    std::optional<std::string> read_sys_file(const std::string& path) override;
    bool is_folder(const std::string& path) override;
};

// The host: the home folder, then the mount points of local disks.
class HostFolderSource : public FolderSource {
  public:
    std::vector<FolderRoot> roots() override;
    std::vector<std::string> subfolders(const std::string& path) override;
};

// Roots from the text of /proc/self/mountinfo: the home folder first, then
// each mount point of a local disk, in mount order, without duplicates.
// Left out, like the drives that are not fixed disks: network file systems,
// memory and kernel file systems, optical media and images, removable block
// devices (the disk's "removable" flag in /sys, or a mount under /media or
// /run/media), the system's own areas (/boot, /proc, /sys, /dev, /run, /snap)
// and mounts of single files.
std::vector<FolderRoot> folder_roots_from_mountinfo(std::string_view mountinfo, const std::string& home,
                                                    MountProbe& probe);

class FolderTreeModel {
  public:
    struct Node {
        std::string label;
        int parent = -1;
        std::vector<int> children;
        bool loaded = false;  // children read
        bool expanded = false;
        bool root = false;
        std::string root_path;  // roots only
    };

    explicit FolderTreeModel(FolderSource& source) : source_(source) {}

    // Fills the roots, expands the first and selects it.
    void load();
    const std::vector<int>& roots() const { return roots_; }
    const Node& node(int id) const { return nodes_.at(static_cast<size_t>(id)); }
    int selected() const { return selected_; }
    void select(int id) { selected_ = id; }

    // Expanding loads the folders of each child that is not expanded itself,
    // so one level below what is shown is always known; collapsing drops the
    // grandchildren under children that are not expanded.
    void expand(int id);
    void collapse(int id);

    // The path of a node, always ending in "/": the root's path, then each
    // folder's name followed by "/".
    std::string path_of(int id) const;

  private:
    void load_children(int id);
    void unload_children(int id);

    FolderSource& source_;
    std::vector<Node> nodes_;  // nodes are never reused; dropped ones are unlinked
    std::vector<int> roots_;
    int selected_ = -1;
};

// What a browse button puts into its field: the chosen path up to and
// including its last separator.
std::string browse_field_text(std::string_view chosen);

}  // namespace lumora::ide
