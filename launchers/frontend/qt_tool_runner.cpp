#include "qt_tool_runner.h"

#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <algorithm>

namespace lumora::launchers {

struct QtToolRunner::Running {
    QProcess process;
    std::function<void(const ToolOutcome&)> done;
    bool finished = false;
};

namespace {

QStringList to_list(const std::vector<std::string>& words) {
    QStringList list;
    for (const auto& word : words) list << QString::fromStdString(word);
    return list;
}

}  // namespace

QtToolRunner::QtToolRunner() : context_(std::make_unique<QObject>()) {}

QtToolRunner::~QtToolRunner() {
    // Nobody is left to hear of the tools' end; QProcess stops those still running.
    for (auto& running : running_) running->process.disconnect();
}

void QtToolRunner::run(const ToolRequest& request, std::function<void(const ToolOutcome&)> done) {
    auto owned = std::make_unique<Running>();
    Running* running = owned.get();
    running->done = std::move(done);
    running_.push_back(std::move(owned));

    QProcess& process = running->process;
    process.setProgram(QString::fromStdString(request.program));
    process.setArguments(to_list(request.arguments));
    if (!request.working_folder.empty())
        process.setWorkingDirectory(QString::fromStdString(request.working_folder));
    process.setStandardInputFile(QProcess::nullDevice());
    if (!request.output_file.empty()) {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setStandardOutputFile(QString::fromStdString(request.output_file), QIODevice::Truncate);
    } else {
        process.setProcessChannelMode(QProcess::ForwardedChannels);
    }

    auto finish = [this, running](ToolOutcome outcome) {
        if (running->finished) return;
        running->finished = true;
        // Reported from the event loop: QProcess may report a failed start
        // inside start() itself, and may not be destroyed inside its own signal.
        QTimer::singleShot(0, context_.get(), [this, running, outcome] {
            auto it = std::find_if(running_.begin(), running_.end(),
                                   [running](const auto& r) { return r.get() == running; });
            if (it == running_.end()) return;
            auto owned = std::move(*it);
            running_.erase(it);
            if (owned->done) owned->done(outcome);
        });
    };
    QObject::connect(&process, &QProcess::finished, [finish](int code, QProcess::ExitStatus status) {
        ToolOutcome outcome;
        outcome.started = true;
        outcome.crashed = status == QProcess::CrashExit;
        outcome.exit_code = code;
        finish(outcome);
    });
    QObject::connect(&process, &QProcess::errorOccurred, [finish, &process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;  // the others end in finished()
        ToolOutcome outcome;
        outcome.error = process.errorString().toStdString();
        finish(outcome);
    });
    process.start();
}

bool QtToolRunner::start_detached(const ToolRequest& request, std::string& error) {
    QProcess process;
    process.setProgram(QString::fromStdString(request.program));
    process.setArguments(to_list(request.arguments));
    if (!request.working_folder.empty())
        process.setWorkingDirectory(QString::fromStdString(request.working_folder));
    if (!request.output_file.empty())
        process.setStandardOutputFile(QString::fromStdString(request.output_file));
    process.setStandardInputFile(QProcess::nullDevice());
    if (process.startDetached()) return true;
    error = process.errorString().toStdString();
    return false;
}

}  // namespace lumora::launchers
