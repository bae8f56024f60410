#include "convert_run.h"

#include <filesystem>

#include "text_lines.h"

namespace lumora::frontend {

ConvertResult judge_conversion(const FrontendKind& kind, const launchers::ToolOutcome& outcome,
                               const std::string& message_file_path, const std::string& program) {
    if (!outcome.started) {
        std::string line = "起動できません: " + program;
        if (!outcome.error.empty()) line += " (" + outcome.error + ")";
        return {line, true};
    }
    auto lines = launchers::read_message_lines(message_file_path);
    if (!lines) return {"メッセージファイルがありません: " + kind.message_file, true};
    if (lines->empty()) return {"メッセージファイルが空です: " + kind.message_file, true};
    const std::string& first = lines->front();
    return {first, first.rfind(kind.converter, 0) != 0};
}

void start_conversion(const FrontendKind& kind, const FrontendPaths& paths, const std::string& folder,
                      const std::string& file, launchers::ToolRunner& runner,
                      std::function<void(const ConvertResult&)> done) {
    launchers::ToolRequest request = converter_request(kind, paths, folder, file);
    std::error_code ignored;
    std::filesystem::remove(request.output_file, ignored);
    const std::string message_path = request.output_file;
    const std::string program = request.program;
    runner.run(request,
               [&kind, message_path, program, done = std::move(done)](const launchers::ToolOutcome& outcome) {
                   done(judge_conversion(kind, outcome, message_path, program));
               });
}

}  // namespace lumora::frontend
