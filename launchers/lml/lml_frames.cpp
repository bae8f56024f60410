#include "lml_frames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "launchers/frontend/folder_browser.h"
#include "launchers/frontend/folder_listing.h"
#include "lml_ini.h"

namespace lumora::lml {

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

}  // namespace

ProjectFrame::ProjectFrame(QWidget* parent) : QGroupBox(u("プロジェクトの設定"), parent) {
    setObjectName("projectFrame");
    name = new QLineEdit(this);
    name->setObjectName("projectName");
    auto* label = new QLabel(u("プロジェクト名"), this);
    label->setBuddy(name);
    projects = new QListWidget(this);
    projects->setObjectName("projectList");
    projects->setMaximumHeight(120);
    auto* list_label = new QLabel(u("プロジェクト一覧"), this);
    list_label->setBuddy(projects);
    projects->setAccessibleName(list_label->text());
    ok = button("OK", "projectOk", this);
    ok->setDefault(true);
    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(name, 0, 1);
    grid->addWidget(ok, 0, 2);
    grid->addWidget(list_label, 1, 0, Qt::AlignTop);
    grid->addWidget(projects, 1, 1, 1, 2);
}

ModeFrame::ModeFrame(QWidget* parent) : QGroupBox(u("連続実行の設定"), parent) {
    setObjectName("modeFrame");
    const char* texts[3] = {"エミュレータで実行", "実機に転送して実行", "コンパイルのみで実行しない"};
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < 3; ++i) {
        modes[i] = new QRadioButton(u(texts[i]), this);
        modes[i]->setObjectName(QString("mode%1").arg(i + 1));
        layout->addWidget(modes[i]);
    }
    set = button(u("設定"), "modeSet", this);
    layout->addWidget(set, 0, Qt::AlignRight);
}

ButtonsFrame::ButtonsFrame(QWidget* parent) : QGroupBox(u("ボタン起動ファイルの設定"), parent) {
    setObjectName("buttonsFrame");
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < kButtonCount; ++i) {
        names[i] = new QLineEdit(this);
        names[i]->setObjectName(QString("displayName%1").arg(i));
        // Every row's label reads "表示名"; the row's button number goes to
        // the description, so a screen reader can still tell the rows apart.
        auto* label = new QLabel(u("表示名"), this);
        label->setBuddy(names[i]);
        names[i]->setAccessibleDescription(u("ボタン") + QString::number(i));
        programs[i] = new QLineEdit(this);
        programs[i]->setObjectName(QString("programPath%1").arg(i));
        programs[i]->setReadOnly(true);
        programs[i]->setAccessibleName(u("プログラム") + QString::number(i));
        programs[i]->setMinimumWidth(240);
        choose[i] = button(u("選択") + QString::number(i), "", this);
        choose[i]->setObjectName(QString("choose%1").arg(i));
        grid->addWidget(label, i, 0);
        grid->addWidget(names[i], i, 1);
        grid->addWidget(programs[i], i, 2);
        grid->addWidget(choose[i], i, 3);
    }
    save = button(u("設定保存"), "buttonsSave", this);
    cancel = button(u("キャンセル"), "buttonsCancel", this);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(save);
    row->addWidget(cancel);
    grid->addLayout(row, kButtonCount, 0, 1, 4);
}

DisplayFrame::DisplayFrame(QWidget* parent) : QGroupBox(u("表示設定"), parent) {
    setObjectName("displayFrame");
    auto* bar = new QGroupBox(u("メニューバー"), this);
    bar->setAccessibleName(bar->title());
    on_top = new QCheckBox(u("常に手前に表示"), bar);
    on_top->setObjectName("alwaysOnTop");
    (new QVBoxLayout(bar))->addWidget(on_top);
    auto* window = new QGroupBox(u("メッセージウインド"), this);
    window->setAccessibleName(window->title());
    dock_below = new QCheckBox(u("メニューバーの下に表示"), window);
    dock_below->setObjectName("dockBelow");
    font_size = new QComboBox(window);
    font_size->setObjectName("fontSize");
    for (int size = kSmallestFont; size <= kLargestFont; ++size) font_size->addItem(QString::number(size));
    font_size->setCurrentText("9");
    auto* font_label = new QLabel(u("フォントサイズ"), window);
    font_label->setBuddy(font_size);
    auto* window_layout = new QGridLayout(window);
    window_layout->addWidget(dock_below, 0, 0, 1, 2);
    window_layout->addWidget(font_label, 1, 0);
    window_layout->addWidget(font_size, 1, 1);
    set = button(u("設定"), "displaySet", this);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(bar);
    layout->addWidget(window);
    layout->addWidget(set, 0, Qt::AlignBottom);
}

ChooserFrame::ChooserFrame(QWidget* parent) : QGroupBox(u("ボタン起動ファイルの選択"), parent) {
    setObjectName("chooserFrame");
    browser = new launchers::FolderBrowser(
        [](const std::string& folder) { return launchers::program_files(folder); }, this);
    browser->setMinimumHeight(200);
    set = button(u("設　定"), "chooserSet", this);
    clear = button(u("設定解除"), "chooserClear", this);
    cancel = button("cancel", "chooserCancel", this);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(set);
    row->addWidget(clear);
    row->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser, 1);
    layout->addLayout(row);
}

}  // namespace lumora::lml
