// The resource tree as a plain structure: the editor's window shows it, the
// document changes it. Top-level nodes (roots) carry no entry: the first is
// the edited theme, each further one a reference library. Every other node
// carries its entry.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pk {

inline namespace editor {
struct TZRC;
}

// Image numbers of the tree's pictures.
enum TreeImage : int {
    kImageGroup = 0,
    kImageGroupOpen = 1,
    kImageMain = 2,
    kImageDetail = 3,
    kImageMusic = 4,
    kImageSound = 5,
    kImageSkin = 6,
    kImageOther = 9,
    kImageRoot = 11,
    kImageRootOpen = 12,
};

struct TreeNode {
    std::string label;
    TZRC* entry = nullptr;
    TreeNode* parent = nullptr;
    std::vector<std::unique_ptr<TreeNode>> children;
    bool hasChildren = false;  // groups and roots, even when empty
    int imageIndex = kImageOther;
    int overlayIndex = -1;  // 0: marked
    bool expanded = false;

    bool IsRoot() const { return parent == nullptr; }
    bool Marked() const { return overlayIndex == 0; }
    void SetMarked(bool on) { overlayIndex = on ? 0 : -1; }
    // The picture the tree shows for it now.
    int ShownImage() const;
};

class ResourceTree {
public:
    TreeNode* AddRoot(const std::string& label);
    TreeNode* AddChild(TreeNode* parent, const std::string& label);
    // Removes the node with everything below it; the selection and anchors
    // inside it are cleared through `forget`.
    void Remove(TreeNode* node);
    void Clear();

    const std::vector<std::unique_ptr<TreeNode>>& Roots() const { return roots_; }
    TreeNode* FirstRoot() const { return roots_.empty() ? nullptr : roots_.front().get(); }
    // Every node in pre-order, roots included.
    void ForEach(const std::function<void(TreeNode*)>& visit) const;
    // The node's position counting every node from the first root in
    // pre-order; -1 for none.
    int AbsoluteIndex(const TreeNode* node) const;
    TreeNode* NodeAt(int index) const;
    static bool IsBelow(const TreeNode* node, const TreeNode* ancestor);

    TreeNode* selected = nullptr;
    // Told of every node that goes away, before it does.
    std::function<void(TreeNode*)> onRemove;

private:
    void Forget(TreeNode* node);
    std::vector<std::unique_ptr<TreeNode>> roots_;
};

}  // namespace pk
