#pragma once
// The window of sonix2 and pixtil2: the folder browser, "Convert" and
// "Exit", the result label and, for pictures, the picture box. What differs
// between the two comes in as a FrontendKind.

#include <QWidget>

#include "convert_run.h"
#include "frontend_kind.h"
#include "tool_runner.h"

class QLabel;
class QPushButton;

namespace lumora::launchers {
class FolderBrowser;
}

namespace lumora::frontend {

class SoundPreview;

class FrontendWindow : public QWidget {
    Q_OBJECT
  public:
    // `sound` plays the preview of a sound front-end (may be null: no sound).
    FrontendWindow(const FrontendKind& kind, FrontendPaths paths, launchers::ToolRunner& runner,
                   SoundPreview* sound, QWidget* parent = nullptr);

    launchers::FolderBrowser* browser() const { return browser_; }
    QPushButton* convert_button() const { return convert_; }
    QPushButton* exit_button() const { return exit_; }
    QLabel* result_label() const { return result_; }
    QLabel* picture_box() const { return picture_; }  // null in sonix2
    bool result_is_red() const { return red_; }

    void convert();

  signals:
    void conversion_finished();

  private:
    void preview();
    void show_result(const ConvertResult& result);
    void set_red(bool red);

    const FrontendKind& kind_;
    FrontendPaths paths_;
    launchers::ToolRunner& runner_;
    SoundPreview* sound_;
    launchers::FolderBrowser* browser_ = nullptr;
    QPushButton* convert_ = nullptr;
    QPushButton* exit_ = nullptr;
    QLabel* result_ = nullptr;
    QLabel* picture_ = nullptr;
    bool red_ = false;
};

}  // namespace lumora::frontend
