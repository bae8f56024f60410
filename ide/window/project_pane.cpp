#include "ide/window/project_pane.h"

#include <QHeaderView>

#include "ui/sjis_text.h"

namespace lumora::ide {

namespace {

constexpr int kHeadingRole = Qt::UserRole + 1;
constexpr int kFileRole = Qt::UserRole + 2;

}  // namespace

ProjectPane::ProjectPane(QWidget* parent) : QTreeWidget(parent) {
    setObjectName("project_tree");
    setAccessibleName(QStringLiteral("ﾌﾟﾛｼﾞｪｸﾄ"));
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (!filling_) model_.set_expanded(item->data(0, kHeadingRole).toInt(), true);
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (!filling_) model_.set_expanded(item->data(0, kHeadingRole).toInt(), false);
    });
    // itemActivated covers Enter and the double click.
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) {
        const int heading = item->data(0, kHeadingRole).toInt();
        const int file = item->data(0, kFileRole).toInt();
        if (auto ref = model_.file_of({heading, file}); ref && on_open_file) on_open_file(ref->path);
    });
    refill();
}

void ProjectPane::refill() {
    filling_ = true;
    clear();
    if (!model_.has_project()) {
        auto* item = new QTreeWidgetItem(this, QStringList{QString::fromUtf8(kTreeNoProject)});
        item->setData(0, kHeadingRole, -1);
        item->setData(0, kFileRole, -1);
        filling_ = false;
        return;
    }
    const auto& headings = model_.headings();
    for (size_t h = 0; h < headings.size(); ++h) {
        auto* top = new QTreeWidgetItem(this, QStringList{QString::fromUtf8(kTreeHeadings[h])});
        top->setData(0, kHeadingRole, static_cast<int>(h));
        top->setData(0, kFileRole, -1);
        for (size_t f = 0; f < headings[h].files.size(); ++f) {
            // Paths on this host are the file system's bytes (UTF-8).
            auto* child =
                new QTreeWidgetItem(top, QStringList{QString::fromStdString(headings[h].files[f].label)});
            child->setData(0, kHeadingRole, static_cast<int>(h));
            child->setData(0, kFileRole, static_cast<int>(f));
            child->setToolTip(0, QString::fromStdString(headings[h].files[f].path));
        }
        top->setExpanded(headings[h].expanded);
    }
    filling_ = false;
}

std::optional<ProjectTreeModel::FileRef> ProjectPane::selected_file() const {
    const QTreeWidgetItem* item = currentItem();
    if (!item || !item->isSelected()) return std::nullopt;
    return model_.file_of({item->data(0, kHeadingRole).toInt(), item->data(0, kFileRole).toInt()});
}

}  // namespace lumora::ide
