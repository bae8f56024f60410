// The text file reader: recognising encoding and kind, then cutting the
// text into Shift-JIS lines. The first byte picks the file's extension,
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

    size_t bytes = 0;
    int lines = 0;
    const LineCounts counts = cut_lines(reader.contents, reader.encoding, [&](std::string_view line) {
        bytes += line.size();
        ++lines;
    });
    counts.ending_mode();
    // Each line break ends one line; a text that does not end with one has
    // one line more, so there are never more breaks than lines.
    if (counts.crlf + counts.lf + counts.cr > lines) std::abort();
    return 0;
}
