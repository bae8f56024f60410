#pragma once
// The run with its progress dialog: the worker thread does the serial work
// and hands every status, error, progress and caption to the dialog, waiting
// until the dialog has shown it.

#include <QEventLoop>
#include <memory>

#include "progress_dialog.h"
#include "transfer_run.h"

namespace lumora::lmputw {

class DialogRun {
  public:
    // A QApplication must exist. Unless `env` brings its own, the keyboard
    // (Shift, Ctrl) is read from the window system as the run starts.
    DialogRun(const TransferOptions& options, RunEnvironment env);
    ~DialogRun();

    ProgressDialog& dialog() { return dialog_; }

    // Shows the dialog, runs the transfer on a worker thread and the event
    // loop until it is done; the exit status of the run.
    int exec();

  private:
    class View;
    QEventLoop loop_;
    ProgressDialog dialog_;
    std::unique_ptr<View> view_;
    std::unique_ptr<TransferRun> run_;
};

// The information box shown when no file was given.
void show_no_files_box();

// The whole windowed program: the no-files box (status 2) or the dialog run.
int run_with_window(int argc, char** argv, const TransferOptions& options, RunEnvironment env);

}  // namespace lumora::lmputw
