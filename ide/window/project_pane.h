#pragma once
// The project pane: the project tree of the main frame.

#include <QTreeWidget>
#include <functional>
#include <optional>

#include "ide/window/project_tree_model.h"

namespace lumora::ide {

class ProjectPane : public QTreeWidget {
    Q_OBJECT
  public:
    explicit ProjectPane(QWidget* parent = nullptr);

    ProjectTreeModel& model() { return model_; }
    // Shows the model as it is now (after reset, show_project or rebuild).
    void refill();
    // The file item selected, if a file item is selected.
    std::optional<ProjectTreeModel::FileRef> selected_file() const;
    // Enter or double click on a file item.
    std::function<void(const std::string& path)> on_open_file;

  private:
    ProjectTreeModel model_;
    bool filling_ = false;
};

}  // namespace lumora::ide
