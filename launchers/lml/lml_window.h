#pragma once
// The launcher's menu-bar window: seven buttons, four menus, the settings
// frame in its lower part, and the message window beside it. Behaviour is
// in Launcher; this class turns clicks into calls and shows what it says.

#include <QMainWindow>
#include <array>
#include <memory>

#include "launcher.h"

class QAction;
class QPushButton;
class QStackedWidget;

namespace lumora::lml {

class MessageWindow;
struct ProjectFrame;
struct ModeFrame;
struct ButtonsFrame;
struct DisplayFrame;
struct ChooserFrame;

class LmlWindow : public QMainWindow, private LauncherEvents {
    Q_OBJECT
  public:
    LmlWindow(KitPaths paths, launchers::ToolRunner& runner, QWidget* parent = nullptr);
    ~LmlWindow() override;

    // Start-up: settings from "lml.ini", the window on top, "myprog", the project frame.
    void start();

    Launcher& launcher() { return launcher_; }
    MessageWindow* message_window() const { return message_; }
    QPushButton* button(int index) const { return buttons_[index]; }
    // The frame shown (-1: none).
    int shown_frame() const;
    void show_frame(int frame);
    void close_frame();
    QAction* menu_action(const QString& text) const;

    // The menu's "終了": ends at once without saving.
    void quit_without_saving();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void message_text_changed(const std::string& text) override;
    void show_message_window() override;
    void busy_changed(bool busy) override;
    void restore_height() override;

    void build_menus();
    void build_frames();
    void settings_to_controls();
    void controls_to_settings();
    void update_buttons();
    void fit_height();
    void apply_on_top(bool on_top);
    void dock_message_window();
    void project_ok();
    void fill_projects();
    void open_manual();
    void choose_program(int index);

    Launcher launcher_;
    MessageWindow* message_ = nullptr;
    std::array<QPushButton*, kButtonCount> buttons_{};
    QStackedWidget* frames_ = nullptr;
    ProjectFrame* project_ = nullptr;
    ModeFrame* mode_ = nullptr;
    ButtonsFrame* button_settings_ = nullptr;
    DisplayFrame* display_ = nullptr;
    ChooserFrame* chooser_ = nullptr;
    int choosing_for_ = -1;
    bool save_on_close_ = true;
};

// Twips (1/1440 inch) at the desktop's 96 dots per inch: 15 to a pixel.
constexpr int twips_to_pixels(int twips) {
    return twips / 15;
}
constexpr int pixels_to_twips(int pixels) {
    return pixels * 15;
}

}  // namespace lumora::lml
