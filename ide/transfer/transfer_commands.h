#pragma once
// Transfer and run from the IDE: send the project's built file entry to the
// console over COM1 and start it there, reporting each step as a plain line
// of the output window.

#include <functional>
#include <string>

#include "devlink/ide_link.h"
#include "ide/project/project_document.h"

namespace lumora::ide {

struct TransferHooks {
    std::function<void()> show_output;  // make the output pane visible
    std::function<void()> refresh;      // redraw it at once
    std::function<void()> pump;         // let window work run while waiting
    // Device to talk to; empty for COM1 as the COM-name rule resolves it.
    std::string device;
    // Lets tests shorten the waits.
    std::function<void(devlink::IdeTimeouts&)> adjust_timeouts;
};

// Output folder and {name}.fx made absolute against the project folder: the
// file the build's packing step writes.
std::string file_entry_path(const CKelvaneDoc& doc);

// "転送開始", the upload, then "転送終了" or "転送失敗". True on success.
bool transfer(CKelvaneDoc& doc, const TransferHooks& hooks);
// "実行開始", the exec line, then "実行終了" or "実行失敗". True on success.
bool execute(CKelvaneDoc& doc, const TransferHooks& hooks);
// Transfer, then execute when the transfer succeeded (also the automatic
// step after a build, which keeps the build's lines). True when both did.
bool transfer_then_execute(CKelvaneDoc& doc, const TransferHooks& hooks);

enum class TransferCommand { Transfer, Execute, TransferExecute };

// A menu command: empties the output window, shows and redraws it, then runs.
bool run_transfer_command(CKelvaneDoc& doc, TransferCommand command, const TransferHooks& hooks);

}  // namespace lumora::ide
