#pragma once
// One run of snapget: options, settings, receive, check, save.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "devlink/capture_receiver.h"
#include "platform/settings_store.h"

namespace lumora::snapget {

struct Environment {
    // The transfer program's settings (CommPort, BaudRate); null acts as a missing key.
    const platform::SettingsStore* settings = nullptr;
    // Standard error.
    std::function<void(const std::string&)> err;
    // Folder that relative output paths are taken from; empty is the current folder.
    std::string directory;
    // COM port number to device path; platform::com_port_device when empty.
    std::function<std::string(int)> device_of_port;
    // Catch SIGINT while the port is open (off in tests that run in-process).
    bool catch_interrupt = true;
    // Receiver tuning (tests shorten the waits); `interrupted` is filled in by run.
    devlink::ReceiveOptions receive;
};

// Returns the exit status. `program` is the name as invoked (for the usage text).
int run(const std::string& program, const std::vector<std::string>& args, const Environment& env);

}  // namespace lumora::snapget
