#include "folder_browser.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStorageInfo>

#include "folder_listing.h"

namespace lumora::launchers {

namespace {
const char* const kUp = "..";
}

FolderBrowser::FolderBrowser(FileFilter filter, QWidget* parent)
    : QWidget(parent), filter_(std::move(filter)) {
    drives_ = new QComboBox(this);
    drives_->setObjectName("driveList");
    folder_path_ = new QLabel(this);
    folder_path_->setObjectName("folderPath");
    folders_ = new QListWidget(this);
    folders_->setObjectName("folderList");
    files_ = new QListWidget(this);
    files_->setObjectName("fileList");

    auto* drive_label = new QLabel(QString::fromUtf8("ドライブ(&D)"), this);
    drive_label->setBuddy(drives_);
    auto* folder_label = new QLabel(QString::fromUtf8("フォルダ(&F)"), this);
    folder_label->setBuddy(folders_);
    auto* file_label = new QLabel(QString::fromUtf8("ファイル(&L)"), this);
    file_label->setBuddy(files_);
    // Lists do not take their names from their labels by themselves.
    for (QLabel* label : {drive_label, folder_label, file_label})
        label->buddy()->setAccessibleName(label->text().remove('&'));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(drive_label, 0, 0);
    grid->addWidget(drives_, 1, 0);
    grid->addWidget(folder_label, 2, 0);
    grid->addWidget(folder_path_, 3, 0);
    grid->addWidget(folders_, 4, 0);
    grid->addWidget(file_label, 0, 1);
    grid->addWidget(files_, 1, 1, 4, 1);
    grid->setRowStretch(4, 1);

    fill_drives();
    connect(drives_, &QComboBox::activated, this, &FolderBrowser::on_drive);
    connect(folders_, &QListWidget::itemActivated, this, &FolderBrowser::on_folder_activated);
    connect(files_, &QListWidget::currentItemChanged, this, [this] { emit file_chosen(); });
    connect(files_, &QListWidget::itemActivated, this, [this] { emit file_activated(); });
}

void FolderBrowser::fill_drives() {
    // The host has no drive letters; its mounted volumes stand in for them.
    QStringList roots{"/"};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    }
    drives_->addItems(roots);
}

void FolderBrowser::on_drive(int index) {
    if (index >= 0) set_folder(drives_->itemText(index).toStdString());
}

void FolderBrowser::on_folder_activated(QListWidgetItem* item) {
    if (!item) return;
    const std::string name = item->text().toStdString();
    set_folder(name == kUp ? parent_folder(folder_) : (folder_ == "/" ? "/" + name : folder_ + "/" + name));
}

void FolderBrowser::set_folder(const std::string& folder) {
    folder_ = folder;
    folder_path_->setText(QString::fromStdString(folder));
    {
        const QSignalBlocker quiet(folders_);
        folders_->clear();
        if (parent_folder(folder) != folder) folders_->addItem(kUp);
        for (const auto& name : sub_folders(folder)) folders_->addItem(QString::fromStdString(name));
        folders_->setCurrentRow(0);
    }
    {
        const QSignalBlocker quiet(files_);
        files_->clear();
        for (const auto& name : filter_(folder)) files_->addItem(QString::fromStdString(name));
    }
    // The drive list follows the folder: the longest volume root it lies under.
    int best = -1, best_length = -1;
    for (int i = 0; i < drives_->count(); ++i) {
        const std::string root = drives_->itemText(i).toStdString();
        const bool under = folder == root || folder.rfind(root == "/" ? root : root + "/", 0) == 0;
        if (under && static_cast<int>(root.size()) > best_length) {
            best = i;
            best_length = static_cast<int>(root.size());
        }
    }
    if (best >= 0) {
        const QSignalBlocker quiet(drives_);
        drives_->setCurrentIndex(best);
    }
    emit folder_changed();
    emit file_chosen();
}

std::string FolderBrowser::file() const {
    const QListWidgetItem* item = files_->currentItem();
    return item && item->isSelected() ? item->text().toStdString() : std::string();
}

bool FolderBrowser::select_file(const std::string& name) {
    const auto found = files_->findItems(QString::fromStdString(name), Qt::MatchExactly);
    if (found.isEmpty()) return false;
    files_->setCurrentItem(found.front());
    return true;
}

}  // namespace lumora::launchers
