#pragma once
// The saved part of a project: its texts, its three sorted file lists and the
// rules for putting files into them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_style.h"

namespace lumora::ide {

inline constexpr const char* kDefaultCompileOptions = "-msw -NL -j0 -a1 -0 -o -Bj";
inline constexpr const char* kDefaultLinkOptions = "/MAP /DETAILEDMAP /XREF";

enum DisplayMode : uint16_t { kAscii1 = 0, kAscii2 = 1, kJapanese1 = 2, kJapanese2 = 3 };

// Header list entry.
struct FileItem {
    std::string path;  // absolute, in-memory form
    bool operator==(const FileItem&) const = default;
};

// Source list entry. `texts` are paths nothing in the IDE fills or uses; they
// are carried through unchanged.
struct SourceItem {
    std::string path;
    std::vector<std::string> texts;
    bool operator==(const SourceItem&) const = default;
};

// Other list entry; the two texts are carried through as stored.
struct OtherItem {
    std::string path;
    std::string text1;
    std::string text2;
    bool operator==(const OtherItem&) const = default;
};

enum class FileList : int { None = -1, Sources = 0, Headers = 1, Others = 2 };

// Texts (name, options, description, resource) are Shift-JIS bytes; paths
// (items, output folder) are in the in-memory form of the path style.
struct ProjectRecord {
    std::string name;
    std::string compile_options = kDefaultCompileOptions;
    std::string link_options = kDefaultLinkOptions;
    std::string output_folder;
    bool auto_transfer = false;
    std::vector<SourceItem> sources;
    std::vector<FileItem> headers;
    std::vector<OtherItem> others;
    uint16_t display_mode = kJapanese2;
    std::string description;
    std::string linked_resource;

    bool operator==(const ProjectRecord&) const = default;
};

// Which list the extension of `path` selects: "C"/"CPP" sources, "H"/"INL"
// headers, anything else (also no extension) others. Compared in upper case.
FileList list_for_extension(std::string_view path, platform::PathStyle style = platform::host_path_style());

// Adds a path to the list its extension selects, keeping the list sorted by
// upper-cased path. A path already there (same upper-case text) is not added:
// the result is then FileList::None.
FileList add_file(ProjectRecord& record, std::string_view path,
                  platform::PathStyle style = platform::host_path_style());

// Add to one particular list (sorted, no duplicates); false when already there.
bool add_source(ProjectRecord& record, SourceItem item,
                platform::PathStyle style = platform::host_path_style());
bool add_header(ProjectRecord& record, FileItem item,
                platform::PathStyle style = platform::host_path_style());
bool add_other(ProjectRecord& record, OtherItem item,
               platform::PathStyle style = platform::host_path_style());

// Which list holds the path (compared in upper case).
FileList find_list(const ProjectRecord& record, std::string_view path,
                   platform::PathStyle style = platform::host_path_style());

// Removes the item at `index` of a list; false for a bad list or index.
bool remove_file(ProjectRecord& record, FileList list, size_t index);

// Path of the item at `index` of a list, or nullptr.
const std::string* item_path(const ProjectRecord& record, FileList list, size_t index);
size_t list_size(const ProjectRecord& record, FileList list);

}  // namespace lumora::ide
