#pragma once
// The launcher's fixed command lines, each with the folder it runs in and
// the file its output is written to.

#include <string>

#include "kit_paths.h"
#include "launchers/frontend/tool_runner.h"

namespace lumora::lml {

using launchers::ToolRequest;

constexpr const char* kCompilerMessages = "lcc86lm.mes";
constexpr const char* kPackerMessages = "hdrpack.mes";

// lcc86 -o DIR/NAME.bin DIR/NAME.c, in the compiler's folder, into DIR/lcc86lm.mes.
ToolRequest compile_command(const KitPaths& paths, const std::string& project);
// hdrpack NAME.cf, in the project folder, into hdrpack.mes.
ToolRequest file_entry_command(const KitPaths& paths, const std::string& project);
// sonavo NAME.fx, in the project folder.
ToolRequest emulator_command(const KitPaths& paths, const std::string& project);
// lmPutw -x -d NAME.fx /rom0, in the project folder.
ToolRequest transfer_command(const KitPaths& paths, const std::string& project);
// PROGRAM NAME.EXTENSION (the editor on the source or the description), in `folder`.
ToolRequest edit_command(const std::string& editor, const std::string& file, const std::string& folder);
// A program without arguments (user buttons, the tools menu), in `folder`.
ToolRequest program_command(const std::string& program, const std::string& folder);
// The desktop's terminal, opened in `folder`.
ToolRequest console_command(const std::string& folder);

}  // namespace lumora::lml
