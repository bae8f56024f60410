#include "ide/editor/colour_lookup.h"

#include <algorithm>

namespace lumora::editor {

const std::array<uint32_t, kColourChoiceCount> kColourChoices = {
    make_colorref(0, 0, 0),
    make_colorref(255, 255, 255),
    make_colorref(192, 0, 0),
    make_colorref(0, 192, 0),
    make_colorref(192, 192, 0),
    make_colorref(0, 0, 192),
    make_colorref(192, 0, 192),
    make_colorref(0, 192, 192),
    make_colorref(192, 192, 192),
    make_colorref(128, 0, 0),
    make_colorref(0, 128, 0),
    make_colorref(128, 128, 0),
    make_colorref(0, 0, 128),
    make_colorref(128, 0, 128),
    make_colorref(0, 128, 128),
    make_colorref(128, 128, 128),
    make_colorref(255, 0, 0),
    make_colorref(0, 255, 0),
    make_colorref(255, 255, 0),
    make_colorref(0, 0, 255),
    make_colorref(255, 0, 255),
    make_colorref(0, 255, 255),
    kSystemColour,
};

const std::array<const char*, ide::kColourClassCount> kColourClassLabels = {
    "標準", "C/C++",  "Lumora", "数字",      "漢字", "ｱﾙﾌｧﾍﾞｯﾄ", "ｶﾀｶﾅ",       "記号",
    "Tab",  "文字列", "ｺﾒﾝﾄ",   "ｺﾝﾊﾟｲﾙｴﾗｰ", "警告", "ﾘﾝｸｴﾗｰ",   "選択文字列",
};

std::optional<int> colour_choice_index(uint32_t colour) {
    // Anything with high bits set reads as the system entry, as -1 does; other
    // values compare on their three colour bytes.
    if (colour > 0x00FFFFFFu) return kColourChoiceCount - 1;
    auto it = std::find(kColourChoices.begin(), kColourChoices.end() - 1, colour);
    if (it == kColourChoices.end() - 1) return std::nullopt;
    return static_cast<int>(it - kColourChoices.begin());
}

Rgb resolve_text(uint32_t stored, const SystemColours& system) {
    return stored > 0x00FFFFFFu ? system.window_text : colorref_rgb(stored);
}

Rgb resolve_background(uint32_t stored, const SystemColours& system) {
    return stored > 0x00FFFFFFu ? system.window : colorref_rgb(stored);
}

ColourTable::ColourTable() {
    resolved_.fill({system_.window_text, system_.window});
}

ColourTable::ColourTable(const ColourArray& text, const ColourArray& background, const SystemColours& system)
    : system_(system) {
    for (int i = 0; i < ide::kColourClassCount; ++i)
        resolved_[i] = {resolve_text(text[i], system), resolve_background(background[i], system)};
}

ClassColours ColourTable::of(int colour_class, bool bookmarked) const {
    if (colour_class < 0 || colour_class >= ide::kColourClassCount) colour_class = ide::kColourDefault;
    ClassColours c = resolved_[colour_class];
    if (bookmarked) c.background = kBookmarkBackground;
    return c;
}

ColourEditor::ColourEditor(const ColourArray& text, const ColourArray& background)
    : text_(text), background_(background) {}

void ColourEditor::select_class(int colour_class) {
    if (colour_class >= 0 && colour_class < ide::kColourClassCount) current_ = colour_class;
}

void ColourEditor::choose_text(int choice) {
    if (choice >= 0 && choice < kColourChoiceCount) text_[current_] = kColourChoices[choice];
}

void ColourEditor::choose_background(int choice) {
    if (choice >= 0 && choice < kColourChoiceCount) background_[current_] = kColourChoices[choice];
}

}  // namespace lumora::editor
