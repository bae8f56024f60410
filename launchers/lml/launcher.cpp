#include "launcher.h"

#include <unistd.h>

#include <filesystem>

#include "common/file_bytes.h"
#include "launchers/frontend/text_lines.h"
#include "tool_commands.h"

namespace lumora::lml {

namespace fs = std::filesystem;

namespace {

const std::string kLineEnd = "\r\n";

void remove_file(const std::string& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

bool file_exists(const std::string& path) {
    std::error_code ignored;
    return fs::is_regular_file(path, ignored);
}

std::string current_working_folder() {
    std::error_code error;
    auto path = fs::current_path(error);
    return error ? std::string() : path.string();
}

}  // namespace

bool button_enabled(int index, const ButtonContext& context) {
    if (context.busy || context.frame_shown) return false;
    if (index < first_user_button) return context.project_open;
    return index < kButtonCount;
}

std::string without_folder_prefix(const std::string& line, const std::string& folder_with_slash) {
    if (!folder_with_slash.empty() && line.rfind(folder_with_slash, 0) == 0)
        return line.substr(folder_with_slash.size());
    return line;
}

Launcher::Launcher(KitPaths paths, launchers::ToolRunner& runner, LauncherEvents& events)
    : paths_(std::move(paths)),
      runner_(runner),
      events_(events),
      settings_(default_settings(paths_.default_editor())),
      current_folder_(current_working_folder()) {}

void Launcher::load_settings() {
    settings_ = load_lml_ini(paths_.settings_file(), default_settings(paths_.default_editor()));
}

bool Launcher::save_settings(std::string& error) {
    return save_lml_ini(paths_.settings_file(), settings_, error);
}

bool Launcher::prepare_kit(std::string& error) {
    std::error_code code;
    fs::create_directories(paths_.myprog(), code);
    if (code || !fs::is_directory(paths_.myprog(), code)) {
        error = paths_.myprog() + ": " + code.message();
        return false;
    }
    return true;
}

NameCheck Launcher::choose_project(const std::string& name) {
    const NameCheck check = check_project_name(name);
    if (check != NameCheck::ok) return check;
    OpenedProject opened = open_project(paths_, name);
    if (!opened.ok) {
        report("プロジェクトを作成できません: " + opened.error);
        return check;
    }
    project_ = name;
    current_folder_ = opened.folder;
    return check;
}

void Launcher::append(const std::string& line) {
    text_ += line + kLineEnd;
    events_.message_text_changed(text_);
}

void Launcher::report(const std::string& line) {
    events_.show_message_window();
    append(line);
}

void Launcher::set_busy(bool busy) {
    if (busy_ == busy) return;
    busy_ = busy;
    events_.busy_changed(busy);
}

void Launcher::press(int index) {
    if (busy_ || index < 0 || index >= kButtonCount) return;
    const ButtonProgram& button = settings_.buttons[index];
    switch (index) {
        case editor_button:
            if (!project_.empty())
                start_detached(edit_command(button.program, project_ + ".c", current_folder_), button.name);
            return;
        case compiler_button:
            compile();
            return;
        case emulator_button:
            run_emulator();
            return;
        case transfer_button:
            transfer();
            return;
        default:
            if (!button.name.empty())
                start_detached(program_command(button.program, current_folder_), button.name);
    }
}

void Launcher::edit_description() {
    if (project_.empty()) return;
    start_detached(edit_command(settings_.buttons[editor_button].program, project_ + ".cf", current_folder_),
                   settings_.buttons[editor_button].name);
}

void Launcher::start_program(const std::string& program) {
    start_detached(program_command(program, current_folder_), std::string(path_base_name(program)));
}

void Launcher::open_console() {
    start_detached(console_command(current_folder_), "x-terminal-emulator");
}

void Launcher::start_detached(const launchers::ToolRequest& request, const std::string& what) {
    if (request.program.empty()) {
        report("プログラムが設定されていません: " + what);
        return;
    }
    std::string error;
    if (!runner_.start_detached(request, error))
        report("起動できません: " + request.program + " (" + error + ")");
}

bool Launcher::note_failure(const launchers::ToolRequest& request, const launchers::ToolOutcome& outcome) {
    const std::string name(path_base_name(request.program));
    if (!outcome.started) {
        std::string line = "起動できません: " + request.program;
        if (!outcome.error.empty()) line += " (" + outcome.error + ")";
        append(line);
    } else if (outcome.crashed) {
        append("異常終了しました: " + name);
    } else if (outcome.exit_code != 0) {
        append("終了コード " + std::to_string(outcome.exit_code) + " で終了しました: " + name);
    } else {
        return false;
    }
    return true;
}

void Launcher::compile() {
    if (busy_ || project_.empty()) return;
    set_busy(true);
    events_.show_message_window();
    text_.clear();
    append(kCompileStart);
    const std::string project = project_;
    const launchers::ToolRequest request = compile_command(paths_, project);
    // Without these an old program or old messages could pass for new ones.
    remove_file(paths_.project_folder(project) + "/" + project + ".bin");
    remove_file(request.output_file);
    runner_.run(request, [this, project, request](const launchers::ToolOutcome& outcome) {
        after_compile(project, request, outcome);
    });
}

void Launcher::after_compile(const std::string& project, const launchers::ToolRequest& request,
                             const launchers::ToolOutcome& outcome) {
    const std::string untouched = std::string(kCompileStart) + kLineEnd;
    const std::string folder = paths_.project_folder(project);
    if (!outcome.started) {
        note_failure(request, outcome);
        set_busy(false);
        return;
    }
    if (auto lines = launchers::read_message_lines(request.output_file)) {
        for (const auto& line : *lines) append(without_folder_prefix(line, folder + "/"));
    } else {
        append("メッセージファイルがありません: " + request.output_file);
    }
    // A compiler that said nothing yet failed, or made no program, stops here too.
    if (text_ == untouched && !note_failure(request, outcome) &&
        !file_exists(folder + "/" + project + ".bin"))
        append("作成されませんでした: " + project + ".bin");
    if (text_ != untouched) {
        set_busy(false);
        return;
    }

    append(kConversionStart);
    const launchers::ToolRequest pack = file_entry_command(paths_, project);
    remove_file(folder + "/" + project + ".fx");
    remove_file(pack.output_file);
    runner_.run(pack, [this, project, pack](const launchers::ToolOutcome& packed) {
        after_file_entry(project, pack, packed);
    });
}

void Launcher::after_file_entry(const std::string& project, const launchers::ToolRequest& request,
                                const launchers::ToolOutcome& outcome) {
    if (outcome.started) {
        if (auto lines = launchers::read_message_lines(request.output_file)) {
            for (const auto& line : *lines) append(line);
        } else {
            append("メッセージファイルがありません: " + request.output_file);
        }
    }
    bool failed = note_failure(request, outcome);
    if (!failed && !file_exists(paths_.project_folder(project) + "/" + project + ".fx")) {
        append("作成されませんでした: " + project + ".fx");
        failed = true;
    }
    if (failed) {
        set_busy(false);
        return;
    }
    continuous_run(project);
}

void Launcher::continuous_run(const std::string& project) {
    switch (settings_.mode) {
        case RunMode::emulator:
            run_waited(emulator_command(paths_, project), kEmulatorStart);
            return;
        case RunMode::transfer:
            run_waited(transfer_command(paths_, project), kTransferStart);
            return;
        case RunMode::compile_only:
            append(kAllDone);
            set_busy(false);
            return;
    }
}

void Launcher::run_emulator() {
    if (busy_ || project_.empty()) return;
    run_waited(emulator_command(paths_, project_), kEmulatorStart);
}

void Launcher::transfer() {
    if (busy_ || project_.empty()) return;
    run_waited(transfer_command(paths_, project_), kTransferStart);
}

void Launcher::run_waited(const launchers::ToolRequest& request, const char* start_line) {
    set_busy(true);
    append(start_line);
    runner_.run(request, [this, request](const launchers::ToolOutcome& outcome) {
        if (note_failure(request, outcome)) events_.show_message_window();
        set_busy(false);
        events_.restore_height();
    });
}

}  // namespace lumora::lml
