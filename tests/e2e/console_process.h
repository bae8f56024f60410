#pragma once
// Scenario support: the virtual console program on a pseudo-terminal, and
// small file helpers shared by the scenarios.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "devlink/file_entry.h"
#include "tests/support/child_process.h"

namespace lumora::e2e {

inline std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void write_bytes(const std::string& path, const std::vector<uint8_t>& data) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline bool file_exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// Bytes that differ from run to run of a scenario, so a stale file never passes.
inline std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> d(n);
    for (size_t i = 0; i < n; ++i) d[i] = static_cast<uint8_t>(seed + i * 37 + (i >> 8));
    return d;
}

// A built program as the packing step writes it: header, then the body.
inline std::vector<uint8_t> program_entry(const std::string& name, const std::vector<uint8_t>& body) {
    devlink::DirectoryEntry e;
    e.set_name(name);
    e.set_info(name);
    e.set_size(static_cast<int32_t>(body.size()));
    e.set_blocks(static_cast<int16_t>((body.size() + 127) / 128));
    e.set_mode(devlink::kModeProgram);
    e.set_resource(devlink::kNoResource);
    auto bytes = devlink::build_header(e);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

// `vconsole --pty DIR/COM1 --store DIR/rom0 ...`, stopped when it goes out of scope.
class ConsoleProcess {
  public:
    explicit ConsoleProcess(const testing::TempDir& dir) : link_(dir / "COM1"), store_(dir / "rom0") {}

    bool start(const std::vector<std::string>& extra, bool with_store = true) {
        std::vector<std::string> argv = {LUMORA_BIN_DIR "/vconsole", "--pty", link_};
        if (with_store) argv.insert(argv.end(), {"--store", store_});
        argv.insert(argv.end(), extra.begin(), extra.end());
        testing::ChildOptions launch;
        launch.argv = argv;
        launch.capture_stderr = true;
        child_ = testing::Child::start(launch);
        return child_ && child_->wait_for_line("ready /dev/", 10000);
    }
    // Waits for a capture sender to end; its exit status.
    std::optional<int> wait(int timeout_ms) { return child_ ? child_->wait(timeout_ms) : std::nullopt; }
    std::string err() const { return child_ ? child_->err() : std::string(); }

    const std::string& link() const { return link_; }
    std::string stored(const std::string& name) const { return store_ + "/" + name; }

  private:
    std::string link_, store_;
    std::optional<testing::Child> child_;
};

}  // namespace lumora::e2e
