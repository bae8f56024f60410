#pragma once
// Which colour a colour class is drawn in: the stored foreground/background
// table (COLORREF values, 0x00BBGGRR, where 0xFFFFFFFF stands for the
// system's own colour), the cyan background of bookmarked lines, and the 23
// choices the colour dialog offers for each.

#include <array>
#include <cstdint>
#include <optional>

#include "ide/colour_class.h"

namespace lumora::editor {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

// A stored colour meaning "the system's window-text colour" (foreground) or
// "the system's window colour" (background).
inline constexpr uint32_t kSystemColour = 0xFFFFFFFFu;
inline constexpr Rgb kBookmarkBackground{0, 255, 255};

constexpr uint32_t make_colorref(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t{r} | uint32_t{g} << 8 | uint32_t{b} << 16;
}
constexpr Rgb colorref_rgb(uint32_t c) {
    return {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8 & 0xFF),
            static_cast<uint8_t>(c >> 16 & 0xFF)};
}

// The entries of the dialog's foreground and background lists, in order; the
// last is the system entry.
inline constexpr int kColourChoiceCount = 23;
extern const std::array<uint32_t, kColourChoiceCount> kColourChoices;
// Index of a stored colour in the lists; none for a colour the lists do not
// offer (a hand-edited setting), which the dialog then leaves as it is.
std::optional<int> colour_choice_index(uint32_t colour);

// The system's own colours, which the window reads from its palette.
struct SystemColours {
    Rgb window_text{0, 0, 0};
    Rgb window{255, 255, 255};
};

struct ClassColours {
    Rgb text;
    Rgb background;
    bool operator==(const ClassColours&) const = default;
};

using ColourArray = std::array<uint32_t, ide::kColourClassCount>;

// The resolved colours of every class, built once per settings change so
// painting only indexes.
class ColourTable {
  public:
    ColourTable();
    ColourTable(const ColourArray& text, const ColourArray& background, const SystemColours& system);
    // A class outside 0-14 is drawn as Default. Bookmarked lines draw every
    // class on cyan.
    ClassColours of(int colour_class, bool bookmarked = false) const;
    const SystemColours& system() const { return system_; }

  private:
    std::array<ClassColours, ide::kColourClassCount> resolved_;
    SystemColours system_;
};

// A stored colour as drawn: the system's colour for kSystemColour.
Rgb resolve_text(uint32_t stored, const SystemColours& system);
Rgb resolve_background(uint32_t stored, const SystemColours& system);

// The colour dialog without its window: a working copy of both tables, the
// class being edited and the list entries that go with it.
class ColourEditor {
  public:
    ColourEditor(const ColourArray& text, const ColourArray& background);
    int current_class() const { return current_; }
    void select_class(int colour_class);
    // List entries of the current class (none: not one of the choices).
    std::optional<int> text_choice() const { return colour_choice_index(text_[current_]); }
    std::optional<int> background_choice() const { return colour_choice_index(background_[current_]); }
    void choose_text(int choice);
    void choose_background(int choice);
    uint32_t text(int colour_class) const { return text_[colour_class]; }
    uint32_t background(int colour_class) const { return background_[colour_class]; }
    const ColourArray& texts() const { return text_; }
    const ColourArray& backgrounds() const { return background_; }

  private:
    ColourArray text_;
    ColourArray background_;
    int current_ = 0;
};

// Names of the classes in the dialog's class list (UTF-8), in index order.
extern const std::array<const char*, ide::kColourClassCount> kColourClassLabels;

}  // namespace lumora::editor
