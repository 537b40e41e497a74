#pragma once
// The game room window `Tzrpartyline` ("chat"): the room chat box and its edit line, the tool
// bar (game settings, extra settings, statistics), the collapsible statistics panel above the
// chat, the owner-drawn player list with its moderation menu, and the team and game controls.
// Everything it decides is in room/zrpartyline.h; the window presents it and forwards clicks.
#include <QImage>
#include <QMenu>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "room/zrpartyline.h"
#include "room/zrroomcontrols.h"
#include "skin/ui/zrskinform.h"

class QFileDialog;
class QKeyEvent;
class QMouseEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class QSplitter;
class QTableWidget;
class QToolButton;

namespace pk {

class TZRTxtbox;

class Tzrpartyline : public TZRSkinForm, public RoomWindowView, public RoomControls {
public:
    explicit Tzrpartyline(QWidget* parent = nullptr);
    ~Tzrpartyline() override;
    // The room's container element colours the toolbar, the team label and the boxes.
    void ApplySkinColours(const SkinColours& colours) override;

    // Controls, by their names.
    TZRTxtbox* chatbox() const { return chatbox_; }
    QLineEdit* chatedit() const { return chatedit_; }
    // The list as the room holds it now (a refresh still waiting for the event loop is done).
    QListWidget* userlist() const {
        const_cast<Tzrpartyline*>(this)->FlushUserList();
        return userlist_;
    }
    QLineEdit* teamname() const { return teamname_; }
    QPushButton* updateteam() const { return updateteam_; }
    QPushButton* startgame() const { return startgame_; }
    QPushButton* pausegame() const { return pausegame_; }
    QToolButton* changesettings() const { return changesettings_; }
    QToolButton* editextras() const { return editextras_; }
    QToolButton* showstats() const { return showstats_; }
    QLabel* statscaption() const { return statscaption_; }
    QLabel* gscaption() const { return gscaption_; }
    QScrollArea* statsscrollbox() const { return statsscrollbox_; }
    TZRTxtbox* gameresults() const { return gameresults_; }
    TZRTxtbox* gamehistory() const { return gamehistory_; }
    QTableWidget* gamestats() const { return gamestats_; }
    QMenu* userpopupmenu() const { return userpopupmenu_; }
    QMenu* fontchangepopup() const { return fontchangepopup_; }
    QMenu* statschangefontpopup() const { return statschangefontpopup_; }
    int StatsPanelHeight() const { return statsPanelHeight_; }
    bool StatsShown() const;

    // Handlers that tests and the skin reach.
    // The chat edit's keys: a key goes down, then its character is typed. Each returns true
    // when the key goes no further.
    bool chateditKeyDown(const QKeyEvent& key);
    bool chateditKeyPress(const QKeyEvent& key);
    void teamnameKeyPress();
    void chatchangefontClick();
    void chatdefaultfontClick();
    void statschangefontClick();
    void statsdefaultfontClick();
    // Lays the statistics panel out: after a resize, a font change and new statistics.
    void statsscrollboxResize();
    // After a left-button release on the table its widths become the remembered ones.
    void gamestatsMouseUp();
    void showstatsClick();
    void updateteamClick();
    void startgameClick();
    void pausegameClick();
    void changesettingsClick();
    void editextrasClick();
    void statssavelogClick();
    // A press on the list at a point of the list's viewport.
    void userlistMouseDown(const QPoint& at, Qt::MouseButton button);
    // The menu for the player of a row (the row is selected first); false when none is shown.
    bool PrepareMenuForRow(int row);
    void kickwomsgClick();
    void kickwmsgClick();
    void andban1Click();
    void MovePlayerClick(int slot);
    void toplayerlist1Click();
    void whoismenuClick();
    // The row's picture as the list draws it.
    QImage RowImage(int row, bool selected, bool focused) const;
    // The same of the rows as shown, without bringing them in line first: what painting uses,
    // as a paint pass must not change the rows it paints.
    QImage ShownRowImage(int row, bool selected, bool focused) const;

    // Dialogs that tests replace: the font picker, the kick message prompt, and what runs the
    // save dialog (`savedialog`, set up for the log) to a file name, empty when cancelled.
    using FontPicker = std::function<bool(QFont& font)>;
    using TextPrompt = std::function<bool(std::string& text)>;
    using FilePrompt = std::function<std::string(QFileDialog& dialog)>;
    void SetFontPicker(FontPicker p) { fontPicker_ = std::move(p); }
    void SetKickPrompt(TextPrompt p) { kickPrompt_ = std::move(p); }
    void SetSavePrompt(FilePrompt p) { savePrompt_ = std::move(p); }
    const TStatsPanel& Stats() const { return stats_; }

    // RoomWindowView
    void AddChatLine(const std::string& line) override;
    void ClearChat() override;
    void RefreshUserList() override;
    void RepaintUserList() override;
    // Brings the list's rows in line with the room when a refresh is waiting.
    void FlushUserList();
    bool TeamUpdateEnabled() const override;
    void SetTeamUpdateEnabled(bool on) override;
    void SetTeamNameText(const std::string& text) override;
    void UpdateTeamClick() override { updateteamClick(); }
    void ShowStats(const TStatsPanel& panel, bool open) override;
    std::vector<int> StatsWidths() const override;
    void SetConfig(const RoomWindowConfig& config) override;
    void GetConfig(RoomWindowConfig& config) override;
    // RoomControls
    void ApplyControls(const RoomControlStates& states) override;
    void SetIcons(const std::vector<IconTile>& tiles) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // The chat edit's keys and the statistics panel's resizes.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildChat();
    void BuildList();
    void BuildStats();
    void BuildMenus();
    void BuildUserMenu();
    void LayOut();
    void ebpanelResize();
    // Sizing a column by its edge in the table's header row; true when the event is taken.
    bool gamestatsMouse(QMouseEvent& mouse);
    // The column whose right edge lies under a point of the header row, -1 for none.
    int ColumnEdgeAt(const QPoint& at) const;
    void ChangeFont(QWidget& target, bool stats);
    void RestoreFont(QWidget& target, bool stats);
    void FocusChat();
    tclient* RowPlayer(int row) const;
    tclient* ShownRowPlayer(int row) const;  // of the rows as shown, without a refresh
    tclient* SelectedPlayer() const;
    void KickWithPrompt(bool ban);
    void ShowMessage(const std::string& text);

    QWidget* Panel1 = nullptr;         // the left-hand area: tool bar above containpanel2
    QWidget* containpanel2 = nullptr;  // statistics, chat and the edit line
    TZRTxtbox* chatbox_ = nullptr;
    QWidget* ebpanel_ = nullptr;
    QLineEdit* chatedit_ = nullptr;
    QWidget* chattbpanel_ = nullptr;
    QToolButton* changesettings_ = nullptr;
    QToolButton* editextras_ = nullptr;
    QToolButton* showstats_ = nullptr;
    QLabel* gscaption_ = nullptr;
    QLabel* editcaption_ = nullptr;
    QLabel* statscaption_ = nullptr;
    QSplitter* gamestatssplit_ = nullptr;
    QScrollArea* statsscrollbox_ = nullptr;
    QWidget* statsinner_ = nullptr;
    TZRTxtbox* gameresults_ = nullptr;
    TZRTxtbox* gamehistory_ = nullptr;
    QTableWidget* gamestats_ = nullptr;
    QFileDialog* savedialog = nullptr;  // made at the first save
    QWidget* containerpanel_ = nullptr;
    QListWidget* userlist_ = nullptr;
    std::vector<RoomRow> rows_;  // the rows the list shows, as last refreshed
    bool refreshQueued_ = false;
    QWidget* chatcontrolpanel = nullptr;  // team and game controls below the list
    QLabel* teamlabel_ = nullptr;
    QLineEdit* teamname_ = nullptr;
    QPushButton* updateteam_ = nullptr;
    QPushButton* startgame_ = nullptr;
    QPushButton* pausegame_ = nullptr;
    QMenu* fontchangepopup_ = nullptr;
    QMenu* statschangefontpopup_ = nullptr;
    QMenu* userpopupmenu_ = nullptr;
    QMenu* kicksub_ = nullptr;
    QMenu* moveuserto_ = nullptr;
    QAction* toplayerlist_ = nullptr;
    QAction* tospectatorlist_ = nullptr;
    std::vector<QAction*> toslot_;
    QAction* whoismenu_ = nullptr;
    std::vector<QImage> listImages_;
    std::unique_ptr<QObject> listMouse_;
    FontPicker fontPicker_;
    TextPrompt kickPrompt_;
    FilePrompt savePrompt_;
    TStatsPanel stats_;
    std::string rememberedWidths_;
    int sizingColumn_ = -1;  // the column being sized, -1 for none
    int sizingFrom_ = 0;     // the pointer's x less the column's width at the press
    int statsPanelHeight_ = 90;
    // The width of the "Play!"/"Watch" button last drawn: a press that far from the own row's
    // right edge moves the player.
    mutable int MoveButtonWidth = 0;
    // Set when a key's down handler did its work: the character it types is swallowed.
    bool SuppressChatKey = false;
    bool chatFontSet_ = false;
    bool statsFontSet_ = false;
};

// The one room window, while it exists.
extern Tzrpartyline* zrpartyline;

}  // namespace pk
