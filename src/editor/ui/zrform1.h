// The editor's main window `TForm1`: the resource tree on the left, the
// property pages on the right, the File menu and the busy panel. It shows the
// document and hands every user action to it; the rules live in the document
// and the page model.
#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/MPEGPlay.h"
#include "editor/zrdoc.h"
#include "editor/zrpages.h"
#include "editor/zrpreview.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace pk {

class KledCommands;
class ResourceCommandsUi;
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
    QTreeWidget* maintree() const { return maintree_; }
    QTabWidget* mainpagecontrol() const { return mainpagecontrol_; }
    QTableWidget* Grid(int page) const { return grids_[page]; }
    QTableWidget* skinflaglist() const { return skinflaglist_; }
    QTableWidget* skinactionlist() const { return skinactionlist_; }
    QMenu* fileMenu() const { return fileMenu_; }
    QFrame* busyPanel() const { return busyPanel_; }
    // The tree item of a node; nullptr when it is not shown.
    QTreeWidgetItem* ItemOf(const TreeNode* node) const;
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

    // Menu and button commands.
    void newthemeClick();
    void openthemeClick();
    void savethemeClick();
    void savethemeasClick();
    void Exit1Click();
    // A recent file chosen in the File menu.
    void OpenRecentFile(const std::string& file);
    void applyClick();
    void skinflagsapplyClick();
    void skinactionsapplyClick();
    void soundplayClick();
    void musicplayClick();
    void RefreshResourcePage();
    // The skin preview, the old pack import, the batch export and import and
    // the reference libraries (zrform1tools.cpp).
    void skinpreviewClick();
    void Createthemefromoldbitmap1Click();
    void Exportselected1Click();
    void Importselected1Click();
    void updaterefsClick();
    Tskinp* skinp() const { return skinp_; }
    QComboBox* refsCombo() const { return refsCombo_; }
    // Folder dialogs answer from here when set (tests); the title tells which.
    std::function<std::string(const std::string& title)> folderDialogSink;
    // The resource commands' buttons above the tree and on the pages
    // (zrcommandsui.cpp).
    void creategroupclick();
    void newresourcebClick();
    void deleteresourcebClick();
    void copyresourcebClick();
    void moveresourceclick();
    void moveresourceupbClick();
    void moveresourcedownbClick();
    void openresourceclick();
    void saveresourceclick();
    void openmaskclick();
    void savemaskclick();
    void createmainbmpmaskClick();
    void createskinmaskClick();
    ResourceCommandsUi* commandsUi() const { return commandsUi_; }
    KledCommands& commands();
    Tdebug* debug() const { return debug_; }
    // F12 and F11 on a skin list.
    void SkinListKey(QTableWidget* list, int key);

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
    void mainpagecontrolChange(int index);
    // The grids' and skin lists' edit handlers: the edited cells go to the
    // selected entry.
    void mainbmpgridSetEditText();
    void sbgridSetEditText();
    void soundgridSetEditText();
    void musicgridSetEditText();
    void skingridSetEditText();
    void skinflaglistSetEditText();
    void skinactionlistSetEditText();
    void skinflaglistKeyDown(int key);
    void skinactionlistKeyDown(int key);
    // Lays out the references panel for its width.
    void reftoppanelResize();

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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenu();
    void BuildPages();
    QWidget* BuildGridPage(int page);
    QTableWidget* BuildSkinList(const QStringList& headers);
    void RebuildTree();
    void SyncTreeItems();
    void FillGrid(int page, const std::vector<std::string>& values);
    void FillSkinLists(const TZRC* e);
    void FillPictures(const TZRC* e);
    void GridEdited(int page);
    SkinGrid GridFromList(QTableWidget* list) const;
    void FillList(QTableWidget* list, const SkinGrid& grid);
    void ShowLoadingPanel(bool show, const std::string& text);
    void SetLoadingProgress(int percent);
    TreeNode* NodeOf(QTreeWidgetItem* item) const;
    void FormResize();
    std::string ChooseFile(bool save);
    QMessageBox::StandardButton Ask(const std::string& text, QMessageBox::StandardButtons buttons);
    // True when the theme may be replaced: no changes, or they were saved or
    // the user let them go.
    bool MayDiscardChanges();
    // True when the theme was written.
    bool SaveCurrent();
    bool SaveUnderNewName();
    bool AskReplace(const std::string& file);
    void BuildTools();
    void ToolsDocumentChanged();
    void SelectEntryInTree(TZRC* e);
    std::string ChooseFolder(const std::string& title, bool save);

    KledDoc doc_;
    KledAudio audio_;
    TMPEGPlayer mpegPlayer_;
    MusicPreview preview_;
    QTreeWidget* maintree_ = nullptr;
    QTabWidget* mainpagecontrol_ = nullptr;
    QTableWidget* grids_[kPageCount] = {};
    QTableWidget* skinflaglist_ = nullptr;
    QTableWidget* skinactionlist_ = nullptr;
    QLabel* mainPicture_ = nullptr;
    QLabel* maskPicture_ = nullptr;
    QLabel* sbPicture_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    QAction* noRecent_ = nullptr;
    std::vector<QAction*> recentActions_;
    QFrame* busyPanel_ = nullptr;
    QLabel* busyText_ = nullptr;
    QProgressBar* busyBar_ = nullptr;
    std::vector<TreeNode*> shownNodes_;
    bool filling_ = false;
    bool closed_ = false;
    Tskinp* skinp_ = nullptr;
    ResourceCommandsUi* commandsUi_ = nullptr;
    Tdebug* debug_ = nullptr;
    QComboBox* refsCombo_ = nullptr;
    QWidget* reftoppanel_ = nullptr;
    QLabel* refsLabel_ = nullptr;
    QPushButton* updaterefs_ = nullptr;
};

}  // namespace pk
