// The resource tree of the editor's main window: the document's tree shown in
// a QTreeWidget, marks and pictures per node, label editing asked per node.
// The document's tree is the master; the widget only mirrors it.
#pragma once

#include <QObject>
#include <vector>

#include "editor/zrdoc.h"

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace pk {

class TForm1;

class ResourceTreePanel : public QObject {
    Q_OBJECT
public:
    // The tree widget is made as a child of `parent`.
    ResourceTreePanel(TForm1& form, QWidget* parent);

    QTreeWidget* tree() const { return tree_; }
    // The tree item of a node; nullptr when it is not shown.
    QTreeWidgetItem* ItemOf(const TreeNode* node) const;
    TreeNode* NodeOf(QTreeWidgetItem* item) const;
    // Shows the document's tree again: rebuilt when a node moved, else each
    // item refreshed in place.
    void TreeChanged();
    // Shows the entry: its groups opened, its node selected, its page in front.
    void SelectEntry(TZRC* e);

    // The tree's events. Changing comes before the selection moves, Change
    // after it; MouseDown follows a press on a node with the keys held then.
    void maintreeChanging(QTreeWidgetItem* item);
    void maintreeChange(QTreeWidgetItem* item);
    void maintreeMouseDown(QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers);
    // Whether the node's label may be edited now; after an edit, the label
    // taken or refused.
    bool maintreeEditing(QTreeWidgetItem* item);
    void maintreeEdited(QTreeWidgetItem* item);
    // Puts the picture the node shows now, as expanded or collapsed.
    void maintreeGetImageIndex(QTreeWidgetItem* item);

private:
    void RebuildTree();
    void SyncTreeItems();
    void maintreeExpanded(QTreeWidgetItem* item, bool on);

    TForm1& form_;
    KledDoc& doc_;
    QTreeWidget* tree_ = nullptr;
    std::vector<TreeNode*> shownNodes_;
};

}  // namespace pk
