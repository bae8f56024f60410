#pragma once
// The launcher's behaviour behind its window: settings, the current project,
// the seven buttons, the compile -> file entry -> continuous-run sequence and
// the message window's text. The window shows what this class tells it
// through LauncherEvents and turns clicks into calls.

#include <string>

#include "kit_paths.h"
#include "launchers/frontend/tool_runner.h"
#include "lml_ini.h"
#include "project.h"

namespace lumora::lml {

// The message window's fixed lines.
inline constexpr const char* kCompileStart = "コンパイル開始";
inline constexpr const char* kConversionStart = "ファイル変換開始";
inline constexpr const char* kAllDone = "コンパイル、ファイル変換が終了しました";
inline constexpr const char* kEmulatorStart = "エミュレータ起動";
inline constexpr const char* kTransferStart = "ファイル転送開始";

enum Button { editor_button = 0, compiler_button, emulator_button, transfer_button, first_user_button };

class LauncherEvents {
  public:
    virtual ~LauncherEvents() = default;
    virtual void message_text_changed(const std::string& text) = 0;
    virtual void show_message_window() = 0;
    virtual void busy_changed(bool busy) = 0;
    // After the emulator or the transfer: back to the height without a frame.
    virtual void restore_height() = 0;
};

// Whether button `index` can be pressed. Nothing while a tool is waited for
// or a settings frame is open; the four project buttons need a project.
struct ButtonContext {
    bool busy = false;
    bool frame_shown = false;
    bool project_open = false;
};
bool button_enabled(int index, const ButtonContext& context);

// A compiler line as the message window shows it: the project folder the
// compiler puts in front of its messages is dropped; a line that does not
// begin with it is shown whole.
std::string without_folder_prefix(const std::string& line, const std::string& folder_with_slash);

class Launcher {
  public:
    Launcher(KitPaths paths, launchers::ToolRunner& runner, LauncherEvents& events);

    const KitPaths& paths() const { return paths_; }

    // Settings: "lml.ini" over the defaults, and written back.
    LmlSettings& settings() { return settings_; }
    const LmlSettings& settings() const { return settings_; }
    void load_settings();
    bool save_settings(std::string& error);

    // Makes "myprog" when it is missing; false when it cannot be made.
    bool prepare_kit(std::string& error);

    // The project frame's OK: a refused name changes nothing (the window
    // empties its name box); an accepted one becomes the current project,
    // created from the templates when it is new.
    NameCheck choose_project(const std::string& name);
    const std::string& project() const { return project_; }
    const std::string& current_folder() const { return current_folder_; }

    void press(int index);
    void compile();
    void run_emulator();
    void transfer();
    // The file menu's description item: nothing without a project.
    void edit_description();
    // A program of the tools menu, not waited for.
    void start_program(const std::string& program);
    void open_console();

    bool busy() const { return busy_; }
    const std::string& message_text() const { return text_; }
    // A line (and CR LF) at the end of the message window, which is shown.
    void report(const std::string& line);

  private:
    void append(const std::string& line);
    void set_busy(bool busy);
    void start_detached(const launchers::ToolRequest& request, const std::string& what);
    void after_compile(const std::string& project, const launchers::ToolRequest& request,
                       const launchers::ToolOutcome& outcome);
    void after_file_entry(const std::string& project, const launchers::ToolRequest& request,
                          const launchers::ToolOutcome& outcome);
    void continuous_run(const std::string& project);
    void run_waited(const launchers::ToolRequest& request, const char* start_line);
    // Appends a line when the tool did not start, crashed or failed; true when it did.
    bool note_failure(const launchers::ToolRequest& request, const launchers::ToolOutcome& outcome);

    KitPaths paths_;
    launchers::ToolRunner& runner_;
    LauncherEvents& events_;
    LmlSettings settings_;
    std::string project_;
    std::string current_folder_;
    std::string text_;
    bool busy_ = false;
};

}  // namespace lumora::lml
