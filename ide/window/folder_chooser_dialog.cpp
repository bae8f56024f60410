#include "ide/window/folder_chooser_dialog.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ide/window/dialog_parts.h"

namespace lumora::ide {

namespace {
constexpr int kNodeRole = Qt::UserRole + 1;
}

FolderChooserDialog::FolderChooserDialog(FolderSource& source, QWidget* parent)
    : QDialog(parent), model_(source) {
    prepare_dialog(*this, QStringLiteral("ﾌｫﾙﾀﾞの選択"), "folder_chooser");
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("ﾌｫﾙﾀﾞを選択してください"));
    tree_ = new QTreeWidget;
    tree_->setObjectName("folder_tree");
    tree_->setHeaderHidden(true);
    tree_->setAccessibleName(label->text());
    label->setBuddy(tree_);
    layout->addWidget(label);
    layout->addWidget(tree_);
    layout->addWidget(add_ok_cancel(*this));

    model_.load();
    filling_ = true;
    for (int root : model_.roots()) {
        QTreeWidgetItem* item = add_item(nullptr, root);
        fill_children(item);
        item->setExpanded(model_.node(root).expanded);
    }
    filling_ = false;
    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (filling_) return;
        model_.expand(item->data(0, kNodeRole).toInt());
        filling_ = true;
        for (int i = 0; i < item->childCount(); ++i) fill_children(item->child(i));
        filling_ = false;
    });
    connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (filling_) return;
        model_.collapse(item->data(0, kNodeRole).toInt());
        filling_ = true;
        for (int i = 0; i < item->childCount(); ++i) fill_children(item->child(i));
        filling_ = false;
    });
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item) model_.select(item->data(0, kNodeRole).toInt());
    });
    if (tree_->topLevelItemCount() > 0) tree_->setCurrentItem(tree_->topLevelItem(0));
    resize(360, 420);
}

QTreeWidgetItem* FolderChooserDialog::add_item(QTreeWidgetItem* parent, int id) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
    item->setText(0, QString::fromStdString(model_.node(id).label));
    item->setData(0, kNodeRole, id);
    return item;
}

// Mirrors the model's children of `item` (loaded or dropped).
void FolderChooserDialog::fill_children(QTreeWidgetItem* item) {
    const int id = item->data(0, kNodeRole).toInt();
    const auto& children = model_.node(id).children;
    bool same = item->childCount() == static_cast<int>(children.size());
    for (int i = 0; same && i < item->childCount(); ++i)
        same = item->child(i)->data(0, kNodeRole).toInt() == children[static_cast<size_t>(i)];
    if (!same) {
        qDeleteAll(item->takeChildren());
        for (int c : children) add_item(item, c);
    }
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        const int cid = child->data(0, kNodeRole).toInt();
        if (model_.node(cid).expanded) fill_children(child);
        const auto& grand = model_.node(cid).children;
        if (child->childCount() != static_cast<int>(grand.size())) {
            qDeleteAll(child->takeChildren());
            for (int g : grand) add_item(child, g);
        }
    }
}

void FolderChooserDialog::select_node(int id) {
    QTreeWidgetItemIterator it(tree_);
    while (*it) {
        if ((*it)->data(0, kNodeRole).toInt() == id) {
            tree_->setCurrentItem(*it);
            break;
        }
        ++it;
    }
    model_.select(id);
}

std::string FolderChooserDialog::chosen_path() const {
    return model_.selected() < 0 ? std::string() : model_.path_of(model_.selected());
}

}  // namespace lumora::ide
