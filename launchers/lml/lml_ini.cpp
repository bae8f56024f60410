#include "lml_ini.h"

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <optional>
#include <vector>

#include "common/cp932.h"
#include "launchers/frontend/text_lines.h"
#include "platform/path_style.h"

namespace lumora::lml {

namespace {

using platform::PathStyle;

const char* const kRoleCaptions[kButtonCount] = {"エディター", "コンパイラ", "エミュレータ", "実機へ転送",
                                                 "ユーザー①",  "ユーザー②",  "ユーザー③"};

std::string sjis(std::string_view utf8) {
    return cp932::from_utf8(utf8);
}

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// Splits one record into its fields. A quoted field ends at the first quote
// that is followed (after blanks) by a comma or the end of the line, so a
// stray quote inside a text does not cut it short.
std::vector<std::string> split_fields(std::string_view line) {
    std::vector<std::string> fields;
    size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && is_blank(line[pos])) ++pos;
        if (pos >= line.size()) break;
        if (line[pos] == '"') {
            size_t close = pos + 1;
            for (;;) {
                close = line.find('"', close);
                if (close == std::string_view::npos) break;
                size_t after = close + 1;
                while (after < line.size() && is_blank(line[after])) ++after;
                if (after >= line.size() || line[after] == ',') break;
                ++close;
            }
            if (close == std::string_view::npos) {
                fields.emplace_back(line.substr(pos + 1));
                break;
            }
            fields.emplace_back(line.substr(pos + 1, close - pos - 1));
            pos = close + 1;
            while (pos < line.size() && is_blank(line[pos])) ++pos;
            if (pos < line.size() && line[pos] == ',') ++pos;
        } else {
            size_t comma = line.find(',', pos);
            size_t end = comma == std::string_view::npos ? line.size() : comma;
            size_t last = end;
            while (last > pos && is_blank(line[last - 1])) --last;
            fields.emplace_back(line.substr(pos, last - pos));
            pos = comma == std::string_view::npos ? line.size() : comma + 1;
        }
    }
    return fields;
}

std::optional<int> number(const std::vector<std::string>& fields, size_t index) {
    if (index >= fields.size()) return std::nullopt;
    const std::string& text = fields[index];
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last) return std::nullopt;
    return value;
}

void take_flag(const std::vector<std::string>& fields, size_t index, bool& into) {
    if (auto value = number(fields, index); value && (*value == 0 || *value == 1)) into = *value == 1;
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

}  // namespace

LmlSettings default_settings(const std::string& editor) {
    LmlSettings settings;
    for (int i = 0; i < kButtonCount; ++i) settings.buttons[i].name = kRoleCaptions[i];
    settings.buttons[0].program = editor;
    return settings;
}

LmlSettings parse_lml_ini(std::string_view bytes, const LmlSettings& defaults) {
    LmlSettings settings = defaults;
    const std::vector<std::string> lines = launchers::split_lines(bytes);
    auto record = [&lines](size_t index) {
        return index < lines.size() ? split_fields(lines[index]) : std::vector<std::string>{};
    };

    if (auto mode = number(record(0), 1); mode && *mode >= 1 && *mode <= 3)
        settings.mode = static_cast<RunMode>(*mode);
    take_flag(record(1), 1, settings.always_on_top);

    const auto window = record(2);
    take_flag(window, 1, settings.dock_below);
    if (auto v = number(window, 2)) settings.message_left = *v;
    if (auto v = number(window, 3)) settings.message_top = *v;
    if (auto v = number(window, 4); v && *v > 0) settings.message_width = *v;
    if (auto v = number(window, 5); v && *v > 0) settings.message_height = *v;

    if (auto size = number(record(3), 1); size && *size >= kSmallestFont && *size <= kLargestFont)
        settings.font_size = *size;

    for (int i = 0; i < kButtonCount; ++i) {
        const auto fields = record(4 + static_cast<size_t>(i));
        // Texts are Shift-JIS in the file; bytes that are not stay as they are.
        if (fields.size() > 1)
            settings.buttons[i].program = platform::name_from_sjis(fields[1], PathStyle::Posix);
        if (fields.size() > 2)
            settings.buttons[i].name = platform::name_from_sjis(fields[2], PathStyle::Posix);
    }
    return settings;
}

std::string format_lml_ini(const LmlSettings& s) {
    const std::string end = "\r\n";
    std::string out;
    out += quoted(sjis("連続実行の設定")) + "," + std::to_string(static_cast<int>(s.mode)) + end;
    out += quoted(sjis("メニューバーの表示")) + "," + (s.always_on_top ? "1" : "0") + end;
    out += quoted(sjis("メッセージウインド")) + "," + (s.dock_below ? "1" : "0") + "," +
           std::to_string(s.message_left) + "," + std::to_string(s.message_top) + "," +
           std::to_string(s.message_width) + "," + std::to_string(s.message_height) + end;
    out +=
        quoted(sjis("メッセージウインドのフォントサイズ")) + "," + quoted(std::to_string(s.font_size)) + end;
    for (int i = 0; i < kButtonCount; ++i) {
        out += quoted(sjis("ボタン") + std::to_string(i)) + "," +
               quoted(platform::name_to_sjis(s.buttons[i].program, PathStyle::Posix)) + "," +
               quoted(platform::name_to_sjis(s.buttons[i].name, PathStyle::Posix)) + end;
    }
    return out;
}

LmlSettings load_lml_ini(const std::string& path, const LmlSettings& defaults) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return defaults;
    std::string bytes;
    char buffer[4096];
    size_t got;
    // A settings file is small; anything past 1 MiB is not one of ours.
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && bytes.size() < (1u << 20))
        bytes.append(buffer, got);
    std::fclose(file);
    return parse_lml_ini(bytes, defaults);
}

bool save_lml_ini(const std::string& path, const LmlSettings& settings, std::string& error) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = "cannot create " + temp;
        return false;
    }
    const std::string bytes = format_lml_ini(settings);
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    const bool complete = written == bytes.size() && ::fsync(fd) == 0;
    ::fchmod(fd, 0644);
    if (::close(fd) != 0 || !complete || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace lumora::lml
