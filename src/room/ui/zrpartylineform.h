#pragma once
// The game room window `Tzrpartyline` ("chat"): a frame of panels, each owning its controls and
// handlers. On the left the tool bar (`TRoomToolBar`) above the chat (`TRoomChatPanel`), whose
// splitter holds the collapsible statistics panel (`TRoomStatsPanel`) above the chat box; on the
// right the player list (`TRoomPlayerList`) with its menu (`TModerationMenu`) above the team and
// game controls (`TRoomGameControls`). The window lays them out, answers the room's
// `RoomWindowView` and `RoomControls` by handing each call to its panel, and keeps the accessors
// by control name. Everything the room decides is in room/zrpartyline.h.
#include <QImage>
#include <QListWidget>
#include <functional>
#include <string>
#include <vector>

#include "room/ui/zrboxfontmenu.h"
#include "room/ui/zrgamecontrols.h"
#include "room/ui/zrmoderationmenu.h"
#include "room/ui/zrplayerlist.h"
#include "room/ui/zrroomchatpanel.h"
#include "room/ui/zrroomstatspanel.h"
#include "room/ui/zrroomtoolbar.h"
#include "room/zrpartyline.h"
#include "room/zrroomcontrols.h"
#include "skin/ui/zrskinform.h"

namespace pk {

class Tzrpartyline : public TZRSkinForm, public RoomWindowView, public RoomControls {
public:
    explicit Tzrpartyline(QWidget* parent = nullptr);
    ~Tzrpartyline() override;
    // The room's container element colours the toolbar, the team label and the boxes.
    void ApplySkinColours(const SkinColours& colours) override;

    // The panels.
    TRoomToolBar& ToolBar() const { return *toolbar_; }
    TRoomChatPanel& ChatPanel() const { return *chat_; }
    TRoomStatsPanel& StatsPanel() const { return *stats_; }
    TRoomPlayerList& PlayerList() const { return *list_; }
    TModerationMenu& PlayerMenu() const { return *menu_; }
    TRoomGameControls& GameControls() const { return *controls_; }

    // Controls, by their names.
    TZRTxtbox* chatbox() const { return chat_->chatbox(); }
    QLineEdit* chatedit() const { return chat_->chatedit(); }
    // The list as the room holds it now (a refresh still waiting for the event loop is done).
    QListWidget* userlist() const {
        list_->FlushUserList();
        return list_;
    }
    QLineEdit* teamname() const { return controls_->teamname(); }
    QPushButton* updateteam() const { return controls_->updateteam(); }
    QPushButton* startgame() const { return controls_->startgame(); }
    QPushButton* pausegame() const { return controls_->pausegame(); }
    QToolButton* changesettings() const { return toolbar_->changesettings(); }
    QToolButton* editextras() const { return toolbar_->editextras(); }
    QToolButton* showstats() const { return toolbar_->showstats(); }
    QLabel* statscaption() const { return toolbar_->statscaption(); }
    QLabel* gscaption() const { return toolbar_->gscaption(); }
    QScrollArea* statsscrollbox() const { return stats_; }
    TZRTxtbox* gameresults() const { return stats_->gameresults(); }
    TZRTxtbox* gamehistory() const { return stats_->gamehistory(); }
    QTableWidget* gamestats() const { return stats_->gamestats(); }
    QMenu* userpopupmenu() const { return menu_; }
    QMenu* fontchangepopup() const { return chat_->fontchangepopup(); }
    QMenu* statschangefontpopup() const { return stats_->statschangefontpopup(); }
    int StatsPanelHeight() const { return stats_->StatsPanelHeight(); }
    bool StatsShown() const { return stats_->StatsShown(); }
    const TStatsPanel& Stats() const { return stats_->Stats(); }

    // Handlers that tests reach, each its panel's.
    void showstatsClick() { stats_->showstatsClick(); }
    void statssavelogClick() { stats_->statssavelogClick(); }
    void updateteamClick() { controls_->updateteamClick(); }
    void startgameClick() { controls_->startgameClick(); }
    void pausegameClick() { controls_->pausegameClick(); }
    void userlistMouseDown(const QPoint& at, Qt::MouseButton button) {
        list_->userlistMouseDown(at, button);
    }
    QImage RowImage(int row, bool selected, bool focused) const {
        return list_->RowImage(row, selected, focused);
    }
    bool PrepareMenuForRow(int row) { return menu_->PrepareMenuForRow(row); }
    void kickwomsgClick() { menu_->kickwomsgClick(); }
    void kickwmsgClick() { menu_->kickwmsgClick(); }
    void andban1Click() { menu_->andban1Click(); }
    void MovePlayerClick(int slot) { menu_->MovePlayerClick(slot); }
    void toplayerlist1Click() { menu_->toplayerlist1Click(); }
    void whoismenuClick() { menu_->whoismenuClick(); }

    // Dialogs that tests replace: the font picker of both font menus, the kick message prompt,
    // and what runs the save dialog (`savedialog`, set up for the log) to a file name, empty
    // when cancelled.
    using FontPicker = TBoxFontMenu::FontPicker;
    using TextPrompt = TModerationMenu::TextPrompt;
    using FilePrompt = TRoomStatsPanel::FilePrompt;
    void SetFontPicker(const FontPicker& p);
    void SetKickPrompt(TextPrompt p) { menu_->SetKickPrompt(std::move(p)); }
    void SetSavePrompt(FilePrompt p) { stats_->SetSavePrompt(std::move(p)); }

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

private:
    void LayOut();

    QWidget* Panel1 = nullptr;           // the left-hand area: tool bar above the chat
    QWidget* containerpanel_ = nullptr;  // the right-hand column: list above the controls
    TRoomToolBar* toolbar_ = nullptr;
    TRoomChatPanel* chat_ = nullptr;
    TRoomStatsPanel* stats_ = nullptr;
    TRoomPlayerList* list_ = nullptr;
    TRoomGameControls* controls_ = nullptr;
    TModerationMenu* menu_ = nullptr;
};

// The one room window, while it exists.
extern Tzrpartyline* zrpartyline;

}  // namespace pk
