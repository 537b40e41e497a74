#include "editor/zrcommands.h"

#include <algorithm>
#include <system_error>

#include "core/zrmisc.h"
#include "editor/zrimaging.h"
#include "editor/zrpages.h"
#include "editor/zrpreview.h"
#include "platform/atomicfile.h"

namespace pk {

namespace {

size_t IndexInParent(const TreeNode* node) {
    const auto& siblings = node->parent->children;
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == node)
            return i;
    return siblings.size();
}

TreeNode* InsertChild(TreeNode* parent, size_t at, std::unique_ptr<TreeNode> node) {
    node->parent = parent;
    at = std::min(at, parent->children.size());
    parent->children.insert(parent->children.begin() + static_cast<std::ptrdiff_t>(at),
                            std::move(node));
    return parent->children[at].get();
}

TreeNode* NewNode(TreeNode* parent, size_t at, const std::string& label) {
    auto node = std::make_unique<TreeNode>();
    node->label = label;
    return InsertChild(parent, at, std::move(node));
}

bool IsLeaf(const TreeNode* node) {
    return node && node->entry && !node->hasChildren;
}

}  // namespace

const char* NewResourceLabel(int page) {
    static const char* const labels[] = {"Main Bitmap", "SB Detail Bitmap", "New Sound", "Music",
                                         "New Skin Bitmap"};
    return page >= 0 && page < kPageCount ? labels[page] : "";
}

const char* PageResourceName(int page) {
    static const char* const names[] = {"main bitmap", "sb detail bitmap", "sound", "music",
                                        "skin bitmap"};
    return page >= 0 && page < kPageCount ? names[page] : "";
}

FileDialogSpec LoadDialog(int page, ResourceMode, bool newResource) {
    if (page == kPageSound)
        return {false, newResource ? "Select WAV sound..." : "Load sound...", "wav",
                "Windows sound files (*.wav)|*.wav"};
    if (page == kPageMusic)
        return {false, "Load music file...", "mid",
                "Windows midi files (*.mid)|*.mid|MPEG1 Layer III files (*.mp3)|*.mp3"};
    return {false, "Load bitmap...", "bmp", "Windows bitmap files (*.bmp)|*.bmp"};
}

FileDialogSpec SaveDialog(int page) {
    if (page == kPageSound)
        return {true, "Save sound...", "wav", "Windows sound files (*.wav)|*.wav"};
    if (page == kPageMusic)
        return {true, "Save music file...", "mid",
                "Windows midi files (*.mid)|*.mid|MPEG1 Layer III files (*.mp3)|*.mp3"};
    return {true, "Save bitmap...", "bmp", "Windows bitmap files (*.bmp)|*.bmp"};
}

bool KledCommands::IsPreviewFile(const std::filesystem::path& file) const {
    // "tmp.mid", "tmp.mp3" and "tmp." + any other type the preview writes.
    if (!SameText(file.stem().string(), "tmp") || file.extension().empty())
        return false;
    std::error_code ec;
    return std::filesystem::equivalent(file.parent_path().empty() ? "." : file.parent_path(),
                                       doc_.programFolder(), ec) ||
           file.parent_path() == doc_.programFolder();
}

// ---- Tree helpers --------------------------------------------------------------

// Next to the selected node: a group or root takes it as its first child,
// anything else gets it right after itself.
TreeNode* KledCommands::PlaceNode(TreeNode* next, const std::string& label) {
    if (next->hasChildren)
        return NewNode(next, 0, label);
    return NewNode(next->parent, IndexInParent(next) + 1, label);
}

void KledCommands::Reveal(TreeNode* node) {
    for (TreeNode* p = node ? node->parent : nullptr; p; p = p->parent) p->expanded = true;
}

void KledCommands::SelectOnly(TreeNode* node) {
    doc_.UnmarkAll();
    doc_.tree().selected = node;
    if (node) {
        node->SetMarked(true);
        Reveal(node);
    }
}

void KledCommands::RemoveEntry(TZRC* e) {
    TreeNode* node = e->node;
    std::unique_ptr<TZRC> taken = doc_.TakeEntry(e);
    if (node) {
        node->entry = nullptr;
        doc_.tree().Remove(node);
    }
}

// The file a command works on: the given one (nullopt when it does not
// exist and must), or the dialog's answer, empty when cancelled.
std::optional<std::string> ChooseFileFor(CommandHost& host, const FileDialogSpec& spec,
                                         const std::string& given, bool mustExist) {
    if (!given.empty()) {
        if (mustExist && !FileExists(given))
            return std::nullopt;
        return given;
    }
    return host.ChooseFile(spec);
}

bool KledCommands::LoadImageFile(const std::string& file, std::optional<DibBitmap>& out) {
    out = ReadImageFile(file);
    if (!out) {
        host_.ShowMessage(InvalidImageMessage(file));
        return false;
    }
    return true;
}

// ---- New group and new resource ---------------------------------------------

TZRC* KledCommands::CreateGroup() {
    TreeNode* sel = doc_.tree().selected;
    if (!doc_.IsEditableNode(sel))
        return nullptr;
    TreeNode* parent = sel->hasChildren ? sel : sel->parent;
    auto e = std::make_unique<TZRC>();
    e->entry.kind = KlbKind::Group;
    e->entry.name = doc_.UniqueName(parent, "New Group");
    e->SourceFile = doc_.WorkCopy();
    TreeNode* node = PlaceNode(sel, e->entry.name);
    node->imageIndex = kImageGroup;
    node->hasChildren = true;
    node->entry = e.get();
    e->node = node;
    TZRC* added = doc_.Append(std::move(e));
    SelectOnly(node);
    host_.ResourcesChanged();
    return added;
}

TZRC* KledCommands::NewResource(int page, const std::string& file) {
    TreeNode* sel = doc_.tree().selected ? doc_.tree().selected : doc_.tree().FirstRoot();
    if (!doc_.IsEditableNode(sel) || page < 0 || page >= kPageCount)
        return nullptr;
    const std::string label = NewResourceLabel(page);
    TreeNode* node = PlaceNode(sel, label);
    node->imageIndex = kImageOther;
    auto e = std::make_unique<TZRC>();
    e->entry.kind = KindOfPage(page);
    e->entry.name = label;
    e->entry.themeIdList = "*";
    e->SourceFile = doc_.WorkCopy();

    bool ok = true;
    auto ask = [&](const char* cancelled) {
        std::optional<std::string> chosen =
            ChooseFileFor(host_, LoadDialog(page, ResourceMode::Image, true), file, true);
        if (chosen && chosen->empty())
            host_.ShowMessage(cancelled);
        if (!chosen || chosen->empty())
            ok = false;
        return chosen.value_or(std::string());
    };
    switch (e->entry.kind) {
        case KlbKind::Main:
        case KlbKind::Detail: {
            const std::string chosen = ask("You must select a bitmap to create resource");
            std::optional<DibBitmap> image;
            if (!ok || !LoadImageFile(chosen, image)) {
                ok = false;
                break;
            }
            e->entry.image = EncodeBmp(ConvertPixelFormat(*image, kMainImageDepth));
            e->imageFileName = chosen;
            if (e->entry.kind == KlbKind::Main) {
                e->entry.fieldWidth = 12;
                e->entry.fieldHeight = 22;
                e->entry.largeBlockSize = 16;
                e->entry.smallBlockSize = 8;
                e->entry.themeIdList = "16" + std::filesystem::path(chosen).stem().string();
            }
            break;
        }
        case KlbKind::Music: {
            const std::string chosen = ask("You must select a music file to create resource");
            if (!ok || IsPreviewFile(chosen)) {
                ok = false;
                break;
            }
            e->heldFile = chosen;
            e->entry.fileType = MusicFileType(chosen);
            break;
        }
        case KlbKind::Sound: {
            const std::string chosen = ask("You must select a sound file for a new resource");
            if (ok)
                e->heldFile = chosen;
            break;
        }
        case KlbKind::Skin:
        case KlbKind::Group:
            e->entry.backColour = -1;
            break;
    }
    TZRC* added = nullptr;
    if (ok) {
        node->imageIndex = KindImage(e->entry.kind);
        node->entry = e.get();
        e->node = node;
        added = doc_.Append(std::move(e));
        SelectOnly(node);
    } else {
        doc_.tree().Remove(node);
        SelectOnly(doc_.tree().selected);
    }
    host_.ResourcesChanged();
    return added;
}

// ---- Delete -------------------------------------------------------------------

void KledCommands::DeleteMarkedResources() {
    std::vector<TZRC*> marked;
    for (const auto& e : doc_.list())
        if (e->node && e->node->Marked())
            marked.push_back(e.get());
    for (TZRC* e : marked) {
        const bool group = e->kind() == KlbKind::Group;
        // A marked reference leaf stays: reference libraries are only shown, never changed,
        // and the next update of the references would bring it back anyway.
        if (e->IsReference || (group && !e->node->children.empty())) {
            if (group)
                host_.ShowMessage("Unable to delete group \"" + e->node->label + "\"");
            continue;
        }
        RemoveEntry(e);
    }
    SelectOnly(doc_.tree().selected);
    host_.ResourcesChanged();
}

// ---- Copy -----------------------------------------------------------------------

TZRC* KledCommands::CopyEntry(const TZRC& e) {
    auto copy = std::make_unique<TZRC>();
    static_cast<KlbEditEntry&>(*copy) = static_cast<const KlbEditEntry&>(e);
    copy->entry.groupPath.clear();
    copy->entry.information.clear();
    copy->entry.references.clear();
    copy->IsReference = false;
    copy->imageFileName = e.imageFileName;
    copy->maskFileName = e.maskFileName;
    return doc_.Append(std::move(copy));
}

TreeNode* KledCommands::CopyNodeInto(TreeNode* parent, TreeNode* node, size_t at) {
    TreeNode* made = NewNode(parent, at, node->label);
    made->imageIndex = node->imageIndex;
    made->hasChildren = node->hasChildren;
    if (node->entry) {
        TZRC* e = CopyEntry(*node->entry);
        e->node = made;
        made->entry = e;
    }
    // By index: the copy may land among the children being copied.
    for (size_t i = 0; i < node->children.size(); ++i)
        CopyNodeInto(made, node->children[i].get(), made->children.size());
    return made;
}

TreeNode* KledCommands::CopyNode(TreeNode* parent, TreeNode* node) {
    if (!node || !node->parent)
        return nullptr;
    if (!parent)
        parent = node->parent;
    const std::string name = doc_.UniqueName(parent, node->label);
    TreeNode* made = CopyNodeInto(parent, node, parent->children.size());
    made->label = name;
    if (made->entry)
        made->entry->entry.name = name;
    return made;
}

void KledCommands::CopyMarkedResources() {
    std::vector<TZRC*> leaves;
    for (const auto& e : doc_.list())
        if (IsLeaf(e->node) && e->node->Marked())
            leaves.push_back(e.get());
    TreeNode* first = nullptr;
    if (!leaves.empty()) {
        std::vector<TreeNode*> made;
        for (TZRC* e : leaves) {
            TreeNode* node = e->node;
            node->SetMarked(false);
            TZRC* copy = CopyEntry(*e);
            TreeNode* root = doc_.tree().FirstRoot();
            TreeNode* placed = e->IsReference
                                   ? NewNode(root, root->children.size(), node->label)
                                   : NewNode(node->parent, IndexInParent(node) + 1, node->label);
            placed->imageIndex = node->imageIndex;
            placed->entry = copy;
            copy->node = placed;
            made.push_back(placed);
        }
        doc_.UnmarkAll();
        for (TreeNode* n : made) n->SetMarked(true);
        first = made.front();
        doc_.tree().selected = first;
        Reveal(first);
        host_.ResourcesChanged();
        return;
    }
    TreeNode* sel = doc_.tree().selected;
    if (!sel || !sel->entry || sel->entry->kind() != KlbKind::Group || !sel->parent)
        return;
    TreeNode* root = doc_.tree().FirstRoot();
    first = CopyNode(sel->entry->IsReference ? root : nullptr, sel);
    SelectOnly(first);
    host_.ResourcesChanged();
}

// ---- Move ---------------------------------------------------------------------------

bool KledCommands::MoveNode(TreeNode* node, TreeNode* parent, size_t at) {
    // Never into itself or below itself: the group would leave the tree.
    if (!node->parent || parent == node || ResourceTree::IsBelow(parent, node))
        return false;
    TreeNode* oldParent = node->parent;
    const size_t from = IndexInParent(node);
    std::unique_ptr<TreeNode> owned = std::move(oldParent->children[from]);
    oldParent->children.erase(oldParent->children.begin() + static_cast<std::ptrdiff_t>(from));
    if (oldParent == parent && from < at)
        --at;
    // A group among new siblings takes a name none of them has.
    if (oldParent != parent && owned->entry && owned->entry->kind() == KlbKind::Group &&
        doc_.FindGroupNode(owned->label, parent, owned.get())) {
        owned->label = doc_.UniqueName(parent, owned->label);
        owned->entry->entry.name = owned->label;
    }
    InsertChild(parent, at, std::move(owned));
    return true;
}

void KledCommands::MoveMarkedResources() {
    if (TreeNode* target = host_.SelectResourceGroup())
        MoveMarkedResourcesTo(target);
}

void KledCommands::MoveMarkedResourcesTo(TreeNode* target) {
    if (!doc_.IsEditableNode(target))
        return;
    std::vector<TZRC*> marked;
    for (const auto& e : doc_.list())
        if (e->node && e->node->Marked() && !e->IsReference)
            marked.push_back(e.get());
    TreeNode* last = nullptr;
    for (TZRC* e : marked) {
        TreeNode* node = e->node;
        if (node == target)
            continue;
        const bool moved = target->hasChildren
                               ? MoveNode(node, target, target->children.size())
                               : MoveNode(node, target->parent, IndexInParent(target));
        if (moved)
            last = node;
    }
    if (last) {
        doc_.tree().selected = last;
        Reveal(last);
    }
    host_.ResourcesChanged();
}

bool KledCommands::MoveResourceUp() {
    TreeNode* sel = doc_.tree().selected;
    if (!doc_.IsEditableNode(sel) || !sel->parent)
        return false;
    const size_t at = IndexInParent(sel);
    if (at == 0)
        return false;
    MoveNode(sel, sel->parent, at - 1);
    doc_.tree().selected = sel;
    host_.ResourcesChanged();
    return true;
}

bool KledCommands::MoveResourceDown() {
    TreeNode* sel = doc_.tree().selected;
    if (!doc_.IsEditableNode(sel) || !sel->parent)
        return false;
    const size_t at = IndexInParent(sel);
    if (at + 1 >= sel->parent->children.size())
        return false;
    // Before the sibling after the next one, or at the end.
    MoveNode(sel, sel->parent, at + 2);
    doc_.tree().selected = sel;
    host_.ResourcesChanged();
    return true;
}

}  // namespace pk
