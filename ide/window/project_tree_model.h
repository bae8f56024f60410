#pragma once
// The project tree's content: three list headings with one item per file,
// or the single "no project" item, and which headings stay expanded across
// a rebuild.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ide/project/project_record.h"

namespace lumora::ide {

inline constexpr const char* kTreeNoProject = "ﾌﾟﾛｼﾞｪｸﾄ 無し";
inline constexpr std::array<const char*, 3> kTreeHeadings = {"ｿｰｽ ﾌｧｲﾙ", "ﾍｯﾀﾞ ﾌｧｲﾙ", "ｴﾄｾﾄﾗ ﾌｧｲﾙ"};

struct TreeFile {
    std::string label;  // file name when it exists as a file, else the full path
    std::string path;
    size_t index = 0;  // position in its list
};

struct TreeHeading {
    FileList list = FileList::Sources;
    std::vector<TreeFile> files;
    bool expanded = false;
};

// Which tree item a selection names.
struct TreeItemRef {
    int heading = -1;  // 0..2; -1 for the "no project" item
    int file = -1;     // index among the heading's children; -1 for the heading itself
};

class ProjectTreeModel {
  public:
    // Tells whether a path names an existing file that is not a folder.
    using FileProbe = std::function<bool(const std::string& path)>;

    bool has_project() const { return has_project_; }
    const std::vector<TreeHeading>& headings() const { return headings_; }

    // No project: only the "no project" item, nothing remembered.
    void reset();
    // After opening a project: every heading collapsed.
    void show_project(const ProjectRecord& record, const FileProbe& probe, platform::PathStyle style);
    // After the file lists changed: the headings keep their expansion.
    void rebuild(const ProjectRecord& record, const FileProbe& probe, platform::PathStyle style);

    void set_expanded(int heading, bool expanded);

    // The list and index a file item stands for; nothing for headings and
    // the "no project" item (edit and delete then do nothing).
    struct FileRef {
        FileList list;
        size_t index;
        std::string path;
    };
    std::optional<FileRef> file_of(const TreeItemRef& item) const;

  private:
    void fill(const ProjectRecord& record, const FileProbe& probe, platform::PathStyle style,
              const std::array<bool, 3>& expanded);

    bool has_project_ = false;
    std::vector<TreeHeading> headings_;
};

// The label of a file item.
std::string tree_label(const std::string& path, bool is_file, platform::PathStyle style);

}  // namespace lumora::ide
