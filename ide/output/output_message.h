#pragma once
// One line of the output window and how a tool's line is classified.

#include <string>
#include <string_view>

namespace lumora::ide {

enum MessageKind : int {
    kPlain = 0,
    kCompileError = 1,
    kCompileWarning = 2,
    kLinkError = 3,
    kLinkWarning = 4,
    kSearchResult = 5,
};

struct OutputMessage {
    std::string text;  // Shift-JIS, as shown (a leading BEL removed)
    std::string file;  // Shift-JIS, "/" turned into "\", a leading ".\" removed; may be empty
    int line = 0;      // 1-based line number found in the text, else 0
    int kind = kPlain;
};

struct BuiltMessage {
    OutputMessage message;
    bool beep = false;  // the text began with BEL; the caller sounds the exclamation beep
};

// Builds a message from a Shift-JIS line. Without `classify` (the build's own
// lines, transfer lines) the message is plain; BEL is handled either way.
BuiltMessage build_message(std::string_view text, bool classify);

// Kind, file and line of a Shift-JIS text (no BEL handling).
OutputMessage classify_line(std::string_view text);

// A tool line as the output window keeps it: tools on this host usually speak
// UTF-8, so valid UTF-8 with non-ASCII bytes that code page 932 holds exactly
// becomes Shift-JIS; anything else is taken as Shift-JIS already.
std::string tool_text_to_sjis(std::string_view raw);

// Index of the colour class a line of this kind is drawn with.
int colour_class_for_kind(int kind);

}  // namespace lumora::ide
