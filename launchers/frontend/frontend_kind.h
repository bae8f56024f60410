#pragma once
// What tells sonix2 and pixtil2 apart: the same window and convert run,
// given different texts, converter and preview.

#include <functional>
#include <string>

#include "tool_runner.h"

namespace lumora::frontend {

enum class PreviewKind { sound, picture };

struct FrontendKind {
    std::string caption;       // window caption
    std::string pattern;       // file list pattern
    std::string convert_text;  // the two buttons' captions
    std::string exit_text;
    std::string converter;     // program name and the first-line test
    std::string message_file;  // written in the chosen file's folder
    PreviewKind preview;
};

const FrontendKind& sonix2_kind();
const FrontendKind& pixtil2_kind();

// Where the converters live and where the front-end itself was started from.
struct FrontendPaths {
    std::string kit_root;
    std::string own_folder;
    // pixtil's settings file "format" (see settings_file_path).
    std::string settings_file;
};

// pixtil's settings file: "format" beside the front-end when it is there (a
// build tree, or a kit unpacked into one folder), else the installed copy in
// <own folder>/../share/lumora/pixtil2/. When neither exists the path beside
// the front-end is given, so pixtil's own message names where it looked.
std::string settings_file_path(const std::string& own_folder,
                               const std::function<bool(const std::string&)>& exists);

// The converter run for `file` (a name in `folder`; empty when none is
// chosen, and then no file argument is passed, as a command line with an
// empty name would have none). It runs in `folder` and writes the message file there.
launchers::ToolRequest converter_request(const FrontendKind& kind, const FrontendPaths& paths,
                                         const std::string& folder, const std::string& file);

}  // namespace lumora::frontend
