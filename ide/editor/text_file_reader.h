#pragma once
// Reading a text file: recognising its encoding (Shift-JIS, ISO-2022-JP,
// EUC-JP or plain single-byte text) and kind, and cutting it into lines
// converted to Shift-JIS.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::editor {

enum Encoding : int { kEncodingNone = 0, kEncodingShiftJis = 1, kEncodingIso2022Jp = 2, kEncodingEucJp = 3 };
enum FileKind : int { kKindText = 0, kKindNotText = 1, kKindC = 4, kKindMml = 5 };
enum LineEnding : int { kEndingCrLf = 0, kEndingLf = 1, kEndingCr = 2 };

struct TextFileReader {
    std::string path;
    std::string contents;
    int encoding = kEncodingNone;
    int kind = kKindText;

    // Reads the whole file and recognises it. On failure `error` gets the
    // system's text for the error and the result is false.
    bool read(const std::string& file_path, std::string* error = nullptr);
    // Recognises `contents` (and the extension of `path`).
    void recognise();
};

// Text type of a document opened from a file of this kind: 0 C/C++, 1 text, 2 MML.
int text_type_for_kind(int kind);

// Kind from the extension alone (C/CPP/H, MML/SE); kKindText otherwise.
int kind_from_extension(std::string_view path);

struct LineCounts {
    int crlf = 0;
    int lf = 0;
    int cr = 0;
    int ending_mode() const;
};

// Calls `emit` for every line (Shift-JIS, without the break) and returns the
// counts of the three endings. A text ending with a line break yields one more,
// empty, line; an empty text yields none.
LineCounts cut_lines(std::string_view contents, int encoding,
                     const std::function<void(std::string_view)>& emit);

// Convenience for tests and small callers.
std::vector<std::string> cut_lines(std::string_view contents, int encoding, LineCounts* counts = nullptr);

}  // namespace lumora::editor
