#pragma once
// Start-up and exit of the IDE with its window.

#include <memory>
#include <string>
#include <vector>

#include "ide/window/app_state.h"
#include "ide/window/frame_services.h"
#include "ide/window/main_frame.h"

namespace lumora::ide {

// Reads the recent lists and the settings, creates the main frame, opens the
// given files by path, shows the frame (maximised when so stored), shows the
// environment dialog on the first run and loads the keyword database.
// Nothing when the IDE is to end (the user declined to go on without the
// keyword database).
std::unique_ptr<CMainFrame> start_ide(AppState& app, FrameServices services,
                                      const std::vector<std::string>& files);

// Writes the recent project list, the settings and the recent file list.
bool exit_ide(AppState& app);

}  // namespace lumora::ide
