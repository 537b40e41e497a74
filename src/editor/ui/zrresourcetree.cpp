#include "editor/ui/zrresourcetree.h"

#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <functional>
#include <map>

#include "editor/ui/zrform1.h"
#include "platform/cp1252.h"

namespace pk {

namespace {

// The tree's pictures, drawn here: one colour per image number, a dark
// corner for the mark.
QIcon TreeIcon(int image, bool marked) {
    static std::map<std::pair<int, bool>, QIcon> cache;
    auto key = std::make_pair(image, marked);
    if (auto it = cache.find(key); it != cache.end())
        return it->second;
    static const std::map<int, QColor> colours = {
        {kImageGroup, QColor(230, 200, 80)},    {kImageGroupOpen, QColor(250, 220, 120)},
        {kImageMain, QColor(70, 130, 200)},     {kImageDetail, QColor(120, 90, 200)},
        {kImageMusic, QColor(200, 80, 120)},    {kImageSound, QColor(60, 170, 90)},
        {kImageSkin, QColor(220, 130, 50)},     {kImageRoot, QColor(120, 120, 120)},
        {kImageRootOpen, QColor(160, 160, 160)}};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    auto it = colours.find(image);
    p.fillRect(2, 2, 12, 12, it != colours.end() ? it->second : QColor(200, 200, 200));
    p.setPen(Qt::black);
    p.drawRect(2, 2, 11, 11);
    if (marked)
        p.fillRect(9, 9, 7, 7, QColor(200, 0, 0));
    p.end();
    return cache[key] = QIcon(pixmap);
}

// Label editing asks the panel first: an editor only for the nodes it allows.
class TreeLabelDelegate : public QStyledItemDelegate {
public:
    TreeLabelDelegate(ResourceTreePanel* panel, QObject* parent)
        : QStyledItemDelegate(parent), panel_(panel) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QTreeWidgetItem* item = nullptr;
        const auto* node =
            reinterpret_cast<const TreeNode*>(index.data(Qt::UserRole).value<quintptr>());
        if (node)
            item = panel_->ItemOf(node);
        if (!item || !panel_->maintreeEditing(item))
            return nullptr;
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

private:
    ResourceTreePanel* panel_;
};

}  // namespace

ResourceTreePanel::ResourceTreePanel(TForm1& form, QWidget* parent)
    : QObject(&form), form_(form), doc_(form.doc()) {
    setObjectName("resourcetree");
    tree_ = new QTreeWidget(parent);
    tree_->setObjectName("maintree");
    tree_->setHeaderHidden(true);
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    tree_->setItemDelegate(new TreeLabelDelegate(this, tree_));
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        maintreeChanging(item);
        maintreeChange(item);
    });
    connect(tree_, &QTreeWidget::itemPressed, this, [this](QTreeWidgetItem* item) {
        maintreeMouseDown(item, QApplication::keyboardModifiers());
    });
    connect(tree_, &QTreeWidget::itemChanged, this, &ResourceTreePanel::maintreeEdited);
    connect(tree_, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { maintreeExpanded(item, true); });
    connect(tree_, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { maintreeExpanded(item, false); });
}

QTreeWidgetItem* ResourceTreePanel::ItemOf(const TreeNode* node) const {
    for (size_t i = 0; i < shownNodes_.size(); ++i)
        if (shownNodes_[i] == node) {
            int index = 0;
            QTreeWidgetItem* found = nullptr;
            std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
                if (index++ == static_cast<int>(i))
                    found = item;
                for (int c = 0; c < item->childCount() && !found; ++c) walk(item->child(c));
            };
            for (int r = 0; r < tree_->topLevelItemCount() && !found; ++r)
                walk(tree_->topLevelItem(r));
            return found;
        }
    return nullptr;
}

TreeNode* ResourceTreePanel::NodeOf(QTreeWidgetItem* item) const {
    return item ? reinterpret_cast<TreeNode*>(item->data(0, Qt::UserRole).value<quintptr>())
                : nullptr;
}

void ResourceTreePanel::TreeChanged() {
    // Each node with its parent, not the order alone: a leaf moved from the end of a group into
    // the group's parent keeps its place in the order but changes its parent.
    std::vector<std::pair<const TreeNode*, const TreeNode*>> wanted, shown;
    doc_.tree().ForEach([&](TreeNode* n) { wanted.emplace_back(n, n->parent); });
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
        shown.emplace_back(NodeOf(item), NodeOf(item->parent()));
        for (int c = 0; c < item->childCount(); ++c) walk(item->child(c));
    };
    for (int r = 0; r < tree_->topLevelItemCount(); ++r) walk(tree_->topLevelItem(r));
    if (wanted == shown)
        SyncTreeItems();
    else
        RebuildTree();
}

void ResourceTreePanel::SelectEntry(TZRC* e) {
    if (!e || !e->node)
        return;
    for (TreeNode* p = e->node->parent; p; p = p->parent) p->expanded = true;
    doc_.Select(e->node);
    if (auto page = PageOfKind(e->kind()))
        form_.mainpagecontrol()->setCurrentIndex(*page);
    form_.RefreshResourcePage();
}

void ResourceTreePanel::RebuildTree() {
    tree_->blockSignals(true);
    tree_->clear();
    shownNodes_.clear();
    std::function<void(TreeNode*, QTreeWidgetItem*)> add = [&](TreeNode* node,
                                                               QTreeWidgetItem* parent) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
        item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
        shownNodes_.push_back(node);
        for (auto& child : node->children) add(child.get(), item);
    };
    for (auto& root : doc_.tree().Roots()) add(root.get(), nullptr);
    tree_->blockSignals(false);
    SyncTreeItems();
}

void ResourceTreePanel::SyncTreeItems() {
    tree_->blockSignals(true);
    std::function<void(QTreeWidgetItem*)> sync = [&](QTreeWidgetItem* item) {
        TreeNode* node = NodeOf(item);
        item->setText(0, Cp1252ToQString(node->label));
        // Every label may start an edit; maintreeEditing decides each time.
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        item->setChildIndicatorPolicy(node->hasChildren ? QTreeWidgetItem::ShowIndicator
                                                        : QTreeWidgetItem::DontShowIndicator);
        item->setExpanded(node->expanded);
        maintreeGetImageIndex(item);
        if (node == doc_.tree().selected && tree_->currentItem() != item)
            tree_->setCurrentItem(item);
        for (int c = 0; c < item->childCount(); ++c) sync(item->child(c));
    };
    for (int r = 0; r < tree_->topLevelItemCount(); ++r) sync(tree_->topLevelItem(r));
    if (!doc_.tree().selected)
        tree_->setCurrentItem(nullptr);
    tree_->blockSignals(false);
}

void ResourceTreePanel::maintreeGetImageIndex(QTreeWidgetItem* item) {
    TreeNode* node = NodeOf(item);
    if (!node)
        return;
    const QSignalBlocker block(tree_);
    item->setIcon(0, TreeIcon(node->ShownImage(), node->Marked()));
}

void ResourceTreePanel::maintreeExpanded(QTreeWidgetItem* item, bool on) {
    if (TreeNode* node = NodeOf(item)) {
        node->expanded = on;
        maintreeGetImageIndex(item);
    }
}

void ResourceTreePanel::maintreeChanging(QTreeWidgetItem* item) {
    TreeNode* node = NodeOf(item);
    if (node == doc_.tree().selected)
        return;
    const Qt::KeyboardModifiers mods = QApplication::keyboardModifiers();
    doc_.SelectionChanging(node, mods & Qt::ShiftModifier, mods & Qt::ControlModifier);
    doc_.tree().selected = node;
}

void ResourceTreePanel::maintreeChange(QTreeWidgetItem* item) {
    SyncTreeItems();
    form_.RefreshResourcePage();
    // The page of the entry's kind; groups and roots leave the page alone.
    TreeNode* node = NodeOf(item);
    if (node && node->entry)
        if (auto page = PageOfKind(node->entry->kind()))
            form_.mainpagecontrol()->setCurrentIndex(*page);
    form_.pages().FormResize();
}

void ResourceTreePanel::maintreeMouseDown(QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers) {
    TreeNode* node = NodeOf(item);
    const bool shift = modifiers & Qt::ShiftModifier, ctrl = modifiers & Qt::ControlModifier;
    if (!node || (!shift && !ctrl))
        return;
    doc_.MarkClicked(node, shift, ctrl);
    SyncTreeItems();
}

bool ResourceTreePanel::maintreeEditing(QTreeWidgetItem* item) {
    return doc_.CanEditLabel(NodeOf(item));
}

void ResourceTreePanel::maintreeEdited(QTreeWidgetItem* item) {
    TreeNode* node = NodeOf(item);
    if (!node || QStringToCp1252(item->text(0)) == node->label)
        return;
    // A refused label comes back through the tree's refresh.
    doc_.RenameNode(node, QStringToCp1252(item->text(0)));
    SyncTreeItems();
    form_.referencesPanel().FillCombo();
    form_.RefreshResourcePage();
}

}  // namespace pk
