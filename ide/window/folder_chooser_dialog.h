#pragma once
// "ﾌｫﾙﾀﾞの選択": a tree of the roots and their folders.

#include <QDialog>
#include <QTreeWidget>
#include <string>

#include "ide/window/folder_tree_model.h"

namespace lumora::ide {

class FolderChooserDialog : public QDialog {
    Q_OBJECT
  public:
    explicit FolderChooserDialog(FolderSource& source, QWidget* parent = nullptr);

    QTreeWidget* tree() const { return tree_; }
    FolderTreeModel& model() { return model_; }
    // Selects the node (tests, keyboard).
    void select_node(int id);
    // The chosen folder, ending in "/".
    std::string chosen_path() const;

  private:
    QTreeWidgetItem* add_item(QTreeWidgetItem* parent, int id);
    void fill_children(QTreeWidgetItem* item);

    FolderTreeModel model_;
    QTreeWidget* tree_;
    bool filling_ = false;
};

}  // namespace lumora::ide
