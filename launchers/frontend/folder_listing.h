#pragma once
// The folder and file lists of the front-ends and the launcher's program chooser.

#include <string>
#include <string_view>
#include <vector>

namespace lumora::launchers {

// True when `name` matches a wildcard pattern ("*" any run, "?" one
// character), ASCII letters compared without case as the original's file
// lists did ("*.wav" shows "A.WAV").
bool matches_pattern(std::string_view name, std::string_view pattern);

// Sub-folders of `folder`, sorted; hidden ones (leading ".") are left out.
std::vector<std::string> sub_folders(const std::string& folder);

// Regular files of `folder` whose names match `pattern`, sorted.
std::vector<std::string> matching_files(const std::string& folder, std::string_view pattern);

// Regular files of `folder` the user may run, sorted (the program chooser's
// "*.exe" on a host where programs have no extension).
std::vector<std::string> program_files(const std::string& folder);

// The folder above `folder` ("/" stays "/").
std::string parent_folder(const std::string& folder);

}  // namespace lumora::launchers
