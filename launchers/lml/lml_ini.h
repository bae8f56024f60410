#pragma once
// "lml.ini": the launcher's settings, a sequential text file in Shift-JIS.
// One record a line, fields separated by commas, texts in double quotes,
// numbers plain; the first field of each record is a label nobody reads.
//   1 "連続実行の設定", mode
//   2 "メニューバーの表示", always on top (0/1)
//   3 "メッセージウインド", dock below (0/1), left, top, width, height (twips)
//   4 "メッセージウインドのフォントサイズ", "size"
//   5-11 label, program path, display name (buttons 0 to 6)
// Missing records and fields keep their defaults, and so does a field that
// is not a number where one belongs.

#include <array>
#include <string>
#include <string_view>

namespace lumora::lml {

enum class RunMode { emulator = 1, transfer = 2, compile_only = 3 };

struct ButtonProgram {
    std::string program;  // host path
    std::string name;     // display name and caption, UTF-8

    bool operator==(const ButtonProgram&) const = default;
};

struct LmlSettings {
    RunMode mode = RunMode::compile_only;
    bool always_on_top = true;
    bool dock_below = true;
    int message_left = 0;  // twips
    int message_top = 0;
    int message_width = 8400;
    int message_height = 3000;
    int font_size = 9;
    std::array<ButtonProgram, 7> buttons;

    bool operator==(const LmlSettings&) const = default;
};

constexpr int kButtonCount = 7;
constexpr int kSmallestFont = 8;
constexpr int kLargestFont = 16;

// The settings of a kit without "lml.ini": compile only, on top, docked,
// 9 point, the role captions, and `editor` as button 0's program.
LmlSettings default_settings(const std::string& editor);

// Reads the file's bytes over `defaults`. Never fails: whatever cannot be
// read keeps its default.
LmlSettings parse_lml_ini(std::string_view bytes, const LmlSettings& defaults);

// The file's bytes (Shift-JIS, CR LF).
std::string format_lml_ini(const LmlSettings& settings);

// The file at `path` over `defaults` (all defaults when it cannot be read).
LmlSettings load_lml_ini(const std::string& path, const LmlSettings& defaults);

// Writes through a temporary file beside it and a rename, so a failed write
// never leaves half a file. False with a reason in `error`.
bool save_lml_ini(const std::string& path, const LmlSettings& settings, std::string& error);

}  // namespace lumora::lml
