#pragma once
// The folder chooser "ﾌｫﾙﾀﾞの選択": roots (on this host the home folder and
// the mounted local file systems) with their folders, loaded one level below
// what is shown, and the chosen path.

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

// The host: the home folder, then the mount points of local disks.
class HostFolderSource : public FolderSource {
  public:
    std::vector<FolderRoot> roots() override;
    std::vector<std::string> subfolders(const std::string& path) override;
};

// Roots from the text of /proc/self/mounts: the home folder first, then each
// mount point of a block device, in mount order, skipping network file
// systems (their source is not a /dev node), removable media (/media,
// /run/media) and duplicates.
std::vector<FolderRoot> folder_roots_from_mounts(std::string_view mounts, const std::string& home);

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
