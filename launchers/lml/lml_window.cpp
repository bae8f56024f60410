#include "lml_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>
#include <filesystem>

#include "launchers/frontend/folder_browser.h"
#include "lml_frames.h"
#include "message_window.h"
#include "ui/cell_font.h"

namespace lumora::lml {

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}
QString q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 40;

}  // namespace

LmlWindow::LmlWindow(KitPaths paths, launchers::ToolRunner& runner, QWidget* parent)
    : QMainWindow(parent), launcher_(std::move(paths), runner, *this) {
    setWindowTitle("Lumora Launcher");
    setFont(ui::dialog_font());
    message_ = new MessageWindow(this);
    message_->setFont(font());

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    for (int i = 0; i < kButtonCount; ++i) {
        buttons_[i] = new QPushButton(central);
        buttons_[i]->setObjectName(QString("button%1").arg(i));
        buttons_[i]->setFixedSize(kButtonWidth, kButtonHeight);
        connect(buttons_[i], &QPushButton::clicked, this, [this, i] { launcher_.press(i); });
        row->addWidget(buttons_[i]);
    }
    column->addLayout(row);
    frames_ = new QStackedWidget(central);
    column->addWidget(frames_);
    // The window is as tall as its buttons, plus the frame while one is shown.
    column->setSizeConstraint(QLayout::SetFixedSize);
    setCentralWidget(central);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    build_menus();
    build_frames();
    frames_->hide();
    central->installEventFilter(this);
    for (auto* b : buttons_) b->installEventFilter(this);
    connect(message_, &MessageWindow::activated, this, &LmlWindow::dock_message_window);
}

LmlWindow::~LmlWindow() = default;

void LmlWindow::build_menus() {
    auto add = [this](QMenu* menu, const char* text, auto slot) {
        QAction* action = menu->addAction(u(text));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    QMenu* file = menuBar()->addMenu(u("ファイル"));
    add(file, "新規プロジェクト", [this] { show_frame(project_frame); });
    add(file, "プロジェクトを開く", [this] { show_frame(project_frame); });
    file->addSeparator();
    add(file, "転送設定ファイル(cf)の編集", [this] { launcher_.edit_description(); });
    file->addSeparator();
    add(file, "終了", [this] { quit_without_saving(); });

    QMenu* settings = menuBar()->addMenu(u("設定"));
    add(settings, "ボタン起動ファイル", [this] { show_frame(buttons_frame); });
    add(settings, "連続実行", [this] { show_frame(mode_frame); });
    add(settings, "表示", [this] { show_frame(display_frame); });

    QMenu* tools = menuBar()->addMenu(u("付属ツール"));
    add(tools, "ファイル形式変換ツール(hdrpack)", [] {});
    add(tools, "ビットマップ変換ツール (pixtil)",
        [this] { launcher_.start_program(launcher_.paths().pixtil2()); });
    add(tools, "演奏データ変換ツール (sonix)", [] {});
    add(tools, "転送ツール「Pelorix」", [this] { launcher_.start_program(launcher_.paths().pelorix()); });
    tools->addSeparator();
    add(tools, "ＤＯＳコンソール", [this] { launcher_.open_console(); });

    QMenu* help = menuBar()->addMenu(u("ヘルプ"));
    add(help, "LM取り扱い説明書(HTML)", [this] { open_manual(); });
}

void LmlWindow::build_frames() {
    project_ = new ProjectFrame(frames_);
    mode_ = new ModeFrame(frames_);
    button_settings_ = new ButtonsFrame(frames_);
    display_ = new DisplayFrame(frames_);
    chooser_ = new ChooserFrame(frames_);
    for (QWidget* frame :
         std::initializer_list<QWidget*>{project_, mode_, button_settings_, display_, chooser_})
        frames_->addWidget(frame);

    connect(project_->projects, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { project_->name->setText(item->text()); });
    connect(project_->projects, &QListWidget::currentTextChanged, this, [this](const QString& text) {
        if (!text.isEmpty()) project_->name->setText(text);
    });
    connect(project_->ok, &QPushButton::clicked, this, &LmlWindow::project_ok);
    connect(project_->name, &QLineEdit::returnPressed, this, &LmlWindow::project_ok);

    connect(mode_->set, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < 3; ++i)
            if (mode_->modes[i]->isChecked()) launcher_.settings().mode = static_cast<RunMode>(i + 1);
        close_frame();
    });

    for (int i = 0; i < kButtonCount; ++i)
        connect(button_settings_->choose[i], &QPushButton::clicked, this, [this, i] { choose_program(i); });
    connect(button_settings_->save, &QPushButton::clicked, this, [this] {
        controls_to_settings();
        std::string error;
        if (!launcher_.save_settings(error)) launcher_.report("設定を保存できません: " + error);
        launcher_.load_settings();
        settings_to_controls();
        close_frame();
    });
    connect(button_settings_->cancel, &QPushButton::clicked, this, [this] {
        launcher_.load_settings();
        settings_to_controls();
        close_frame();
    });

    connect(display_->on_top, &QCheckBox::toggled, this, [this](bool on) {
        launcher_.settings().always_on_top = on;
        apply_on_top(on);
    });
    connect(display_->dock_below, &QCheckBox::toggled, this, [this](bool on) {
        launcher_.settings().dock_below = on;
        dock_message_window();
    });
    connect(display_->set, &QPushButton::clicked, this, [this] {
        launcher_.settings().font_size = display_->font_size->currentText().toInt();
        message_->set_point_size(launcher_.settings().font_size);
        close_frame();
    });

    connect(chooser_->set, &QPushButton::clicked, this, [this] {
        const std::string file = chooser_->browser->file();
        if (choosing_for_ >= 0 && !file.empty())
            button_settings_->programs[choosing_for_]->setText(q(chooser_->browser->folder() + "/" + file));
        show_frame(buttons_frame);
    });
    connect(chooser_->browser, &launchers::FolderBrowser::file_activated, chooser_->set, &QPushButton::click);
    connect(chooser_->clear, &QPushButton::clicked, this, [this] {
        if (choosing_for_ >= 0) {
            button_settings_->programs[choosing_for_]->clear();
            button_settings_->names[choosing_for_]->clear();
        }
        show_frame(buttons_frame);
    });
    connect(chooser_->cancel, &QPushButton::clicked, this, [this] { show_frame(buttons_frame); });
}

void LmlWindow::start() {
    launcher_.load_settings();
    settings_to_controls();
    message_->set_point_size(launcher_.settings().font_size);
    const LmlSettings& s = launcher_.settings();
    message_->setGeometry(twips_to_pixels(s.message_left), twips_to_pixels(s.message_top),
                          twips_to_pixels(s.message_width), twips_to_pixels(s.message_height));
    apply_on_top(s.always_on_top);
    std::string error;
    if (!launcher_.prepare_kit(error)) launcher_.report("フォルダを作成できません: " + error);
    show_frame(project_frame);
    show();
}

void LmlWindow::settings_to_controls() {
    const LmlSettings& s = launcher_.settings();
    mode_->modes[static_cast<int>(s.mode) - 1]->setChecked(true);
    {
        const QSignalBlocker a(display_->on_top), b(display_->dock_below);
        display_->on_top->setChecked(s.always_on_top);
        display_->dock_below->setChecked(s.dock_below);
    }
    display_->font_size->setCurrentText(QString::number(s.font_size));
    for (int i = 0; i < kButtonCount; ++i) {
        button_settings_->names[i]->setText(q(s.buttons[i].name));
        button_settings_->programs[i]->setText(q(s.buttons[i].program));
        buttons_[i]->setText(q(s.buttons[i].name));
    }
}

void LmlWindow::controls_to_settings() {
    LmlSettings& s = launcher_.settings();
    for (int i = 0; i < kButtonCount; ++i) {
        s.buttons[i].name = button_settings_->names[i]->text().toStdString();
        s.buttons[i].program = button_settings_->programs[i]->text().toStdString();
    }
    const QRect geometry = message_->geometry();
    s.message_left = pixels_to_twips(geometry.x());
    s.message_top = pixels_to_twips(geometry.y());
    s.message_width = pixels_to_twips(geometry.width());
    s.message_height = pixels_to_twips(geometry.height());
}

int LmlWindow::shown_frame() const {
    return frames_->isHidden() ? -1 : frames_->currentIndex();
}

void LmlWindow::show_frame(int frame) {
    if (frame == project_frame) fill_projects();
    if (frame == buttons_frame && shown_frame() != chooser_frame) settings_to_controls();
    frames_->setCurrentIndex(frame);
    frames_->show();
    fit_height();
    update_buttons();
    if (frame == project_frame)
        project_->name->setFocus();
    else
        frames_->currentWidget()->setFocus();
}

void LmlWindow::fit_height() {
    // The stack is as tall as the frame shown, not as its tallest frame.
    for (int i = 0; i < frames_->count(); ++i) {
        const auto policy = i == frames_->currentIndex() ? QSizePolicy::Preferred : QSizePolicy::Ignored;
        frames_->widget(i)->setSizePolicy(policy, policy);
    }
    frames_->updateGeometry();
    centralWidget()->layout()->activate();
    layout()->activate();
}

void LmlWindow::close_frame() {
    frames_->hide();
    fit_height();
    update_buttons();
    dock_message_window();
}

QAction* LmlWindow::menu_action(const QString& text) const {
    for (QAction* menu : menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            if (item->text() == text) return item;
    return nullptr;
}

void LmlWindow::fill_projects() {
    project_->projects->clear();
    for (const auto& name : list_projects(launcher_.paths())) project_->projects->addItem(q(name));
}

void LmlWindow::project_ok() {
    const std::string name = project_->name->text().toStdString();
    if (launcher_.choose_project(name) != NameCheck::ok || launcher_.project() != name) {
        project_->name->clear();
        return;
    }
    close_frame();
    setWindowTitle(q(launcher_caption(name)));
    if (const QScreen* screen = this->screen()) {
        adjustSize();
        move(screen->availableGeometry().right() + 1 - frameGeometry().width(), 0);
    }
    update_buttons();
}

void LmlWindow::choose_program(int index) {
    choosing_for_ = index;
    std::string folder = launcher_.paths().tools_folder();
    const std::string current = button_settings_->programs[index]->text().toStdString();
    std::error_code error;
    if (!current.empty() &&
        std::filesystem::is_directory(std::filesystem::path(current).parent_path(), error))
        folder = std::filesystem::path(current).parent_path().string();
    else if (!std::filesystem::is_directory(folder, error))
        folder = launcher_.paths().root;
    chooser_->browser->set_folder(folder);
    show_frame(chooser_frame);
}

void LmlWindow::open_manual() {
    const std::string manual = launcher_.paths().manual();
    std::error_code error;
    if (!std::filesystem::exists(manual, error)) {
        launcher_.report("ファイルがありません: " + manual);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(q(manual)))) launcher_.report("開けません: " + manual);
}

void LmlWindow::update_buttons() {
    const ButtonContext context{launcher_.busy(), shown_frame() >= 0, !launcher_.project().empty()};
    for (int i = 0; i < kButtonCount; ++i) buttons_[i]->setEnabled(button_enabled(i, context));
}

void LmlWindow::apply_on_top(bool on_top) {
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on_top);
    if (visible) show();  // changing the flag hides the window
}

void LmlWindow::dock_message_window() {
    if (!launcher_.settings().dock_below || !message_) return;
    const QRect outer = frameGeometry();
    message_->move(outer.left(), outer.top() + outer.height());
    message_->resize(outer.width() - (message_->frameGeometry().width() - message_->width()),
                     message_->height());
}

void LmlWindow::message_text_changed(const std::string& text) {
    message_->set_text(text);
}

void LmlWindow::show_message_window() {
    message_->show_normal();
    dock_message_window();  // once shown, its frame is known
}

void LmlWindow::busy_changed(bool) {
    update_buttons();
}

void LmlWindow::restore_height() {
    // The height follows the frame: without one the window is its button row.
    if (shown_frame() < 0) fit_height();
}

void LmlWindow::quit_without_saving() {
    save_on_close_ = false;
    close();
}

void LmlWindow::closeEvent(QCloseEvent* event) {
    if (save_on_close_) {
        controls_to_settings();
        std::string error;
        if (!launcher_.save_settings(error)) std::fprintf(stderr, "lml: %s\n", error.c_str());
    }
    message_->close();
    event->accept();
}

void LmlWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    dock_message_window();
}

bool LmlWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) dock_message_window();
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace lumora::lml
