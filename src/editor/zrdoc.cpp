#include "editor/zrdoc.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "core/zrmisc.h"
#include "klb/klblookup.h"

namespace pk {

namespace {

bool StartsWithText(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

// A reference library's root: its file name without folder and extension,
// lower case with a capital first letter.
std::string ReferenceRootLabel(const std::filesystem::path& file) {
    std::string label = LowerCase(file.stem().string());
    if (!label.empty())
        label[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(label[0])));
    return label;
}

}  // namespace

int KindImage(KlbKind kind) {
    switch (kind) {
        case KlbKind::Music:
            return kImageMusic;
        case KlbKind::Main:
            return kImageMain;
        case KlbKind::Detail:
            return kImageDetail;
        case KlbKind::Sound:
            return kImageSound;
        case KlbKind::Group:
            return kImageGroup;
        case KlbKind::Skin:
            return kImageSkin;
    }
    return kImageOther;
}

KledDoc::KledDoc(std::filesystem::path programFolder, KledDocHost* host)
    : programFolder_(std::move(programFolder)), host_(host ? host : &defaultHost_) {
    tree_.onRemove = [this](TreeNode* node) {
        if (anchor_ == node)
            anchor_ = nullptr;
        if (node->entry)
            node->entry->node = nullptr;
    };
    caption_ = kEditorCaption;
}

KledDoc::~KledDoc() {
    tree_.onRemove = nullptr;
}

TZRC* KledDoc::Append(std::unique_ptr<TZRC> entry) {
    list_.push_back(std::move(entry));
    return list_.back().get();
}

std::unique_ptr<TZRC> KledDoc::TakeEntry(const TZRC* entry) {
    auto it =
        std::find_if(list_.begin(), list_.end(), [&](const auto& e) { return e.get() == entry; });
    if (it == list_.end())
        return nullptr;
    std::unique_ptr<TZRC> taken = std::move(*it);
    list_.erase(it);
    return taken;
}

void KledDoc::SetCaption(const std::string& caption) {
    caption_ = caption;
    host().CaptionChanged(caption_);
}

// ---- Tree --------------------------------------------------------------

TreeNode* KledDoc::ResourceTreeRoot(const std::string& label) {
    tree_.selected = nullptr;
    TreeNode* root = tree_.AddRoot(label);
    BuildResourceTree(nullptr, root);
    if (TreeNode* first = tree_.FirstRoot())
        first->expanded = true;
    host().TreeChanged();
    return root;
}

void KledDoc::BuildResourceTree(TZRC* group, TreeNode* parent) {
    std::string path;
    TreeNode* current = parent;
    if (group) {
        path = group->entry.groupPath + group->name() + kGroupSeparator;
        current = tree_.AddChild(parent, group->name());
        current->entry = group;
        current->imageIndex = kImageGroup;
        current->hasChildren = true;
        group->entry.groupPath.clear();
        group->node = current;
    }
    // By index: the list does not change here, and a group's contents come
    // right after it.
    for (size_t i = 0; i < list_.size(); ++i) {
        TZRC* e = list_[i].get();
        if (e->node || !SameText(e->entry.groupPath, path))
            continue;
        if (e->kind() == KlbKind::Group) {
            BuildResourceTree(e, current);
            continue;
        }
        TreeNode* node = tree_.AddChild(current, e->name());
        node->entry = e;
        node->imageIndex = KindImage(e->kind());
        e->entry.groupPath.clear();
        e->node = node;
    }
}

void KledDoc::RebuildEntryList() {
    std::unordered_map<TZRC*, size_t> at;
    for (size_t i = 0; i < list_.size(); ++i) at[list_[i].get()] = i;
    std::vector<std::unique_ptr<TZRC>> rebuilt;
    tree_.ForEach([&](TreeNode* node) {
        if (node->IsRoot() || !node->entry)
            return;
        auto it = at.find(node->entry);
        if (it != at.end() && list_[it->second])
            rebuilt.push_back(std::move(list_[it->second]));
    });
    // Entries without a node (their group path named no group) go here.
    list_ = std::move(rebuilt);
}

std::string KledDoc::NodeGroupPath(const TreeNode* node, char separator) {
    std::string path;
    for (const TreeNode* p = node ? node->parent : nullptr; p && !p->IsRoot(); p = p->parent)
        path = p->label + separator + path;
    return path;
}

TZRC* KledDoc::FindEntryByName(std::string_view name, std::string_view themeId) const {
    for (const auto& e : list_)
        if (SameText(e->name(), name) &&
            (themeId.empty() || ThemeIdMatches(themeId, e->entry.themeIdList)))
            return e.get();
    return nullptr;
}

TreeNode* KledDoc::FindGroupNode(std::string_view name, const TreeNode* parent,
                                 const TreeNode* ignore) const {
    for (const auto& e : list_)
        if (e->kind() == KlbKind::Group && e->node && e->node->parent == parent &&
            e->node != ignore && SameText(e->name(), name))
            return e->node;
    return nullptr;
}

int KledDoc::CopySuffixNumber(std::string_view base, std::string_view name) {
    if (!StartsWithText(name, base))
        return -1;
    // One separator after the base is passed over.
    std::string_view rest = name.size() > base.size() + 1 ? name.substr(base.size() + 1) : "";
    if (!StartsWithText(rest, "copy"))
        return 0;
    std::string_view number = rest.substr(4);
    if (auto n = ParseInt(number))
        return *n;
    return number.empty() ? 1 : 0;
}

std::string KledDoc::UniqueName(const TreeNode* parent, std::string_view name) const {
    std::string base(name);
    const size_t blank = name.find_last_of(' ');
    std::string_view last = blank == std::string_view::npos ? name : name.substr(blank + 1);
    const bool copyWord = StartsWithText(last, "copy") &&
                          (last.size() == 4 || std::isdigit(static_cast<unsigned char>(last[4])));
    // A name that is only "copy" keeps it as its base: a name is never empty.
    if (copyWord && blank != std::string_view::npos && blank > 0)
        base = std::string(name.substr(0, blank));
    int most = -1;
    if (parent)
        for (const auto& child : parent->children)
            if (child->hasChildren)
                most = std::max(most, CopySuffixNumber(base, child->label));
    if (most < 0)
        return base;
    if (most == 0)
        return base + " copy";
    return base + " copy" + std::to_string(static_cast<int64_t>(most) + 1);
}

bool KledDoc::IsEditableNode(const TreeNode* node) const {
    if (!node)
        return false;
    if (node->entry)
        return !node->entry->IsReference;
    if (node->IsRoot())
        return node == tree_.FirstRoot();
    return ResourceTree::IsBelow(node, tree_.FirstRoot());
}

std::vector<TZRC*> KledDoc::MainBitmaps(bool withReferences) const {
    std::vector<TZRC*> out;
    for (const auto& e : list_)
        if (e->kind() == KlbKind::Main && (withReferences || !e->IsReference))
            out.push_back(e.get());
    return out;
}

TZRC* KledDoc::SelectedEntry() const {
    return tree_.selected ? tree_.selected->entry : nullptr;
}

void KledDoc::ResetTheme(bool referencesOnly) {
    std::vector<std::unique_ptr<TZRC>> kept;
    for (auto& e : list_) {
        if (referencesOnly && !e->IsReference) {
            kept.push_back(std::move(e));
            continue;
        }
        if (e->node)
            e->node->entry = nullptr;
    }
    list_ = std::move(kept);
    if (!referencesOnly) {
        currentFile_.clear();
        partlyRead_.clear();
        savedState_.clear();
        host().ReleasePreviews();
        DeleteTemporaryFiles();
        SetCaption(kEditorCaption);
        tree_.Clear();
    } else {
        // Every reference root goes, also one whose entries all sat in
        // groups or that held none, so roots do not pile up.
        while (tree_.Roots().size() > 1) tree_.Remove(tree_.Roots().back().get());
    }
    host().TreeChanged();
}

bool KledDoc::LoadLibrary(const std::filesystem::path& file, bool isReference) {
    std::vector<KlbEditEntry> read;
    KlbResult result =
        pk::LoadThemeLibrary(file, read, isReference, programFolder_, host().BusyPanel());
    for (KlbEditEntry& le : read) {
        auto e = std::make_unique<TZRC>();
        static_cast<KlbEditEntry&>(*e) = std::move(le);
        list_.push_back(std::move(e));
    }
    if (!result.ok()) {
        host().ShowMessage(result.message);
        // What was read before the damage stays in the list; the edited
        // theme still gets its root so that it can be saved or reset.
        if (isReference)
            return false;
    }
    ResourceTreeRoot(isReference ? ReferenceRootLabel(file) : kCurrentThemeLabel);
    return result.ok();
}

// ---- Tree events ---------------------------------------------------------

void KledDoc::UnmarkAll() {
    tree_.ForEach([](TreeNode* n) { n->SetMarked(false); });
}

void KledDoc::Select(TreeNode* node, bool shift, bool ctrl) {
    if (node != tree_.selected) {
        SelectionChanging(node, shift, ctrl);
        tree_.selected = node;
    }
    MarkClicked(node, shift, ctrl);
    host().TreeChanged();
    host().RefreshPage();
}

void KledDoc::SelectionChanging(TreeNode* node, bool shift, bool ctrl) {
    anchor_ = tree_.selected;
    if (!shift && !ctrl) {
        UnmarkAll();
        if (node)
            node->SetMarked(true);
    }
}

void KledDoc::MarkClicked(TreeNode* node, bool shift, bool ctrl) {
    if (!node)
        return;
    if (ctrl) {
        node->SetMarked(!node->Marked());
    } else if (shift && anchor_) {
        int from = tree_.AbsoluteIndex(anchor_), to = tree_.AbsoluteIndex(node);
        if (from > to)
            std::swap(from, to);
        for (int i = from + 1; i < to; ++i)
            if (TreeNode* n = tree_.NodeAt(i))
                n->SetMarked(!n->Marked());
        node->SetMarked(!node->Marked());
    }
}

std::vector<TZRC*> KledDoc::MarkedEntries(KlbKind kind) const {
    std::vector<TZRC*> out;
    const TZRC* selected = SelectedEntry();
    for (const auto& e : list_)
        if (e->node && e->node->Marked() && e->node->children.empty() && e->kind() == kind &&
            e.get() != selected)
            out.push_back(e.get());
    return out;
}

bool KledDoc::CanEditLabel(const TreeNode* node) const {
    return node && !node->IsRoot() && IsEditableNode(node);
}

bool KledDoc::RenameNode(TreeNode* node, const std::string& label) {
    if (!CanEditLabel(node) || !node->entry)
        return false;
    // An empty name is dropped on reading and would orphan a group's
    // contents; "|" would split a group path.
    bool ok = !label.empty() && label.size() <= kMaxLabelLength;
    if (ok && node->entry->kind() == KlbKind::Group)
        ok = label.find(kGroupSeparator) == std::string::npos &&
             !FindGroupNode(label, node->parent, node);
    if (ok) {
        node->label = label;
        node->entry->entry.name = label;
    }
    host().TreeChanged();
    return ok;
}

}  // namespace pk
