#include "tool_commands.h"

namespace lumora::lml {

ToolRequest compile_command(const KitPaths& paths, const std::string& project) {
    const std::string dir = paths.project_folder(project) + "/";
    ToolRequest request;
    request.program = paths.compiler();
    request.arguments = {"-o", dir + project + ".bin", dir + project + ".c"};
    request.working_folder = paths.compiler_folder();
    request.output_file = dir + kCompilerMessages;
    return request;
}

ToolRequest file_entry_command(const KitPaths& paths, const std::string& project) {
    ToolRequest request;
    request.program = paths.hdrpack();
    request.arguments = {project + ".cf"};
    request.working_folder = paths.project_folder(project);
    request.output_file = request.working_folder + "/" + kPackerMessages;
    return request;
}

ToolRequest emulator_command(const KitPaths& paths, const std::string& project) {
    ToolRequest request;
    request.program = paths.emulator();
    request.arguments = {project + ".fx"};
    request.working_folder = paths.project_folder(project);
    return request;
}

ToolRequest transfer_command(const KitPaths& paths, const std::string& project) {
    ToolRequest request;
    request.program = paths.transfer_tool();
    request.arguments = {"-x", "-d", project + ".fx", "/rom0"};
    request.working_folder = paths.project_folder(project);
    return request;
}

ToolRequest edit_command(const std::string& editor, const std::string& file, const std::string& folder) {
    ToolRequest request;
    request.program = editor;
    request.arguments = {file};
    request.working_folder = folder;
    return request;
}

ToolRequest program_command(const std::string& program, const std::string& folder) {
    ToolRequest request;
    request.program = program;
    request.working_folder = folder;
    return request;
}

ToolRequest console_command(const std::string& folder) {
    return program_command("x-terminal-emulator", folder);
}

}  // namespace lumora::lml
