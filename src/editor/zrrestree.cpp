#include "editor/zrrestree.h"

#include <algorithm>

namespace pk {

int TreeNode::ShownImage() const {
    if (IsRoot())
        return expanded ? kImageRootOpen : kImageRoot;
    if (hasChildren)
        return expanded ? kImageGroupOpen : kImageGroup;
    return imageIndex;
}

TreeNode* ResourceTree::AddRoot(const std::string& label) {
    auto node = std::make_unique<TreeNode>();
    node->label = label;
    node->imageIndex = kImageRoot;
    node->hasChildren = true;
    roots_.push_back(std::move(node));
    return roots_.back().get();
}

TreeNode* ResourceTree::AddChild(TreeNode* parent, const std::string& label) {
    auto node = std::make_unique<TreeNode>();
    node->label = label;
    node->parent = parent;
    parent->children.push_back(std::move(node));
    return parent->children.back().get();
}

void ResourceTree::Forget(TreeNode* node) {
    for (auto& child : node->children) Forget(child.get());
    if (selected == node)
        selected = nullptr;
    if (onRemove)
        onRemove(node);
}

void ResourceTree::Remove(TreeNode* node) {
    if (!node)
        return;
    Forget(node);
    auto& siblings = node->parent ? node->parent->children : roots_;
    auto it = std::find_if(siblings.begin(), siblings.end(),
                           [&](const auto& p) { return p.get() == node; });
    if (it != siblings.end())
        siblings.erase(it);
}

void ResourceTree::Clear() {
    while (!roots_.empty()) Remove(roots_.back().get());
    selected = nullptr;
}

namespace {

void Walk(TreeNode* node, const std::function<void(TreeNode*)>& visit) {
    visit(node);
    for (auto& child : node->children) Walk(child.get(), visit);
}

}  // namespace

void ResourceTree::ForEach(const std::function<void(TreeNode*)>& visit) const {
    for (auto& root : roots_) Walk(root.get(), visit);
}

int ResourceTree::AbsoluteIndex(const TreeNode* node) const {
    int index = 0, found = -1;
    ForEach([&](TreeNode* n) {
        if (n == node)
            found = index;
        ++index;
    });
    return found;
}

TreeNode* ResourceTree::NodeAt(int index) const {
    int i = 0;
    TreeNode* found = nullptr;
    ForEach([&](TreeNode* n) {
        if (i++ == index)
            found = n;
    });
    return found;
}

bool ResourceTree::IsBelow(const TreeNode* node, const TreeNode* ancestor) {
    for (const TreeNode* p = node ? node->parent : nullptr; p; p = p->parent)
        if (p == ancestor)
            return true;
    return false;
}

}  // namespace pk
