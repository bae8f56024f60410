#include "ide/window/frame_rules.h"

#include <algorithm>

namespace lumora::ide {

std::optional<WindowRect> initial_frame_rect(const WindowRect& stored,
                                             const std::vector<WindowRect>& screens) {
    if (stored.empty()) return std::nullopt;
    constexpr int kGrabWidth = 64;
    constexpr int kGrabHeight = 32;
    for (const WindowRect& s : screens) {
        if (stored.top < s.top || stored.top >= s.bottom) continue;
        const int w = std::min(stored.right, s.right) - std::max(stored.left, s.left);
        const int h = std::min(stored.bottom, s.bottom) - std::max(stored.top, s.top);
        if (w >= std::min(kGrabWidth, stored.right - stored.left) &&
            h >= std::min(kGrabHeight, stored.bottom - stored.top))
            return stored;
    }
    return std::nullopt;
}

WindowRect stored_rect_on_screen(const WindowRect& stored, int work_area_left, int work_area_top) {
    WindowRect r = stored;
    if (work_area_left > 0) {
        r.left += work_area_left;
        r.right += work_area_left;
    }
    if (work_area_top > 0) {
        r.top += work_area_top;
        r.bottom += work_area_top;
    }
    return r;
}

std::array<LockPane, 4> lock_panes(const platform::KeyboardLocks& locks) {
    using platform::LockLight;
    return {LockPane{"KANA", locks.kana == LockLight::on}, LockPane{"CAP", locks.caps == LockLight::on},
            LockPane{"NUM", locks.num == LockLight::on}, LockPane{"SCRL", locks.scroll == LockLight::on}};
}

std::string keyword_database_path(const std::string& program_folder,
                                  const std::function<bool(const std::string&)>& exists) {
    std::string folder = program_folder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    const std::string beside = folder + "Lumo.kdb";
    if (exists(beside)) return beside;
    const std::string installed = folder + "../share/lumora/Lumo.kdb";
    if (exists(installed)) return installed;
    return beside;
}

QuitDecision quit_decision(BusyKind busy) {
    switch (busy) {
        case BusyKind::none:
            return QuitDecision::quit;
        case BusyKind::find:
            return QuitDecision::stop_find_then_quit;
        default:
            return QuitDecision::refuse_building;
    }
}

}  // namespace lumora::ide
