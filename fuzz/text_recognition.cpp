// The text file reader: recognising encoding and kind, then cutting the
// text into Shift-JIS lines without losing a byte. The first byte picks the file's extension,
// which takes part in the recognition.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.h"
#include "ide/editor/text_file_reader.h"

using namespace lumora::editor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lumora::fuzz::InputSplitter in(data, size);
    static const char* const kNames[] = {"a.c", "a.cpp", "a.h", "a.mml", "a.se", "a.txt", "a", "a.fx"};
    TextFileReader reader;
    reader.path = kNames[in.take_byte() % 8];
    reader.contents = std::string(in.rest_text());
    reader.recognise();
    if (reader.encoding < kEncodingNone || reader.encoding > kEncodingEucJp) std::abort();
    text_type_for_kind(reader.kind);

    std::string joined;
    int lines = 0;
    const LineCounts counts = cut_lines(reader.contents, reader.encoding, [&](std::string_view line) {
        joined.append(line);
        ++lines;
    });
    counts.ending_mode();
    // Each line break ends one line; a text that does not end with one has
    // one line more, so there are never more breaks than lines.
    if (counts.crlf + counts.lf + counts.cr > lines) std::abort();
    if (reader.encoding == kEncodingShiftJis || reader.encoding == kEncodingNone) {
        // These are cut, not converted: the lines hold every byte except the
        // line breaks and the dropped form feeds and end-of-file marks.
        std::string kept;
        for (char c : reader.contents)
            if (c != '\r' && c != '\n' && c != '\x0C' && c != '\x1A') kept.push_back(c);
        if (joined != kept) std::abort();
    }
    return 0;
}
