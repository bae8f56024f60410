#include "platform/path_style.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "common/cp932.h"
#include "common/sjis.h"

namespace lumora::platform {

PathStyle host_path_style() {
#ifdef _WIN32
    return PathStyle::Windows;
#else
    return PathStyle::Posix;
#endif
}

char separator(PathStyle style) {
    return style == PathStyle::Windows ? '\\' : '/';
}

namespace {

// Byte offsets of every separator, walking Windows paths as Shift-JIS.
template <typename Fn>
void for_each_separator(std::string_view path, PathStyle style, Fn fn) {
    const char sep = separator(style);
    size_t i = 0;
    while (i < path.size()) {
        size_t len = style == PathStyle::Windows ? sjis::char_length(path, i) : 1;
        if (len == 1 && path[i] == sep) fn(i);
        i += len;
    }
}

std::optional<size_t> last_separator(std::string_view path, PathStyle style) {
    std::optional<size_t> last;
    for_each_separator(path, style, [&](size_t pos) { last = pos; });
    return last;
}

// Last "." after the last separator, walking Windows paths as Shift-JIS.
std::optional<size_t> last_dot_in_name(std::string_view path, PathStyle style) {
    std::optional<size_t> dot;
    const char sep = separator(style);
    size_t i = 0;
    while (i < path.size()) {
        size_t len = style == PathStyle::Windows ? sjis::char_length(path, i) : 1;
        if (len == 1 && path[i] == sep) dot.reset();
        if (len == 1 && path[i] == '.') dot = i;
        i += len;
    }
    return dot;
}

std::string join_components(const std::vector<std::string>& parts, size_t from, PathStyle style) {
    std::string out;
    for (size_t i = from; i < parts.size(); ++i) {
        if (i > from) out += separator(style);
        out += parts[i];
    }
    return out;
}

// Folder components without the empty one a trailing separator leaves.
std::vector<std::string> folder_components(std::string_view folder, PathStyle style) {
    std::vector<std::string> parts = split_components(folder, style);
    while (parts.size() > 1 && parts.back().empty()) parts.pop_back();
    return parts;
}

}  // namespace

bool is_absolute(std::string_view path, PathStyle style) {
    if (style == PathStyle::Windows) {
        if (path.size() >= 2 && path[1] == ':') return true;
        return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
    }
    return !path.empty() && path[0] == '/';
}

std::vector<std::string> split_components(std::string_view path, PathStyle style) {
    std::vector<std::string> parts;
    size_t start = 0;
    for_each_separator(path, style, [&](size_t pos) {
        parts.emplace_back(path.substr(start, pos - start));
        start = pos + 1;
    });
    parts.emplace_back(path.substr(start));
    return parts;
}

std::string folder_of(std::string_view path, PathStyle style) {
    auto sep = last_separator(path, style);
    return sep ? std::string(path.substr(0, *sep)) : std::string();
}

std::string file_name_of(std::string_view path, PathStyle style) {
    auto sep = last_separator(path, style);
    return std::string(sep ? path.substr(*sep + 1) : path);
}

std::string extension_of(std::string_view path, PathStyle style) {
    auto dot = last_dot_in_name(path, style);
    return dot ? std::string(path.substr(*dot + 1)) : std::string();
}

std::string stem_of(std::string_view path, PathStyle style) {
    std::string name = file_name_of(path, style);
    auto dot = last_dot_in_name(name, style);
    return dot ? name.substr(0, *dot) : name;
}

std::string with_trailing_separator(std::string_view folder, PathStyle style) {
    std::string out(folder);
    if (out.empty()) return out;
    auto sep = last_separator(out, style);
    if (!sep || *sep != out.size() - 1) out += separator(style);
    return out;
}

std::string join(std::string_view folder, std::string_view name, PathStyle style) {
    return with_trailing_separator(folder, style) + std::string(name);
}

std::string upper_key(std::string_view path, PathStyle style) {
    if (style == PathStyle::Windows) return cp932::to_upper(path);
    std::string out(path);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool same_path_ignoring_case(std::string_view a, std::string_view b, PathStyle style) {
    return a.size() == b.size() && upper_key(a, style) == upper_key(b, style);
}

std::string make_relative(std::string_view path, std::string_view folder, PathStyle style) {
    // Without a folder there is nothing to be relative to.
    if (!is_absolute(path, style) || folder.empty()) return std::string(path);
    std::vector<std::string> p = split_components(path, style);
    std::vector<std::string> f = folder_components(folder, style);
    size_t common = 0;
    while (common < p.size() && common < f.size() && p[common] == f[common]) ++common;
    // Another drive or server: nothing relative reaches it.
    if (common == 0) return std::string(path);
    std::string out;
    for (size_t i = common; i < f.size(); ++i) {
        out += "..";
        out += separator(style);
    }
    return out + join_components(p, common, style);
}

std::string make_absolute(std::string_view path, std::string_view folder, PathStyle style) {
    if (is_absolute(path, style) || folder.empty()) return std::string(path);
    std::vector<std::string> p = split_components(path, style);
    std::vector<std::string> f = folder_components(folder, style);
    size_t ups = 0;
    while (ups < p.size() && p[ups] == "..") ++ups;
    // Never climb above the root (or drive) of the folder.
    size_t keep = ups < f.size() ? f.size() - ups : (f.empty() ? 0 : 1);
    std::string out;
    for (size_t i = 0; i < keep; ++i) {
        out += f[i];
        out += separator(style);
    }
    return out + join_components(p, ups, style);
}

std::string absolute_on_host(std::string_view path, PathStyle style) {
    if (style != host_path_style() || path.empty() || is_absolute(path, style)) return std::string(path);
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(std::filesystem::path(std::string(path)), ec);
    if (ec) return std::string(path);
    return abs.lexically_normal().string();
}

std::string to_stored_form(std::string_view path, PathStyle style) {
    if (style == PathStyle::Windows) return std::string(path);
    std::string out = name_to_sjis(path, style);
    // A "/" never occurs inside a Shift-JIS character (trail bytes start at
    // 0x40), so a plain byte swap is safe here.
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

std::string from_stored_form(std::string_view stored, PathStyle style) {
    if (style == PathStyle::Windows) return std::string(stored);
    // A name code page 932 cannot hold is stored as its UTF-8 bytes (see
    // to_stored_form). Valid UTF-8 without an exact Shift-JIS form can only be
    // such a name: read as Shift-JIS it would turn into other characters or
    // swallow the "\" after it.
    if (cp932::has_non_ascii(stored) && cp932::is_valid_utf8(stored)) {
        bool exact = false;
        cp932::from_utf8(stored, &exact);
        if (!exact) {
            std::string utf8(stored);
            for (char& c : utf8)
                if (c == '\\') c = '/';
            return utf8;
        }
    }
    std::string swapped;
    swapped.reserve(stored.size());
    size_t i = 0;
    while (i < stored.size()) {
        size_t len = sjis::char_length(stored, i);
        if (len == 1 && stored[i] == '\\')
            swapped += '/';
        else
            swapped.append(stored.substr(i, len));
        i += len;
    }
    return name_from_sjis(swapped, style);
}

std::string name_from_sjis(std::string_view sjis, PathStyle style) {
    if (style == PathStyle::Windows || !cp932::has_non_ascii(sjis)) return std::string(sjis);
    bool exact = false;
    std::string utf8 = cp932::to_utf8(sjis, &exact);
    // Bytes that are not Shift-JIS are kept rather than turned into U+FFFD, so
    // no two different names collapse into one.
    return exact ? utf8 : std::string(sjis);
}

std::string name_to_sjis(std::string_view name, PathStyle style) {
    if (style == PathStyle::Windows || !cp932::has_non_ascii(name)) return std::string(name);
    if (!cp932::is_valid_utf8(name)) return std::string(name);
    bool exact = false;
    std::string sjis = cp932::from_utf8(name, &exact);
    return exact ? sjis : std::string(name);
}

}  // namespace lumora::platform
