#include "ide/app/settings.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "common/cp932.h"

namespace lumora::ide {

const std::array<uint32_t, kColourClassCount> kDefaultTextColours = {
    0x000000, 0xFF0000, 0xFF00FF, 0x0000FF, 0x000000, 0x000000, 0x000000, 0x000000,
    0x000000, 0x0000FF, 0x008000, 0x0000C0, 0xC00000, 0x000080, 0xFFFFFF,
};
const std::array<uint32_t, kColourClassCount> kDefaultBackgroundColours = {
    kNoBackground, kNoBackground, kNoBackground, kNoBackground, kNoBackground,
    kNoBackground, kNoBackground, kNoBackground, kNoBackground, kNoBackground,
    kNoBackground, kNoBackground, kNoBackground, kNoBackground, 0x000000,
};

namespace {
constexpr const char* kConfig = "Config";
constexpr const char* kMainFrame = "MainFrame";
}  // namespace

std::string default_project_folder(platform::PathStyle style) {
    if (style == platform::PathStyle::Windows) return "C:\\";
    const char* home = std::getenv("HOME");
    return (home && *home) ? platform::with_trailing_separator(home, style) : std::string("/");
}

Settings default_settings(platform::PathStyle style) {
    Settings s;
    s.project_folder = default_project_folder(style);
    return s;
}

bool read_bool_setting(const platform::SettingsStore& store, const std::string& section,
                       const std::string& name, bool fallback) {
    auto value = store.read_string(section, name);
    if (!value) return fallback;
    std::string upper = cp932::to_upper(*value);
    if (upper == "TRUE") return true;
    if (upper == "FALSE") return false;
    return fallback;
}

bool write_bool_setting(platform::SettingsStore& store, const std::string& section, const std::string& name,
                        bool value) {
    return store.write_string(section, name, value ? "TRUE" : "FALSE");
}

namespace {

// One "%d" as scanf reads it: blanks, an optional sign, digits. Values that
// do not fit an int are refused rather than wrapped.
bool scan_int(const std::string& text, size_t& pos, int& out) {
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    long long value = 0;
    size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos++] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) return false;
        ++digits;
    }
    if (digits == 0) return false;
    value = negative ? -value : value;
    if (value > INT_MAX || value < INT_MIN) return false;
    out = static_cast<int>(value);
    return true;
}

}  // namespace

std::optional<WindowRect> parse_rect(const std::string& text) {
    WindowRect r;
    int* fields[] = {&r.left, &r.top, &r.right, &r.bottom};
    size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != ',') return std::nullopt;
            ++pos;
        }
        if (!scan_int(text, pos, *fields[i])) return std::nullopt;
    }
    return r;
}

std::string format_rect(const WindowRect& r) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d,%d,%d,%d", r.left, r.top, r.right, r.bottom);
    return buf;
}

WindowRect read_rect_setting(const platform::SettingsStore& store, const std::string& section,
                             const std::string& name, const WindowRect& fallback) {
    auto value = store.read_string(section, name);
    if (!value) return fallback;
    return parse_rect(*value).value_or(fallback);
}

bool write_rect_setting(platform::SettingsStore& store, const std::string& section, const std::string& name,
                        const WindowRect& rect) {
    return store.write_string(section, name, format_rect(rect));
}

void load_settings(Settings& s, const platform::SettingsStore& store, platform::PathStyle style) {
    for (int i = 0; i < kColourClassCount; ++i)
        s.text_colours[i] =
            store.read_number("TextColor", kColourClassNames[i]).value_or(kDefaultTextColours[i]);
    for (int i = 0; i < kColourClassCount; ++i)
        s.background_colours[i] =
            store.read_number("BGColor", kColourClassNames[i]).value_or(kDefaultBackgroundColours[i]);
    s.keywords_cpp = read_bool_setting(store, kConfig, "C/C++", true);
    s.keywords_lumora = read_bool_setting(store, kConfig, "Lumora", true);
    // The stored DWORD is taken as signed: 0 and negative values mean "unset".
    int tab = static_cast<int>(store.read_number(kConfig, "TabLength").value_or(4));
    s.tab_length = tab <= 0 ? 4 : tab;
    s.platform_folder = store.read_string(kConfig, "LumoraFolder").value_or("");
    s.compiler_folder = store.read_string(kConfig, "DMCFolder").value_or("");
    s.project_folder = store.read_string(kConfig, "ProjectFolder").value_or(default_project_folder(style));
    s.first_run = read_bool_setting(store, kConfig, "FirstRun", true);
    s.window_rect = read_rect_setting(store, kMainFrame, "WindowRect", WindowRect{});
    s.maximised = read_bool_setting(store, kMainFrame, "Maximize", false);
    s.output_visible = read_bool_setting(store, kMainFrame, "VisibleOutput", true);
    s.project_visible = read_bool_setting(store, kMainFrame, "VisibleProject", true);
    s.loaded = true;
}

bool save_settings(Settings& s, platform::SettingsStore& store) {
    if (!s.loaded) return true;
    bool ok = true;
    for (int i = 0; i < kColourClassCount; ++i)
        ok &= store.write_number("TextColor", kColourClassNames[i], s.text_colours[i]);
    for (int i = 0; i < kColourClassCount; ++i)
        ok &= store.write_number("BGColor", kColourClassNames[i], s.background_colours[i]);
    ok &= write_bool_setting(store, kConfig, "C/C++", s.keywords_cpp);
    ok &= write_bool_setting(store, kConfig, "Lumora", s.keywords_lumora);
    ok &= store.write_number(kConfig, "TabLength", static_cast<uint32_t>(s.tab_length));
    ok &= store.write_string(kConfig, "LumoraFolder", s.platform_folder);
    ok &= store.write_string(kConfig, "DMCFolder", s.compiler_folder);
    ok &= store.write_string(kConfig, "ProjectFolder", s.project_folder);
    // Only the very first start shows the environment dialog.
    ok &= write_bool_setting(store, kConfig, "FirstRun", false);
    ok &= write_rect_setting(store, kMainFrame, "WindowRect", s.window_rect);
    ok &= write_bool_setting(store, kMainFrame, "Maximize", s.maximised);
    ok &= write_bool_setting(store, kMainFrame, "VisibleOutput", s.output_visible);
    ok &= write_bool_setting(store, kMainFrame, "VisibleProject", s.project_visible);
    s.loaded = false;
    return ok;
}

WindowRect window_rect_to_store(const WindowRect& screen, int work_area_left, int work_area_top) {
    WindowRect r = screen;
    if (work_area_left > 0) {
        r.left -= work_area_left;
        r.right -= work_area_left;
    }
    if (work_area_top > 0) {
        r.top -= work_area_top;
        r.bottom -= work_area_top;
    }
    return r;
}

bool save_at_exit(Settings& settings, const RecentList& projects, const RecentList& files,
                  platform::SettingsStore& store) {
    bool ok = projects.write(store);
    ok &= save_settings(settings, store);
    ok &= files.write(store);
    ok &= store.flush();
    return ok;
}

}  // namespace lumora::ide
