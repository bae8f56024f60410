#include "headless.h"

#include <pthread.h>

#include <csignal>
#include <thread>

#include "texts.h"

namespace lumora::lmputw {

namespace {

// Status and error texts already reach standard error as PutStr/PutError lines.
class QuietView : public TransferView {
  public:
    void status(const std::string&) override {}
    void error(const std::string&) override {}
    void progress(size_t, size_t) override {}
    void caption(const std::string&) override {}
    void done() override {}
};

}  // namespace

int run_headless(const TransferOptions& options, RunEnvironment env) {
    if (options.files.empty()) {
        if (env.diagnostic) env.diagnostic(std::string(text::kNoFiles) + "\n");
        return 2;
    }
    env.error_pause_ms = 0;  // nobody is reading a status line
    QuietView view;
    TransferRun run(options, std::move(env), view);

    // A signal handler would interrupt the port's waits, which then read as
    // line failures; so the signals are taken by a thread of their own, and
    // the run sees only the cancel flag. SIGUSR1 ends that thread.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &signals, &previous);
    std::thread watcher([&] {
        for (;;) {
            int sig = 0;
            if (sigwait(&signals, &sig) != 0 || sig == SIGUSR1) return;
            run.cancel_flag().store(true);
        }
    });
    int status = run.run();
    pthread_kill(watcher.native_handle(), SIGUSR1);
    watcher.join();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return status;
}

}  // namespace lumora::lmputw
