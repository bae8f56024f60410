#include "ide/editor/colour_lookup.h"

#include <gtest/gtest.h>

#include "ide/app/settings.h"

namespace lumora::editor {
namespace {

const SystemColours kSystem{{1, 2, 3}, {250, 251, 252}};

TEST(ColourLookup, ChoicesInDialogOrderEndWithTheSystemEntry) {
    EXPECT_EQ(colour_choice_index(make_colorref(0, 0, 0)), 0);
    EXPECT_EQ(colour_choice_index(make_colorref(255, 255, 255)), 1);
    EXPECT_EQ(colour_choice_index(make_colorref(192, 0, 0)), 2);
    EXPECT_EQ(colour_choice_index(make_colorref(128, 128, 128)), 15);
    EXPECT_EQ(colour_choice_index(make_colorref(0, 255, 255)), 21);
    EXPECT_EQ(colour_choice_index(kSystemColour), 22);
    // Not offered: the dialog shows no entry rather than a wrong one.
    EXPECT_EQ(colour_choice_index(make_colorref(1, 2, 3)), std::nullopt);
    // Every default colour of the settings is one of the choices, so a fresh
    // dialog always shows a selected entry.
    for (int i = 0; i < ide::kColourClassCount; ++i) {
        EXPECT_TRUE(colour_choice_index(ide::kDefaultTextColours[i])) << i;
        EXPECT_TRUE(colour_choice_index(ide::kDefaultBackgroundColours[i])) << i;
    }
    EXPECT_EQ(ide::kNoBackground, kSystemColour);
}

TEST(ColourLookup, TableResolvesSystemColoursAndBookmarks) {
    ColourArray text = ide::kDefaultTextColours;
    ColourArray back = ide::kDefaultBackgroundColours;
    text[ide::kColourDefault] = kSystemColour;
    ColourTable table(text, back, kSystem);
    // COLORREF is blue-green-red: the C/C++ default 0xFF0000 is blue.
    EXPECT_EQ(table.of(ide::kColourCpp), (ClassColours{{0, 0, 255}, kSystem.window}));
    EXPECT_EQ(table.of(ide::kColourDefault), (ClassColours{kSystem.window_text, kSystem.window}));
    EXPECT_EQ(table.of(ide::kColourSelect), (ClassColours{{255, 255, 255}, {0, 0, 0}}));
    // A bookmarked line puts every class, the selection too, on cyan.
    EXPECT_EQ(table.of(ide::kColourSelect, true), (ClassColours{{255, 255, 255}, {0, 255, 255}}));
    EXPECT_EQ(table.of(ide::kColourRem, true).background, kBookmarkBackground);
    // Out-of-range classes draw as Default instead of reading past the table.
    EXPECT_EQ(table.of(99), table.of(ide::kColourDefault));
    EXPECT_EQ(table.of(-1), table.of(ide::kColourDefault));
}

TEST(ColourLookup, EditorWorksOnACopyPerClass) {
    ColourArray text = ide::kDefaultTextColours;
    ColourArray back = ide::kDefaultBackgroundColours;
    text[3] = make_colorref(7, 7, 7);  // hand-edited, not a choice
    ColourEditor editor(text, back);
    EXPECT_EQ(editor.current_class(), 0);
    editor.select_class(3);
    EXPECT_EQ(editor.text_choice(), std::nullopt);
    EXPECT_EQ(editor.background_choice(), 22);
    editor.choose_background(16);
    editor.select_class(5);
    editor.choose_text(22);
    editor.select_class(3);
    EXPECT_EQ(editor.background_choice(), 16);
    // The unchosen hand-edited colour survives.
    EXPECT_EQ(editor.text(3), make_colorref(7, 7, 7));
    EXPECT_EQ(editor.backgrounds()[3], make_colorref(255, 0, 0));
    EXPECT_EQ(editor.texts()[5], kSystemColour);
    // Bad indices change nothing.
    editor.select_class(15);
    editor.choose_text(23);
    editor.choose_text(-1);
    EXPECT_EQ(editor.current_class(), 3);
    EXPECT_EQ(editor.text(3), make_colorref(7, 7, 7));
    // The original arrays are untouched (Cancel discards).
    EXPECT_EQ(back[3], kSystemColour);
}

}  // namespace
}  // namespace lumora::editor
