#pragma once
// The transfer tool's log ("lmPut.log"): what was configured, and a dump of
// every byte sent and received. Texts are Shift-JIS like everything else
// the tool writes.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace lumora::devlink {

// "%02X " per byte, " (", "%c " per byte, ")\r\n".
std::string dump_bytes(std::span<const uint8_t> bytes);

class TransferLog {
  public:
    using Writer = std::function<void(std::string_view bytes)>;

    explicit TransferLog(Writer writer) : writer_(std::move(writer)) {}
    virtual ~TransferLog() = default;

    // Creates the file anew (readable by others while it is written).
    static std::unique_ptr<TransferLog> create_file(const std::string& path);

    void port_opened();
    void line_configured(int error);
    void timeouts_set(int error);
    void read_timeout_set(int error);
    void sent(std::span<const uint8_t> bytes);
    void short_write(int error);
    void write_failed(int error);
    void received(std::span<const uint8_t> bytes);
    void read_failed(int error);
    void read_timed_out();
    void port_closed();

    void write(std::string_view bytes) {
        if (writer_) writer_(bytes);
    }

  private:
    void last_error(int error);
    Writer writer_;
};

}  // namespace lumora::devlink
