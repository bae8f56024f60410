#pragma once
// Small rules of the main frame that do not need a window: where it opens,
// where the keyword database is found, and the one busy state.

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ide/app/settings.h"
#include "ide/commands/command_state.h"
#include "platform/keyboard_locks.h"

namespace lumora::ide {

// The rectangle the frame opens with: the stored one when its top edge lies
// on some screen with enough of it showing to grab and move it (64 x 32
// pixels); otherwise (or when nothing is stored) the default placement.
// A screen that was unplugged must not leave the IDE unreachable.
std::optional<WindowRect> initial_frame_rect(const WindowRect& stored,
                                             const std::vector<WindowRect>& screens);

// The stored rectangle is kept in work-area coordinates (shifted by the
// work area's left and top when these are positive); this is the way back
// to the screen.
WindowRect stored_rect_on_screen(const WindowRect& stored, int work_area_left, int work_area_top);

// The lock panes of the status bar after the overwrite pane, in order:
// Kana, Caps, Num, Scroll. A pane is lit while its lock is on and greyed
// while it is off or cannot be known.
struct LockPane {
    const char* text;
    bool lit;
};
std::array<LockPane, 4> lock_panes(const platform::KeyboardLocks& locks);

// Lumo.kdb beside the program, else the installed copy in
// <program folder>/../share/lumora. When neither exists the path beside the
// program is returned, so the message names where it was looked for first.
std::string keyword_database_path(const std::string& program_folder,
                                  const std::function<bool(const std::string&)>& exists);

// One long activity at a time (build, compile, serial command, find in
// project). Each of them pumps events while it waits; this is what keeps a
// second one, or closing the project under it, from starting meanwhile.
class BusyState {
  public:
    BusyKind kind() const { return kind_; }
    bool busy() const { return kind_ != BusyKind::none; }
    // False (and nothing changes) when something else runs.
    bool try_begin(BusyKind kind) {
        if (busy() || kind == BusyKind::none) return false;
        kind_ = kind;
        cancel_ = false;
        return true;
    }
    void end() {
        kind_ = BusyKind::none;
        cancel_ = false;
    }
    void request_cancel() {
        if (busy()) cancel_ = true;
    }
    bool cancel_requested() const { return cancel_; }

  private:
    BusyKind kind_ = BusyKind::none;
    bool cancel_ = false;
};

// How often a long activity lets the window handle its events. A build
// pumps between every read of a tool's output, hundreds of times a second;
// handling events (and with them repainting the output) on each of those
// would cost the build more time than its tools. Every 30 ms keeps the
// window live and a cancel prompt.
class PumpThrottle {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kInterval{30};
    // True when events are due; the next ones are then due kInterval later.
    bool due(Clock::time_point now) {
        if (last_ && now - *last_ < kInterval) return false;
        last_ = now;
        return true;
    }

  private:
    std::optional<Clock::time_point> last_;
};

// What closing the IDE does in each busy state.
enum class QuitDecision { quit, refuse_building, stop_find_then_quit };
QuitDecision quit_decision(BusyKind busy);
inline constexpr const char* kMsgBusyCannotQuit = "処理中は終了できません";

}  // namespace lumora::ide
