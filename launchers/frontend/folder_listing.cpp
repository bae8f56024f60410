#include "folder_listing.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace lumora::launchers {

namespace fs = std::filesystem;

namespace {

char lower_ascii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool match_from(std::string_view name, std::string_view pattern) {
    // Iterative wildcard match with one back-track point: linear in practice,
    // never exponential on many stars.
    size_t n = 0, p = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lower_ascii(pattern[p]) == lower_ascii(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<std::string> list(const std::string& folder,
                              const std::function<bool(const fs::directory_entry&)>& keep) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (keep(*it)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

bool matches_pattern(std::string_view name, std::string_view pattern) {
    return match_from(name, pattern);
}

std::vector<std::string> sub_folders(const std::string& folder) {
    return list(folder, [](const fs::directory_entry& entry) {
        std::error_code error;
        return entry.is_directory(error) && entry.path().filename().string().rfind('.', 0) != 0;
    });
}

std::vector<std::string> matching_files(const std::string& folder, std::string_view pattern) {
    return list(folder, [pattern](const fs::directory_entry& entry) {
        std::error_code error;
        return entry.is_regular_file(error) && matches_pattern(entry.path().filename().string(), pattern);
    });
}

std::vector<std::string> program_files(const std::string& folder) {
    return list(folder, [](const fs::directory_entry& entry) {
        std::error_code error;
        return entry.is_regular_file(error) && ::access(entry.path().c_str(), X_OK) == 0;
    });
}

std::string parent_folder(const std::string& folder) {
    fs::path path(folder);
    if (path.has_relative_path() && !path.has_filename()) path = path.parent_path();  // "a/b/" -> "a/b"
    fs::path parent = path.parent_path();
    return parent.empty() ? folder : parent.string();
}

}  // namespace lumora::launchers
