#pragma once
// One run of lmPutw: open the port, then for every file delete, defragment
// and upload (or only delete), and finally run the last file. The run talks
// to its window only through TransferView, so it runs the same without one.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "command_line.h"
#include "devlink/putw_link.h"
#include "platform/settings_store.h"

namespace lumora::lmputw {

// What the run shows. Texts are UTF-8. In the program the calls come from
// the worker thread and return once the window has handled them.
class TransferView {
  public:
    virtual ~TransferView() = default;
    virtual void status(const std::string& text) = 0;
    virtual void error(const std::string& text) = 0;
    virtual void progress(size_t position, size_t total) = 0;
    virtual void caption(const std::string& text) = 0;
    virtual void done() = 0;
};

// The port settings of the Pelorix transfer program.
struct LineSettings {
    uint32_t comm_port = 0;     // the port is COM(comm_port + 1)
    uint32_t baud_setting = 0;  // 0: 38400 bit/s, anything else 9600
};
// Values that are missing (or a missing store) read as 0.
LineSettings read_line_settings(const platform::SettingsStore* store);

struct Keyboard {
    bool shift = false;  // run the last file afterwards
    bool ctrl = false;   // defragment before each upload
};

struct RunEnvironment {
    LineSettings line;
    // COM port number (1-based) to device; platform::com_port_device when empty.
    std::function<std::string(int port)> device_of_port;
    // Folder that receives lmPut.log; empty is the current folder.
    std::string directory;
    // Diagnostic lines: "PutStr: TEXT\n", "PutError: TEXT\n" and the link's own notes.
    std::function<void(const std::string& line)> diagnostic;
    // How long an error text stays before the run goes on.
    int error_pause_ms = 0;
    // Read once when the run starts.
    std::function<Keyboard()> keyboard;
};

class TransferRun {
  public:
    TransferRun(TransferOptions options, RunEnvironment env, TransferView& view);

    // Set from another thread (Cancel) or a signal handler; the run finishes
    // its current step and ends.
    std::atomic<bool>& cancel_flag() { return link_.cancel_flag(); }

    // The whole run; ends with view.done(). Returns the exit status: 0 when
    // every file was handled (a file sent again after defragmenting counts),
    // 1 when the port, a source or an upload failed, or after a cancel.
    int run();

  private:
    enum class FileResult { Uploaded, Failed, Unreadable };
    FileResult handle_file(const std::string& arg, std::string& console_name);
    bool upload_with_retry(const devlink::PutwUpload& upload);
    void say(const std::string& text);
    void report_error(const std::string& text);

    TransferOptions options_;
    RunEnvironment env_;
    TransferView& view_;
    devlink::PutwLink link_;
    bool any_error_ = false;
};

}  // namespace lumora::lmputw
