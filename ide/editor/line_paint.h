#pragma once
// What one line of the edit view paints: pieces of text at display columns
// in a colour class, tabs already expanded to the spaces that reach the next
// tab stop, and the column where the end-of-line mark goes.

#include <string>
#include <vector>

#include "ide/editor/draw_state.h"

namespace lumora::editor {

struct PaintSegment {
    int column = 0;    // first cell
    std::string text;  // Shift-JIS bytes, no tabs
    int colour = 0;    // colour class
    bool operator==(const PaintSegment&) const = default;
};

// Cuts `runs` (colour runs of the line, selection already laid over them)
// into segments; returns the column after the last character.
int paint_segments(const std::string& text, const std::vector<ColourRun>& runs, int tab_length,
                   std::vector<PaintSegment>& out);

}  // namespace lumora::editor
