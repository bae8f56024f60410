#pragma once
// Path rules that depend on the kind of host a path belongs to.
//
// Project files keep their paths in the Windows form ("\" between
// components, Shift-JIS bytes) so that a project moves between hosts. In
// memory a path is in the form of its style: Windows paths are Shift-JIS
// bytes with "\", POSIX paths are the host's own bytes (UTF-8) with "/".
// Every rule that splits, joins or compares paths takes the style, so the
// Windows behaviour can be checked verbatim on any host.

#include <string>
#include <string_view>
#include <vector>

namespace lumora::platform {

enum class PathStyle { Windows, Posix };

// The style of the machine we run on.
PathStyle host_path_style();

char separator(PathStyle style);

// True for a path that names a location without a base folder: for Windows a
// drive letter ("X:" as the first two characters) or a UNC start ("\\"); for
// POSIX a leading "/".
bool is_absolute(std::string_view path, PathStyle style);

// Splits at the separator. Windows paths are walked as Shift-JIS so that a
// trail byte equal to "\" does not split a character. Empty components are
// kept (a leading "/" gives a leading empty component).
std::vector<std::string> split_components(std::string_view path, PathStyle style);

// Folder part: everything before the last separator ("" when there is none).
std::string folder_of(std::string_view path, PathStyle style);
// File name: everything after the last separator.
std::string file_name_of(std::string_view path, PathStyle style);
// The text after the last "." when that "." comes after the last separator;
// "" when there is none.
std::string extension_of(std::string_view path, PathStyle style);
// The file name without the part from its last "." on.
std::string stem_of(std::string_view path, PathStyle style);

// Folder and name joined with one separator (none added when the folder is
// empty or already ends with one).
std::string join(std::string_view folder, std::string_view name, PathStyle style);
// The folder with a separator added when it is not empty and lacks one.
std::string with_trailing_separator(std::string_view folder, PathStyle style);

// Key for case-insensitive comparison and sorting of paths: Windows paths are
// upper-cased as code page 932 does, POSIX paths by ASCII letters only.
std::string upper_key(std::string_view path, PathStyle style);
bool same_path_ignoring_case(std::string_view a, std::string_view b, PathStyle style);

// The path written relative to `folder` (an absolute folder, without the file
// name). A path that is not absolute is returned unchanged, and so is one
// whose first component differs from the folder's (another drive or server:
// no relative form can reach it), and any path when the folder is empty.
// Otherwise the shared leading components are
// dropped, one ".." is written for each remaining folder component, then the
// rest of the path. Components compare byte for byte (case matters).
std::string make_relative(std::string_view path, std::string_view folder, PathStyle style);

// The inverse: an absolute path (or any path, for an empty folder) is
// returned unchanged; otherwise the leading
// ".." components (k) remove k trailing components of the folder, and the
// rest of the path follows. More ".." than folder components stop at the
// folder's first component.
std::string make_absolute(std::string_view path, std::string_view folder, PathStyle style);

// A path of the host style made absolute against the current folder (no
// change for other styles, absolute paths, or when the current folder is
// unknown). Project files given on a command line are often relative.
std::string absolute_on_host(std::string_view path, PathStyle style);

// Conversion between the in-memory form of a style and the stored form
// (Windows form, Shift-JIS, "\"). Identity for the Windows style; for POSIX
// the separators are swapped and the text converted between UTF-8 and
// Shift-JIS (bytes that are not valid UTF-8 are kept as they are).
std::string to_stored_form(std::string_view path, PathStyle style);
std::string from_stored_form(std::string_view stored, PathStyle style);

// Shift-JIS text (a project name, say) as a name usable in a path of this
// style, and back.
std::string name_from_sjis(std::string_view sjis, PathStyle style);
std::string name_to_sjis(std::string_view name, PathStyle style);

}  // namespace lumora::platform
