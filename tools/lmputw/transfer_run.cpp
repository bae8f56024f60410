#include "transfer_run.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <limits>
#include <thread>

#include "common/file_bytes.h"
#include "devlink/messages.h"
#include "devlink/transfer_log.h"
#include "devlink/xmodem.h"
#include "platform/com_name.h"
#include "texts.h"

namespace lumora::lmputw {

using devlink::format;

namespace {

// The header counts the body's blocks in a signed 16-bit field.
constexpr uint64_t kMaxPlainBody = uint64_t{std::numeric_limits<int16_t>::max()} * devlink::kBlockData;

// Console names are at most 16 characters.
std::string console_name_of(std::string_view name) {
    return std::string(name.substr(0, devlink::kNameWidth));
}

}  // namespace

LineSettings read_line_settings(const platform::SettingsStore* store) {
    LineSettings s;
    if (!store || !store->exists()) return s;
    s.comm_port = store->read_number("", "CommPort").value_or(0);
    s.baud_setting = store->read_number("", "BaudRate").value_or(0);
    return s;
}

TransferRun::TransferRun(TransferOptions options, RunEnvironment env, TransferView& view)
    : options_(std::move(options)), env_(std::move(env)), view_(view) {}

void TransferRun::say(const std::string& text) {
    if (env_.diagnostic) env_.diagnostic("PutStr: " + text + "\n");
    view_.status(text);
}

void TransferRun::report_error(const std::string& text) {
    if (env_.diagnostic) env_.diagnostic("PutError: " + text + "\n");
    view_.error(text);
    // The window keeps the text up long enough to be read.
    if (env_.error_pause_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(env_.error_pause_ms));
}

bool TransferRun::upload_with_retry(const devlink::PutwUpload& upload) {
    link_.set_read_timeout(devlink::kPutwUploadReadMs);
    say(text::kSending);
    if (link_.upload(upload.data, options_.folder)) return true;
    // A cancelled upload is no failure of the line: nothing to report.
    if (link_.cancelled()) return false;
    report_error(format(text::kWriteFailed, link_.last_code()));
    if (link_.last_code() != 452) return false;
    say(text::kDefragForSpace);
    link_.defrag(options_.folder);
    say(text::kSendingAgain);
    if (link_.upload(upload.data, options_.folder)) return true;
    if (link_.cancelled()) return false;
    report_error(format(text::kWriteFailed, link_.last_code()));
    return false;
}

TransferRun::FileResult TransferRun::handle_file(const std::string& arg, std::string& console_name) {
    devlink::PutwUpload upload;
    if (options_.delete_only) {
        // A console name has no folder; a path given here means its file's name.
        console_name = console_name_of(path_base_name(arg));
    } else {
        say(text::kReading);
        auto bytes = read_file_bytes(arg);
        struct stat st {};
        if (!bytes || ::stat(arg.c_str(), &st) != 0) {
            report_error(format(text::kSourceUnreadable, arg.c_str()));
            return FileResult::Unreadable;
        }
        if (!devlink::has_header(*bytes) && bytes->size() > kMaxPlainBody) {
            report_error(format(text::kSourceTooLarge, arg.c_str()));
            return FileResult::Failed;
        }
        upload = devlink::prepare_putw_upload(std::move(*bytes), path_base_name(arg), st.st_mtime);
        console_name = console_name_of(upload.entry.name());
    }
    say(text::kDeleting);
    link_.delete_file(options_.folder + console_name);
    if (options_.defragment) {
        say(text::kDefragmenting);
        link_.defrag(options_.folder);
    }
    if (options_.delete_only) return FileResult::Uploaded;
    return upload_with_retry(upload) ? FileResult::Uploaded : FileResult::Failed;
}

int TransferRun::run() {
    if (env_.keyboard) {
        Keyboard keys = env_.keyboard();
        options_.execute = options_.execute || keys.shift;
        options_.defragment = options_.defragment || keys.ctrl;
    }
    std::unique_ptr<devlink::TransferLog> log;
    if (options_.write_log) {
        const std::string path = env_.directory.empty() ? "lmPut.log" : env_.directory + "/lmPut.log";
        log = devlink::TransferLog::create_file(path);
        // The run goes on without its log, but says so.
        if (!log && env_.diagnostic)
            env_.diagnostic("lmPutw: cannot create " + path + ": " + std::strerror(errno) + "\n");
        link_.set_log(log.get());
    }
    link_.set_debug([this](const std::string& text) {
        if (env_.diagnostic) env_.diagnostic(text);
    });
    link_.set_progress([this](size_t position, size_t total) { view_.progress(position, total); });

    const int port = static_cast<int>(env_.line.comm_port) + 1;
    const std::string device =
        env_.device_of_port ? env_.device_of_port(port) : platform::com_port_device(port);
    bool run_last = false;
    std::string last_name;
    if (!link_.open_device(device, env_.line.baud_setting)) {
        report_error(text::kPortFailed);
        any_error_ = true;
    } else {
        if (options_.folder.empty() || options_.folder.back() != '/') options_.folder += '/';
        link_.set_read_timeout(devlink::kPutwSetupReadMs);
        say(text::kInitialising);
        link_.purge();
        link_.stty();

        const int n = static_cast<int>(options_.files.size());
        for (int i = 0; i < n; ++i) {
            const std::string& arg = options_.files[static_cast<size_t>(i)];
            view_.caption(format(text::kCaptionFormat, i + 1, n, std::string(path_base_name(arg)).c_str(),
                                 options_.folder.c_str()));
            std::string name;
            FileResult result = handle_file(arg, name);
            // A file sent again after defragmenting counts as handled.
            if (result != FileResult::Uploaded) any_error_ = true;
            if (result == FileResult::Unreadable) {
                // A missing source ends the run: nothing after it is sent or run.
                run_last = false;
                break;
            }
            // Only a file that arrived whole may be run; after a failed or
            // cancelled upload its old copy is gone too.
            run_last = result == FileResult::Uploaded;
            last_name = name;
            if (link_.cancelled()) break;
        }
        if (options_.execute && run_last) link_.exec(options_.folder + last_name);
    }
    view_.done();
    link_.close();
    link_.set_log(nullptr);
    return any_error_ || link_.cancelled() ? 1 : 0;
}

}  // namespace lumora::lmputw
