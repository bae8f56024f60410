#pragma once
// Drive list, folder list and file list in one piece, as the front-ends and
// the launcher's program chooser show them. Each list has one column (so the
// accessibility interface exposes every entry) and a label that names it.

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;

namespace lumora::launchers {

class FolderBrowser : public QWidget {
    Q_OBJECT
  public:
    // The files a folder offers (by pattern, or the programs).
    using FileFilter = std::function<std::vector<std::string>(const std::string& folder)>;

    FolderBrowser(FileFilter filter, QWidget* parent = nullptr);

    void set_folder(const std::string& folder);
    const std::string& folder() const { return folder_; }
    // The chosen file's name ("" when none is chosen).
    std::string file() const;
    bool select_file(const std::string& name);

    QComboBox* drive_list() const { return drives_; }
    QListWidget* folder_list() const { return folders_; }
    QListWidget* file_list() const { return files_; }

  signals:
    void folder_changed();
    void file_chosen();     // the current file changed (mouse or keys)
    void file_activated();  // double click or Enter on a file

  private:
    void fill_drives();
    void on_drive(int index);
    void on_folder_activated(QListWidgetItem* item);

    FileFilter filter_;
    std::string folder_;
    QComboBox* drives_ = nullptr;
    QLabel* folder_path_ = nullptr;
    QListWidget* folders_ = nullptr;
    QListWidget* files_ = nullptr;
};

}  // namespace lumora::launchers
