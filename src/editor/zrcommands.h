// The resource commands of the editor: new group, new resource of each kind,
// delete, copy, move (to a group, up, down), loading and saving an image,
// mask, sound or tune from and to a file, and a mask from a transparent
// colour. They change the document and its tree; dialogs and messages are
// reached through `CommandHost`, so the commands run headless in tests and in
// batch imports (a file name given instead of a dialog).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "editor/zrdoc.h"
#include "gfx/dib.h"

namespace pk {

// One file dialog as a command asks for it.
struct FileDialogSpec {
    bool save = false;
    std::string title;
    std::string defaultExt;
    // "Description (*.ext)|*.ext|..." pairs.
    std::string filter;
};

class CommandHost {
public:
    virtual ~CommandHost() = default;
    virtual void ShowMessage(const std::string& /*text*/) {}
    // The chosen file; empty when cancelled.
    virtual std::string ChooseFile(const FileDialogSpec& /*spec*/) { return {}; }
    // A colour 0x00BBGGRR, or -1 for none.
    virtual int64_t PickTransparentColor(const DibBitmap& /*image*/) { return -1; }
    // A node of the edited theme, or nullptr when cancelled.
    virtual TreeNode* SelectResourceGroup() { return nullptr; }
    // The tree, the selection or an entry changed: show them again (the
    // page, the references combo, the skin preview's list).
    virtual void ResourcesChanged() {}
};

enum class ResourceMode { Image = 1, Mask = 2 };

// Per page: the default label of a new resource and its name in messages.
const char* NewResourceLabel(int page);
const char* PageResourceName(int page);

// The dialogs of the commands.
FileDialogSpec LoadDialog(int page, ResourceMode mode, bool newResource);
FileDialogSpec SaveDialog(int page);

// Shared by the page commands.
std::optional<std::string> ChooseFileFor(CommandHost& host, const FileDialogSpec& spec,
                                         const std::string& given, bool mustExist);
bool FileExists(const std::string& file);
// A bitmap file decoded; nullopt when it is not one we read.
std::optional<DibBitmap> ReadImageFile(const std::string& file);
std::string InvalidImageMessage(const std::string& file);
// A music file's type: its extension without the dot, as long as a library
// holds it.
std::string MusicFileType(const std::filesystem::path& file);

class KledCommands {
public:
    KledCommands(KledDoc& doc, CommandHost& host) : doc_(doc), host_(host) {}
    KledDoc& doc() { return doc_; }

    // ---- Tree commands ----
    TZRC* CreateGroup();
    // A new resource of the page's kind next to the selection; `file` in
    // place of the dialog (empty: ask). nullptr when cancelled or refused.
    TZRC* NewResource(int page, const std::string& file = {});
    void DeleteMarkedResources();
    // A copy of the entry appended to the list, without a node.
    TZRC* CopyEntry(const TZRC& e);
    // A copy of the group node with everything in it, as the last child of
    // `parent` (nullptr: after the node among its siblings).
    TreeNode* CopyNode(TreeNode* parent, TreeNode* node);
    void CopyMarkedResources();
    // Asks for a group and moves the marked entries there.
    void MoveMarkedResources();
    // Moves the marked entries into (group or root) or before (leaf) target.
    // A group never goes into itself or its descendants.
    void MoveMarkedResourcesTo(TreeNode* target);
    bool MoveResourceUp();
    bool MoveResourceDown();

    // ---- Page commands ----
    // `file` in place of the dialog; a given file that does not exist does
    // nothing. True when the entry changed.
    bool LoadResourceFromFile(int page, ResourceMode mode, const std::string& file = {});
    bool SaveResourceToFile(int page, ResourceMode mode, const std::string& file = {});
    // "Creates a mask from image's transparent color." of the main bitmap
    // and skin pages.
    bool CreateMaskFromColor(int page);

    // Whether the file is one of the editor's own preview files beside the
    // program ("tmp." + a file type), which are never taken as resources.
    bool IsPreviewFile(const std::filesystem::path& file) const;

private:
    TreeNode* PlaceNode(TreeNode* next, const std::string& label);
    void SelectOnly(TreeNode* node);
    void Reveal(TreeNode* node);
    void RemoveEntry(TZRC* e);
    TreeNode* CopyNodeInto(TreeNode* parent, TreeNode* node, size_t at);
    bool MoveNode(TreeNode* node, TreeNode* parent, size_t at);
    bool LoadImageFile(const std::string& file, std::optional<DibBitmap>& out);
    bool LoadMain(TZRC& e, ResourceMode mode, const std::string& file);
    bool LoadSkin(TZRC& e, ResourceMode mode, const std::string& file);
    bool LoadMask(TZRC& e, const std::string& file);

    KledDoc& doc_;
    CommandHost& host_;
};

}  // namespace pk
