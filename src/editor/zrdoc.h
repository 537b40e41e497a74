// The editor's document: the owning list of entries and the resource tree
// that gives them their structure and order, the open file with its work copy
// and the recent-file history. Headless: the main window shows it and is told
// of changes through `KledDocHost`.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "editor/zrloadsave.h"
#include "editor/zrrestree.h"

namespace pk {

// One entry of the edited theme or of a reference library. The file bytes,
// names and numbers are those of `KlbEditEntry`; the group path is cleared
// once the entry has its node (the tree holds the structure from then on).
// The client's theme has its own `TZRC` (klb/zrtheme.h); this one lives in an
// inline namespace so that the two never share a symbol in a program that
// links both (the skin preview draws with the client's skin engine).
inline namespace editor {
struct TZRC : KlbEditEntry {
    TreeNode* node = nullptr;
    // Image files chosen for a main bitmap, special-block bitmap or skin
    // element, shown in its page until the next save puts them in the library.
    std::string imageFileName;
    std::string maskFileName;
    bool ShowInPreview = false;  // skin elements; never stored

    KlbKind kind() const { return entry.kind; }
    const std::string& name() const { return entry.name; }
};
}  // namespace editor

inline constexpr const char* kEditorCaption = "Pelkorin Theme Editor v1.09";
inline constexpr const char* kCurrentThemeLabel = "Current theme";
inline constexpr const char* kIniName = "kled.ini";
inline constexpr const char* kHistorySection = "History";
inline constexpr size_t kMaxRecentFiles = 10;
// Longest label the tree accepts (the file holds 80 bytes).
inline constexpr size_t kMaxLabelLength = 79;

// The tree picture of an entry's kind.
int KindImage(KlbKind kind);

// What the window does for the document.
class KledDocHost {
public:
    virtual ~KledDocHost() = default;
    virtual void ShowMessage(const std::string& /*text*/) {}
    virtual void CaptionChanged(const std::string& /*caption*/) {}
    // The tree's nodes or labels changed: show it afresh.
    virtual void TreeChanged() {}
    virtual void RecentChanged() {}
    // Show the selected entry on its page again.
    virtual void RefreshPage() {}
    // Release anything that holds the temporary files (the preview players).
    virtual void ReleasePreviews() {}
    virtual KlbBusyPanel BusyPanel() { return {}; }
};

class KledDoc {
public:
    explicit KledDoc(std::filesystem::path programFolder, KledDocHost* host = nullptr);
    ~KledDoc();
    KledDoc(const KledDoc&) = delete;
    KledDoc& operator=(const KledDoc&) = delete;

    // ---- Start and close of the main window ----
    // Reads the history, removes what saves killed midway left beside the
    // files the editor saves, takes the override flag from the first
    // argument, resets the theme and makes the root "Current theme".
    void Start(const std::vector<std::string>& args);
    // Writes the history and deletes the temporary files; every step runs
    // even when one before it fails. False when a step failed.
    bool Close();

    // ---- Entries and tree ----
    void ResetTheme(bool referencesOnly);
    TreeNode* ResourceTreeRoot(const std::string& label);
    void BuildResourceTree(TZRC* group, TreeNode* parent);
    void RebuildEntryList();
    static std::string NodeGroupPath(const TreeNode* node, char separator);
    TZRC* FindEntryByName(std::string_view name, std::string_view themeId) const;
    TreeNode* FindGroupNode(std::string_view name, const TreeNode* parent,
                            const TreeNode* ignore) const;
    static int CopySuffixNumber(std::string_view base, std::string_view name);
    std::string UniqueName(const TreeNode* parent, std::string_view name) const;
    bool IsEditableNode(const TreeNode* node) const;
    // The main bitmaps for the references combo, in list order.
    std::vector<TZRC*> MainBitmaps(bool withReferences) const;
    // Reads a library into the list and gives it its subtree; a reference
    // library gets a root of its own. False (after the message) on failure.
    bool LoadLibrary(const std::filesystem::path& file, bool isReference);
    TZRC* SelectedEntry() const;

    // ---- File menu ----
    void NewTheme();
    void OpenTheme(const std::filesystem::path& file);
    // A file chosen in the open dialog; the work copy and the preview files
    // are passed over. False when it was not opened.
    bool OpenChosen(const std::filesystem::path& file);
    // A recent file: opened when it exists, otherwise dropped from the history.
    bool OpenRecent(const std::string& file);
    // Saves to the current file; false with no current file (ask for a name)
    // or when the save failed.
    // PartlyRead: the current file could be read only in part, and writing
    // over it would lose what was not read; nothing is written (offer Save As).
    enum class SaveOutcome { Saved, NeedsName, Failed, PartlyRead };
    SaveOutcome SaveTheme();
    // Refuses (with PartlyReadText) the file that could be read only in part.
    bool SaveThemeAs(const std::filesystem::path& file);
    // Says which file could be read only in part and why it is not written.
    std::string PartlyReadText() const;
    // Whether the edited theme differs from what was last opened, saved or
    // made new: its tree, names and every field a save would write.
    bool HasChanges() const;
    // Whether Save As refuses the file whatever the user would answer: the work copy, or the
    // default library without "override". Asked before any question of replacing it.
    bool SaveAsRefuses(const std::filesystem::path& file) const;
    bool WriteThemeLibrary(const std::filesystem::path& file);

    // ---- Tree events ----
    // A click or key that moves the selection to `node`, with the marks that
    // Shift and Ctrl make.
    void Select(TreeNode* node, bool shift = false, bool ctrl = false);
    // Its two halves, as the tree reports them: before the selection moves
    // to `node` the node selected so far is remembered and, without Shift or
    // Ctrl, `node` becomes the only marked one; the click on `node` then
    // toggles its mark (Ctrl) or the marks from the remembered node to it
    // (Shift). Neither tells the host.
    void SelectionChanging(TreeNode* node, bool shift, bool ctrl);
    void MarkClicked(TreeNode* node, bool shift, bool ctrl);
    bool CanEditLabel(const TreeNode* node) const;
    // Accepts or refuses a new label; a refused one leaves the old label.
    bool RenameNode(TreeNode* node, const std::string& label);
    // Marked entries of a kind, leaves only, the selected one left out.
    std::vector<TZRC*> MarkedEntries(KlbKind kind) const;
    void UnmarkAll();

    const std::vector<std::unique_ptr<TZRC>>& list() const { return list_; }
    ResourceTree& tree() { return tree_; }
    const ResourceTree& tree() const { return tree_; }
    const std::filesystem::path& currentFile() const { return currentFile_; }
    const std::string& caption() const { return caption_; }
    // Newest first.
    const std::vector<std::string>& recent() const { return recent_; }
    bool overrideFlag() const { return override_; }
    const std::filesystem::path& programFolder() const { return programFolder_; }
    std::filesystem::path WorkCopy() const { return programFolder_ / kWorkCopyName; }
    std::filesystem::path IniFile() const { return programFolder_ / kIniName; }
    // The music preview file for a file type.
    std::filesystem::path PreviewFile(const std::string& fileType) const {
        return MusicPreviewFile(programFolder_, fileType);
    }
    // Test and tool access: appends an entry (without node).
    TZRC* Append(std::unique_ptr<TZRC> entry);
    // Takes an entry out of the list (its node stays); nullptr when absent.
    std::unique_ptr<TZRC> TakeEntry(const TZRC* entry);

private:
    // One node of the edited theme as a save would write it.
    struct SavedNode {
        int depth = 0;
        std::string label;
        bool hasChildren = false;
        KlbEntry entry;
        std::filesystem::path sourceFile, heldFile;
        std::string imageFileName, maskFileName;
        bool operator==(const SavedNode&) const = default;
    };
    std::vector<SavedNode> SavedState() const;
    bool IsPartlyRead(const std::filesystem::path& file) const;
    void SetCaption(const std::string& caption);
    void AddRecent(const std::string& file);
    void ReadHistory();
    bool WriteHistory();
    bool DeleteTemporaryFiles();
    void RemoveStaleSaves() const;
    KledDocHost& host() { return *host_; }

    std::filesystem::path programFolder_;
    KledDocHost defaultHost_;
    KledDocHost* host_;
    std::vector<std::unique_ptr<TZRC>> list_;
    ResourceTree tree_;
    std::filesystem::path currentFile_;
    std::string caption_;
    std::vector<std::string> recent_;
    bool override_ = false;
    TreeNode* anchor_ = nullptr;         // the node selected before the last change
    std::vector<SavedNode> savedState_;  // as last opened, saved or made new
    // The opened library when reading it stopped before its end; empty else.
    std::filesystem::path partlyRead_;
};

}  // namespace pk
