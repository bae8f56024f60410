#pragma once
// The five settings frames of the launcher's main window. They hold
// controls only; the window wires them to the Launcher.

#include <QGroupBox>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace lumora::launchers {
class FolderBrowser;
}

namespace lumora::lml {

enum Frame { project_frame = 0, mode_frame, buttons_frame, display_frame, chooser_frame, frame_count };

struct ProjectFrame : QGroupBox {
    explicit ProjectFrame(QWidget* parent);
    QLineEdit* name = nullptr;
    QListWidget* projects = nullptr;
    QPushButton* ok = nullptr;
};

struct ModeFrame : QGroupBox {
    explicit ModeFrame(QWidget* parent);
    std::array<QRadioButton*, 3> modes{};  // modes 1, 2, 3
    QPushButton* set = nullptr;
};

struct ButtonsFrame : QGroupBox {
    explicit ButtonsFrame(QWidget* parent);
    std::array<QLineEdit*, 7> names{};
    std::array<QLineEdit*, 7> programs{};
    std::array<QPushButton*, 7> choose{};
    QPushButton* save = nullptr;
    QPushButton* cancel = nullptr;
};

struct DisplayFrame : QGroupBox {
    explicit DisplayFrame(QWidget* parent);
    QCheckBox* on_top = nullptr;
    QCheckBox* dock_below = nullptr;
    QComboBox* font_size = nullptr;
    QPushButton* set = nullptr;
};

struct ChooserFrame : QGroupBox {
    explicit ChooserFrame(QWidget* parent);
    launchers::FolderBrowser* browser = nullptr;
    QPushButton* set = nullptr;
    QPushButton* clear = nullptr;
    QPushButton* cancel = nullptr;
};

}  // namespace lumora::lml
