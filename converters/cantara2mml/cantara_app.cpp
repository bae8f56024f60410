#include "converters/cantara2mml/cantara_app.h"

#include <cstdio>
#include <new>

#include "common/file_bytes.h"
#include "common/replace_file.h"
#include "converters/cantara2mml/cantara_mml.h"
#include "converters/cantara2mml/cantara_save.h"

namespace lumora::cantara {

namespace {

constexpr const char* kUsage = "usage: cantara2mml infile outfile\n";

int convert(const std::string& input, const std::string& output, std::ostream& out) {
    const auto read = read_file_bytes(input);
    if (!read) {
        out << input << " file not found\n";
        return kExitFailed;
    }
    const std::vector<uint8_t>& bytes = *read;
    SaveStatus status = SaveStatus::Ok;
    const auto score = parse_save(bytes, &status);
    if (status == SaveStatus::NotSave) {
        out << input << " file is not a cantara saver\n";
        return kExitFailed;
    }
    out << "reading\n";
    if (!score) {
        // Converting half a score would give music that silently stops.
        out << input << " file is truncated\n";
        return kExitFailed;
    }
    const MmlResult mml = to_mml(*score);
    for (const std::string& w : mml.warnings) out << "warning: " << w << "\n";
    out << "writing\n";
    // The old file stays until the new text is complete.
    switch (replace_file(output, mml.text)) {
        case ReplaceOutcome::Done:
            return kExitOk;
        case ReplaceOutcome::CannotCreate:
            out << output << " file cannot be created\n";
            return kExitFailed;
        case ReplaceOutcome::CannotWrite:
            break;
    }
    out << output << " file write error\n";
    return kExitFailed;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out) {
    if (!args.empty() && args[0] == "--help") {
        out << kUsage
            << "Converts a two-part score saved by Cantara into MML text\n"
               "(tempo, part headers, octaves, spelled notes, one bar per line).\n";
        return kExitOk;
    }
    if (args.size() < 2) {
        out << kUsage;
        return kExitFailed;
    }
    try {
        return convert(args[0], args[1], out);
    } catch (const std::bad_alloc&) {
        out << args[0] << " file is too large\n";
        return kExitFailed;
    }
}

}  // namespace lumora::cantara
