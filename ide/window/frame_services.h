#pragma once
// What the main frame asks of the desktop, in one place so scenario tests
// can stand in for it: modal dialogs, file dialogs, beeps and the port.

#include <QDialog>
#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

namespace lumora::devlink {
struct IdeTimeouts;
}

namespace lumora::ide {

struct FrameServices {
    // Runs a modal dialog of the IDE. Tests fill the dialog and accept it
    // here instead of running a nested event loop.
    std::function<int(QDialog&)> exec_dialog = [](QDialog& dialog) { return dialog.exec(); };
    // Several files to open (add files), one file to open, with a filter in
    // Qt's "Name (*.x);;Name (*.y)" form. Empty when cancelled.
    std::function<QStringList(QWidget*, const QString& caption, const QString& folder, const QString& filter)>
        open_files =
            [](QWidget* parent, const QString& caption, const QString& folder, const QString& filter) {
                return QFileDialog::getOpenFileNames(parent, caption, folder, filter);
            };
    std::function<QString(QWidget*, const QString& caption, const QString& folder, const QString& filter)>
        open_file =
            [](QWidget* parent, const QString& caption, const QString& folder, const QString& filter) {
                return QFileDialog::getOpenFileName(parent, caption, folder, filter);
            };
    // The exclamation beep of a BEL line and the closing beep of a build.
    std::function<void()> beep;
    // The console's device for COM1; empty resolves COM1 as every tool does.
    std::string com1_device;
    // Lets tests shorten the serial waits.
    std::function<void(devlink::IdeTimeouts&)> adjust_timeouts;
};

}  // namespace lumora::ide
