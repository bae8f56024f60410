#pragma once
// Folders, object paths and the command lines of the four build steps.
//
// Everything is computed from texts with a path style, so the same rules run
// on this host and can be checked against Windows examples verbatim.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_style.h"

namespace lumora::ide {

struct BuildFolders {
    std::string project;       // folder of the project file
    std::string compiler_bin;  // compiler folder + separator + "bin" + separator
    std::string platform;      // platform folder + separator
    std::string output;        // output folder as typed, separator added when not empty
    platform::PathStyle style = platform::PathStyle::Posix;
};

// The folders of one build. A separator is added to the compiler and
// platform folders when missing; on a POSIX host an empty setting stays
// empty, so an unset folder names bin/sc under the project folder rather
// than the system's /bin (where an unrelated "link" lives).
BuildFolders build_folders(std::string_view project_folder, std::string_view compiler_folder,
                           std::string_view platform_folder, std::string_view output_folder,
                           platform::PathStyle style);

// Object of a source, relative to the project folder: output folder, the
// source's file name without its extension, ".Obj".
std::string object_path(std::string_view source, const BuildFolders& folders);

// A source path as the command line names it: relative to the project folder.
std::string source_argument(std::string_view source, const BuildFolders& folders);

// Start-up object of a display mode (0 ASCII1 .. 3 日本語2). A value out of
// range, which only a damaged project file holds, takes the default mode 3.
std::string startup_object(uint16_t display_mode);

std::string compile_command(const BuildFolders& folders, std::string_view compile_options,
                            std::string_view source, std::string_view object);
std::string link_command(const BuildFolders& folders, std::string_view link_options, std::string_view startup,
                         const std::vector<std::string>& objects, std::string_view name);
std::string convert_command(const BuildFolders& folders, std::string_view name);
std::string pack_command(const BuildFolders& folders, std::string_view name);

// The file entry the packing step writes and the transfer sends: output
// folder, a separator unless the text already ends with one, then {name}.fx,
// made absolute against the project folder (an absolute output folder stays).
std::string file_entry_path(std::string_view project_folder, std::string_view output_folder,
                            std::string_view name, platform::PathStyle style);

// "%02d:%02d:%02d" of an elapsed time: hours wrap at a day, as the build's
// closing line has always shown them.
std::string elapsed_text(long long total_seconds);
// "%02d:%02d:%02d" of a clock time.
std::string clock_text(int hour, int minute, int second);

}  // namespace lumora::ide
