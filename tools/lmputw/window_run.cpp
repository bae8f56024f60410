#include "window_run.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <thread>

#include "texts.h"
#include "ui/message_box.h"

namespace lumora::lmputw {

// Every request runs on the dialog's thread; the worker waits for it.
class DialogRun::View : public TransferView {
  public:
    View(ProgressDialog& dialog, QEventLoop& loop) : dialog_(dialog), loop_(loop) {}

    void status(const std::string& text) override {
        call([&] { dialog_.show_status(QString::fromStdString(text)); });
    }
    void error(const std::string& text) override {
        call([&] { dialog_.show_status(QString::fromStdString(text)); });
    }
    void progress(size_t position, size_t total) override {
        call([&] { dialog_.show_progress(position, total); });
    }
    void caption(const std::string& text) override {
        call([&] { dialog_.show_caption(QString::fromStdString(text)); });
    }
    void done() override {
        call([&] {
            dialog_.finish();
            loop_.quit();
        });
    }

  private:
    template <typename F>
    void call(F f) {
        QMetaObject::invokeMethod(&dialog_, std::move(f), Qt::BlockingQueuedConnection);
    }
    ProgressDialog& dialog_;
    QEventLoop& loop_;
};

namespace {

// An error text stays this long in the status line before the run goes on.
constexpr int kErrorPauseMs = 2000;

Keyboard keyboard_now() {
    // On X11 this asks the server, so it sees keys held before the program started.
    const Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
    return Keyboard{m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::ControlModifier)};
}

}  // namespace

DialogRun::DialogRun(const TransferOptions& options, RunEnvironment env)
    : view_(std::make_unique<View>(dialog_, loop_)) {
    if (!env.keyboard) {
        // Read here, on the window system's thread, for the run to take at its start.
        const Keyboard keys = keyboard_now();
        env.keyboard = [keys] { return keys; };
    }
    run_ = std::make_unique<TransferRun>(options, std::move(env), *view_);
    dialog_.on_cancel = [this] { run_->cancel_flag().store(true); };
}

DialogRun::~DialogRun() = default;

int DialogRun::exec() {
    dialog_.show();
    int status = 1;
    std::thread worker([&] { status = run_->run(); });
    loop_.exec();
    worker.join();
    return status;
}

void show_no_files_box() {
    ui::show_box(nullptr, ui::Box(QString::fromUtf8(text::kCaption), QString::fromUtf8(text::kNoFiles),
                                  ui::BoxIcon::information));
}

int run_with_window(int argc, char** argv, const TransferOptions& options, RunEnvironment env) {
    QApplication app(argc, argv);
    if (options.files.empty()) {
        show_no_files_box();
        return 2;
    }
    env.error_pause_ms = kErrorPauseMs;
    DialogRun run(options, std::move(env));
    return run.exec();
}

}  // namespace lumora::lmputw
