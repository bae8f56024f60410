#include "ide/build/tool_runner.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/cp932.h"
#include "ide/build/line_splitter.h"

namespace lumora::ide {
namespace {

using Clock = std::chrono::steady_clock;

// A tool that ignores the polite request is killed after this long.
constexpr auto kKillGrace = std::chrono::seconds(3);

bool is_directory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// errno that execve would give for one candidate file, 0 when it would run.
int exec_error(const std::string& path) {
    if (::access(path.c_str(), F_OK) != 0) return errno;
    if (is_directory(path)) return EACCES;
    if (::access(path.c_str(), X_OK) != 0) return errno;
    return 0;
}

// Appends piecewise: GCC 12 at -O3 sees a false overlap in a + "/" + b.
std::string joined(const std::string& folder, const std::string& name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    path.push_back('/');
    path.append(name);
    return path;
}

}  // namespace

ProgramAndArguments split_program(const std::string& command_line, const std::string& working_folder) {
    auto split = [](const std::string& text) {
        std::vector<std::string> out;
        for (const QString& word : QProcess::splitCommand(QString::fromLocal8Bit(text)))
            out.push_back(word.toLocal8Bit().toStdString());
        return out;
    };
    // A program folder with blanks ("/opt/dev tools/bin/sc") is not quoted
    // in the build's command lines. Like the system the IDE came from, take
    // the shortest run of words before a blank that names a program.
    if (!command_line.empty() && command_line.front() != '"') {
        const size_t quote = command_line.find('"');
        for (size_t blank = command_line.find(' '); blank != std::string::npos && blank < quote;
             blank = command_line.find(' ', blank + 1)) {
            const std::string candidate = command_line.substr(0, blank);
            if (candidate.find('/') == std::string::npos) break;
            if (start_error_number(candidate, working_folder) == 0)
                return {candidate, split(command_line.substr(blank + 1))};
        }
    }
    std::vector<std::string> words = split(command_line);
    if (words.empty()) return {};
    ProgramAndArguments result{words.front(), {}};
    result.arguments.assign(words.begin() + 1, words.end());
    return result;
}

int start_error_number(const std::string& program, const std::string& working_folder) {
    if (!working_folder.empty() && !is_directory(working_folder)) return ENOENT;
    if (program.empty()) return ENOENT;
    if (program.find('/') != std::string::npos) {
        // A relative program path is taken from the working folder, as the
        // tool itself will be started there.
        if (program.front() != '/' && !working_folder.empty())
            return exec_error(joined(working_folder, program));
        return exec_error(program);
    }
    const char* path_env = std::getenv("PATH");
    std::string search = path_env ? path_env : "/usr/bin:/bin";
    int first_error = ENOENT;
    size_t start = 0;
    while (start <= search.size()) {
        size_t end = search.find(':', start);
        if (end == std::string::npos) end = search.size();
        // An empty entry of PATH means the current folder.
        const std::string dir = end > start ? search.substr(start, end - start) : std::string(1, '.');
        const int e = exec_error(joined(dir, program));
        if (e == 0) return 0;
        if (e != ENOENT && first_error == ENOENT) first_error = e;
        start = end + 1;
    }
    return first_error;
}

std::string start_error_line(int error_number, const std::string& command_line) {
    return "ErrCode = " + std::to_string(error_number) + " (" + command_line + ")";
}

const std::string& cancelled_line() {
    static const std::string line = cp932::from_utf8("ﾋﾞﾙﾄﾞを中止しました。");
    return line;
}

struct ToolRunner::Impl {
    QProcess* process = nullptr;
    bool cancel_requested = false;
};

ToolRunner::ToolRunner() : impl_(std::make_unique<Impl>()) {}
ToolRunner::~ToolRunner() = default;

bool ToolRunner::running() const {
    return impl_->process != nullptr;
}

void ToolRunner::cancel() {
    if (impl_->process) impl_->cancel_requested = true;
}

ToolOutcome ToolRunner::run(const std::string& command_line, const std::string& working_folder,
                            const ToolHooks& hooks) {
    auto pump = [&] {
        if (hooks.pump) hooks.pump();
    };
    auto refresh = [&] {
        if (hooks.refresh) hooks.refresh();
    };
    auto plain = [&](std::string line) {
        if (hooks.plain_line) hooks.plain_line(std::move(line));
    };

    pump();

    const ProgramAndArguments split = split_program(command_line, working_folder);
    const std::string& program = split.program;
    QStringList words;
    for (const std::string& argument : split.arguments) words << QString::fromLocal8Bit(argument);

    // Find out up front why a start would fail: QProcess does not pass the
    // system's error number on, and the line must name it.
    if (const int error = start_error_number(program, working_folder); error != 0) {
        plain(start_error_line(error, command_line));
        refresh();
        return ToolOutcome::FailedToStart;
    }

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!working_folder.empty()) process.setWorkingDirectory(QString::fromLocal8Bit(working_folder));
    // Its own process group: a cancel reaches helpers the tool started, and
    // a Ctrl+C typed at our terminal is ours to handle.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start(QString::fromLocal8Bit(program), words);
    if (!process.waitForStarted(-1)) {
        int error = start_error_number(program, working_folder);
        if (error == 0) error = EACCES;
        plain(start_error_line(error, command_line));
        refresh();
        return ToolOutcome::FailedToStart;
    }

    impl_->process = &process;
    impl_->cancel_requested = false;
    refresh();

    bool added = false;
    LineSplitter splitter([&](std::string line) {
        added = true;
        if (hooks.tool_line) hooks.tool_line(std::move(line));
    });
    auto take_output = [&] {
        const QByteArray data = process.readAll();
        if (data.isEmpty()) return;
        splitter.feed(std::string_view(data.constData(), static_cast<size_t>(data.size())));
    };

    const qint64 pid = process.processId();
    bool signalled = false;
    bool killed = false;
    Clock::time_point kill_at{};
    for (;;) {
        pump();
        if (impl_->cancel_requested && !signalled) {
            signalled = true;
            kill_at = Clock::now() + kKillGrace;
            if (pid > 0) ::kill(static_cast<pid_t>(-pid), SIGTERM);
        }
        if (signalled && !killed && Clock::now() >= kill_at) {
            killed = true;
            if (pid > 0) ::kill(static_cast<pid_t>(-pid), SIGKILL);
        }
        if (process.state() == QProcess::NotRunning) break;
        process.waitForReadyRead(poll_ms_);
        added = false;
        take_output();
        if (added) refresh();
    }
    take_output();
    splitter.finish();

    impl_->process = nullptr;
    impl_->cancel_requested = false;
    if (signalled) {
        splitter.finish_with(cancelled_line());
        refresh();
        pump();
        return ToolOutcome::Cancelled;
    }
    refresh();
    pump();
    return ToolOutcome::Ran;
}

}  // namespace lumora::ide
