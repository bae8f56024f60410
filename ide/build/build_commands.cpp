#include "ide/build/build_commands.h"

#include <cstdio>

namespace lumora::ide {

using platform::PathStyle;

namespace {

std::string with_separator(std::string_view folder, PathStyle style) {
    const char sep = platform::separator(style);
    std::string out(folder);
    if (out.empty() && style == PathStyle::Posix) return out;
    if (out.empty() || out.back() != sep) out.push_back(sep);
    return out;
}

std::string two_digits(long long v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02lld", v);
    return buffer;
}

}  // namespace

BuildFolders build_folders(std::string_view project_folder, std::string_view compiler_folder,
                           std::string_view platform_folder, std::string_view output_folder,
                           PathStyle style) {
    BuildFolders f;
    f.project = std::string(project_folder);
    f.compiler_bin = with_separator(compiler_folder, style) + "bin" + platform::separator(style);
    f.platform = with_separator(platform_folder, style);
    f.output = platform::with_trailing_separator(output_folder, style);
    f.style = style;
    return f;
}

std::string object_path(std::string_view source, const BuildFolders& folders) {
    const PathStyle style = folders.style;
    const std::string relative = folders.output + platform::stem_of(source, style) + ".Obj";
    const std::string absolute = platform::make_absolute(relative, folders.project, style);
    return platform::make_relative(absolute, folders.project, style);
}

std::string source_argument(std::string_view source, const BuildFolders& folders) {
    return platform::make_relative(source, folders.project, folders.style);
}

std::string startup_object(uint16_t display_mode) {
    static const char* const kObjects[] = {"ctlmasc1.obj", "ctlmasc2.obj", "ctlmjpn1.obj", "ctlmjpn2.obj"};
    return kObjects[display_mode < 4 ? display_mode : 3];
}

std::string compile_command(const BuildFolders& folders, std::string_view compile_options,
                            std::string_view source, std::string_view object) {
    std::string line = folders.compiler_bin + "sc -c ";
    line += compile_options;
    line += " ";
    line += source;
    line += " -o";
    line += object;
    line += " -I\"" + folders.platform + "include\"";
    return line;
}

std::string link_command(const BuildFolders& folders, std::string_view link_options, std::string_view startup,
                         const std::vector<std::string>& objects, std::string_view name) {
    const std::string lib_folder = folders.platform + "lib" + platform::separator(folders.style);
    std::string line = folders.compiler_bin + "link ";
    line += link_options;
    line += " " + lib_folder;
    line += startup;
    for (const std::string& object : objects) line += " " + object;
    line += ", " + folders.output + std::string(name);
    line += ", " + folders.output + std::string(name);
    line += ", " + lib_folder + "liblm.lib " + lib_folder + "liblmc.lib";
    return line;
}

std::string convert_command(const BuildFolders& folders, std::string_view name) {
    const std::string out = folders.output + std::string(name);
    return folders.platform + "bin" + platform::separator(folders.style) + "romform " + out + ".exe " + out +
           ".bin";
}

std::string pack_command(const BuildFolders& folders, std::string_view name) {
    return folders.platform + "bin" + platform::separator(folders.style) + "hdrpack " + std::string(name) +
           ".cf";
}

std::string file_entry_path(std::string_view project_folder, std::string_view output_folder,
                            std::string_view name, PathStyle style) {
    // Resolved as the link and pack steps resolve it, so an absolute or
    // "..\" output folder names the file they wrote.
    const std::string folder = platform::with_trailing_separator(output_folder, style);
    return platform::make_absolute(folder + std::string(name) + ".fx", project_folder, style);
}

std::string elapsed_text(long long s) {
    if (s < 0) s = 0;  // a clock set back during the build
    const long long hours = s / 3600 - (s / 86400) * 24;
    const long long minutes = s / 60 - (s / 3600) * 60;
    const long long seconds = s % 60;
    return two_digits(hours) + ":" + two_digits(minutes) + ":" + two_digits(seconds);
}

std::string clock_text(int hour, int minute, int second) {
    return two_digits(hour) + ":" + two_digits(minute) + ":" + two_digits(second);
}

}  // namespace lumora::ide
