// The editor's main window `TForm1`: the resource tree on the left under the
// references panel, the property pages on the right, the File and Batch menus,
// the resource commands' buttons and the busy panel. Each of those is a panel
// of its own; the window builds them, owns the document, the players and the
// test hooks of its dialogs, and passes the document's calls on to them.
#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/MPEGPlay.h"
#include "editor/ui/zrbatchmenu.h"
#include "editor/ui/zrcommandsui.h"
#include "editor/ui/zrloadingpanel.h"
#include "editor/ui/zrpropertypages.h"
#include "editor/ui/zrreferencespanel.h"
#include "editor/ui/zrresourcetree.h"
#include "editor/ui/zrthemefilemenu.h"
#include "editor/zrdoc.h"
#include "editor/zrpages.h"
#include "editor/zrpreview.h"

class QComboBox;
class QFrame;
class QMenu;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace pk {

class Tdebug;
class Tskinp;

// The players the window previews with; any may be missing.
struct KledAudio {
    SoundPlayer* sound = nullptr;
    MidiPlayer* midi = nullptr;
    MpegLibraryLoader mpeg;
};

class TForm1 : public QMainWindow, public KledDocHost {
    Q_OBJECT
public:
    TForm1(std::filesystem::path programFolder, KledAudio audio, QWidget* parent = nullptr);
    ~TForm1() override;

    // Start of the window: history, override flag, MP3 player, empty theme.
    void FormCreate(const std::vector<std::string>& args);

    KledDoc& doc() { return doc_; }
    TMPEGPlayer& Mpegplayer() { return mpegPlayer_; }
    MusicPreview& musicPreview() { return preview_; }
    SoundPlayer* soundPlayer() const { return audio_.sound; }

    // The window's panels.
    PropertyPages& pages() const { return *pages_; }
    ReferencesPanel& referencesPanel() const { return *refs_; }
    ResourceCommandsUi* commandsUi() const { return commandsUi_; }
    KledCommands& commands() const { return commandsUi_->commands(); }
    Tdebug* debug() const { return debug_; }
    Tskinp* skinp() const { return skinp_; }

    // The panels' widgets by their old names.
    QTreeWidget* maintree() const { return tree_->tree(); }
    QTabWidget* mainpagecontrol() const { return pages_->tabs(); }
    QTableWidget* Grid(int page) const { return pages_->Grid(page); }
    QTableWidget* skinflaglist() const { return pages_->skinflaglist(); }
    QTableWidget* skinactionlist() const { return pages_->skinactionlist(); }
    QMenu* fileMenu() const { return fileMenu_->menu(); }
    QFrame* busyPanel() const { return busy_; }
    QComboBox* refsCombo() const { return refs_->combo(); }
    // The tree item of a node; nullptr when it is not shown.
    QTreeWidgetItem* ItemOf(const TreeNode* node) const { return tree_->ItemOf(node); }

    // Messages go here instead of a message box (tests).
    std::function<void(const std::string&)> messageSink;
    // File dialogs answer from here when set (tests).
    std::function<std::string(bool save)> fileDialogSink;
    // Questions answer from here when set (tests): one of `buttons`.
    std::function<QMessageBox::StandardButton(const std::string& text,
                                              QMessageBox::StandardButtons buttons)>
        questionSink;
    inline static const char* const kUnsavedChangesText =
        "The theme has changes that are not saved.  Save them first?";
    // Whether to replace an existing file on Save As, when set (tests).
    std::function<bool(const std::string& file)> replaceSink;
    // Folder dialogs answer from here when set (tests); the title tells which.
    std::function<std::string(const std::string& title)> folderDialogSink;

    // The panels' commands, by the window's name for them.
    void newthemeClick() { fileMenu_->newthemeClick(); }
    void openthemeClick() { fileMenu_->openthemeClick(); }
    void savethemeClick() { fileMenu_->savethemeClick(); }
    void savethemeasClick() { fileMenu_->savethemeasClick(); }
    void Exit1Click() { fileMenu_->Exit1Click(); }
    void OpenRecentFile(const std::string& file) { fileMenu_->OpenRecentFile(file); }
    void Createthemefromoldbitmap1Click() { fileMenu_->Createthemefromoldbitmap1Click(); }
    void Exportselected1Click() { batchMenu_->Exportselected1Click(); }
    void Importselected1Click() { batchMenu_->Importselected1Click(); }
    void updaterefsClick() { refs_->updaterefsClick(); }
    void applyClick() { pages_->applyClick(); }
    void RefreshResourcePage() { pages_->RefreshResourcePage(); }
    void creategroupclick() { commandsUi_->creategroupclick(); }
    void moveresourceupbClick() { commandsUi_->moveresourceupbClick(); }
    void moveresourcedownbClick() { commandsUi_->moveresourcedownbClick(); }
    void createmainbmpmaskClick() { commandsUi_->createmainbmpmaskClick(); }
    void maintreeChanging(QTreeWidgetItem* item) { tree_->maintreeChanging(item); }
    void maintreeChange(QTreeWidgetItem* item) { tree_->maintreeChange(item); }
    void maintreeMouseDown(QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers) {
        tree_->maintreeMouseDown(item, modifiers);
    }
    bool maintreeEditing(QTreeWidgetItem* item) { return tree_->maintreeEditing(item); }
    // The skin preview window, opened or brought to the front.
    void skinpreviewClick();

    // KledDocHost
    void ShowMessage(const std::string& text) override;
    void CaptionChanged(const std::string& caption) override;
    void TreeChanged() override;
    void RecentChanged() override;
    void RefreshPage() override;
    void ReleasePreviews() override;
    KlbBusyPanel BusyPanel() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The left column: references panel, skin preview button, tree.
    void BuildLeftColumn(QSplitter* splitter);

    KledDoc doc_;
    KledAudio audio_;
    TMPEGPlayer mpegPlayer_;
    MusicPreview preview_;
    ThemeFileMenu* fileMenu_ = nullptr;
    ResourceTreePanel* tree_ = nullptr;
    PropertyPages* pages_ = nullptr;
    LoadingPanel* busy_ = nullptr;
    ReferencesPanel* refs_ = nullptr;
    BatchMenu* batchMenu_ = nullptr;
    ResourceCommandsUi* commandsUi_ = nullptr;
    Tdebug* debug_ = nullptr;
    Tskinp* skinp_ = nullptr;
    bool closed_ = false;
};

}  // namespace pk
