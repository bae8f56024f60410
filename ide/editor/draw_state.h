#pragma once
// Comments and strings for drawing: a state machine over the punctuation
// tokens turns them into the String and Rem colour classes, depending on the
// view's text type, and splits punctuation tokens where the state changes.

#include <vector>

#include "ide/editor/text_line.h"

namespace lumora::editor {

class CTextDoc;

enum DrawState : int {
    kStateNormal = 0,
    kStateLineComment = 1,
    kStateBlockComment = 2,
    kStateDoubleQuote = 3,
    kStateInclude = 4,
    kStateSingleQuote = 5,
};

struct ColourRun {
    int start = 0;
    int length = 0;
    int colour = 0;
    bool operator==(const ColourRun&) const = default;
};

// Colours one line for drawing in a view of `text_type`; `state` is the state
// at the start of the line and becomes the state carried to the next line.
void colour_line(const TextLine& line, int text_type, int& state, std::vector<ColourRun>& out);

// Draws the byte range [from, to) of a line in the selection colour (class
// 14), splitting the runs it cuts; the rest keep their colours.
void overlay_selection(std::vector<ColourRun>& runs, int from, int to);

// The state carried to the next line, without producing runs.
int line_exit_state(const TextLine& line, int text_type, int entry_state);

// State at the start of `line` when a view of `text_type` draws from
// `first_visible` on: C/C++ carries block comments from line 0 (cached in the
// document), the other types start fresh on the first visible line.
int drawing_entry_state(CTextDoc& doc, int text_type, int line, int first_visible);

}  // namespace lumora::editor
