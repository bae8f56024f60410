#pragma once
// The build of the open project: compile what is out of date (or
// everything), link, convert, pack, and hand over to transfer and run when
// the project asks for it. Also compiles a single source.
//
// The builder writes every progress line into the project's output list and
// runs each tool through the ToolRunner, so the caller's thread stays in
// charge: it pumps from the hooks and may cancel from there.

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "ide/build/tool_runner.h"
#include "ide/project/project_document.h"

namespace lumora::ide {

enum class BuildKind { Normal, Full };

struct BuildSettings {
    std::string compiler_folder;  // holds bin/sc and bin/link
    std::string platform_folder;  // holds bin/romform, bin/hdrpack, include, lib
};

struct BuildHooks {
    // Saves the open text documents that belong to the project.
    std::function<void()> save_documents;
    // "プロジェクトの設定が変更されています。フルビルドしますか？" (UTF-8): true for Yes.
    std::function<bool(const std::string& question_utf8)> ask_full_build;
    // Shows a message box (UTF-8), e.g. for a file that is not a source.
    std::function<void(const std::string& message_utf8)> show_message;
    // Makes the output pane visible.
    std::function<void()> show_output;
    // Repaints the output pane (it follows new lines).
    std::function<void()> refresh;
    // Lets pending window work run; called between the tool's reads.
    std::function<void()> pump;
    // The closing beep of a build or compile.
    std::function<void()> beep;
    // Transfer, then run when the transfer succeeded (after a clean build
    // of a project with automatic transfer). Returns false when either failed.
    std::function<bool()> transfer_and_run;
    // Clocks, replaceable for tests: local time of day and a seconds counter.
    std::function<std::tm()> local_time;
    std::function<long long()> seconds;
};

struct BuildResult {
    bool started = false;  // false: no project path, or not a source
    int errors = 0;
    int warnings = 0;
    bool cancelled = false;
    bool tool_failed = false;    // a tool could not be started
    int compiled = 0;            // compile runs started
    bool linked = false;         // the link ran (started, not cancelled)
    bool packed = false;         // the pack step ran
    bool entry_written = false;  // ...and left a file entry from this build
    bool transfer_attempted = false;
    bool transfer_ok = false;  // transfer and run both succeeded

    // Every step asked for went through: no error, nothing cancelled or
    // unable to start, and the transfer (when one was made) succeeded.
    bool succeeded() const {
        return started && errors == 0 && !cancelled && !tool_failed && entry_written &&
               (!transfer_attempted || transfer_ok);
    }
};

class Builder {
  public:
    Builder(CKelvaneDoc& doc, BuildSettings settings, BuildHooks hooks);

    // Build or full build (F7 / "ﾌﾙﾋﾞﾙﾄﾞ(&F)").
    BuildResult build(BuildKind kind);
    // Compiles one source of the project ("ｺﾝﾊﾟｲﾙ(&C)", Ctrl+F7).
    BuildResult compile_one(const std::string& source_path);

    // "ﾋﾞﾙﾄﾞの中止": stops the running tool.
    void cancel() { runner_.cancel(); }
    bool tool_running() const { return runner_.running(); }
    // The cancel command is enabled while a tool runs during a build.
    bool can_cancel() const { return runner_.running() && doc_.building(); }

    ToolRunner& runner() { return runner_; }

  private:
    ToolOutcome run_tool(const std::string& command_line);
    void plain(const std::string& sjis_text);
    void time_line(const char* prefix);
    void refresh();
    std::tm now() const;
    long long seconds() const;

    CKelvaneDoc& doc_;
    BuildSettings settings_;
    BuildHooks hooks_;
    ToolRunner runner_;
};

// Whether a normal build compiles `source` into `object`: the source exists
// and the object is missing or not newer than the source.
bool needs_compile(const std::string& source, const std::string& object);

// Written after the file entry's path (relative to the project folder) when
// the packing step ran but left the entry missing or untouched: the build
// then fails and, with automatic transfer on, says that nothing is sent.
// UTF-8, beginning with a blank.
std::string entry_not_written_reason(bool auto_transfer);

// UTF-8 texts of the build.
inline constexpr const char* kFullBuildQuestion =
    "プロジェクトの設定が変更されています。フルビルドしますか？";
inline constexpr const char* kNotASourceMessage = "ソースファイルではないので、コンパイルできません";

}  // namespace lumora::ide
