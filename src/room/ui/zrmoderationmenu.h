#pragma once
// The menu on a player's row of the room's list: kick (without a message, with one, and ban),
// move to the players, the spectators or a slot, and the player's details. It acts on the
// player of the row it was opened for, and shows only what the own rights allow.
#include <QMenu>
#include <functional>
#include <string>
#include <vector>

namespace pk {

class TRoomChatPanel;
class TRoomPlayerList;

class TModerationMenu : public QMenu {
public:
    // Asks for the kick message; false when cancelled.
    using TextPrompt = std::function<bool(std::string& text)>;

    TModerationMenu(QWidget* parent, TRoomPlayerList& list, TRoomChatPanel& chat);

    // The kick message prompt (the query dialog's kick and ban panel, which the lobby installs).
    void SetKickPrompt(TextPrompt p) { kickPrompt_ = std::move(p); }
    // The menu for the player of a row (the row is selected first); false when none is shown.
    bool PrepareMenuForRow(int row);
    void kickwomsgClick();
    void kickwmsgClick();
    void andban1Click();
    void MovePlayerClick(int slot);
    void toplayerlist1Click();
    void whoismenuClick();

private:
    void KickWithPrompt(bool ban);

    TRoomPlayerList& list_;
    TRoomChatPanel& chat_;
    QMenu* kicksub_ = nullptr;
    QMenu* moveuserto_ = nullptr;
    QAction* toplayerlist_ = nullptr;
    QAction* tospectatorlist_ = nullptr;
    std::vector<QAction*> toslot_;
    QAction* whoismenu_ = nullptr;
    TextPrompt kickPrompt_;
};

}  // namespace pk
