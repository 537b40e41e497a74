#include "room/ui/zrmoderationmenu.h"

#include "core/zrlog.h"
#include "game/zrgame.h"
#include "room/ui/zrplayerlist.h"
#include "room/ui/zrroomchatpanel.h"
#include "room/ui/zrroomguard.h"
#include "room/zrpartyline.h"
#include "room/zrroomhost.h"

namespace pk {

TModerationMenu::TModerationMenu(QWidget* parent, TRoomPlayerList& list, TRoomChatPanel& chat)
    : QMenu(parent), list_(list), chat_(chat) {
    setObjectName(QStringLiteral("userpopupmenu"));
    kicksub_ = addMenu(QStringLiteral("&Kick user"));
    kicksub_->setObjectName(QStringLiteral("kicksub"));
    AddGuardedAction(*kicksub_, "kickwomsg", "with&out message.", [this] { kickwomsgClick(); });
    AddGuardedAction(*kicksub_, "kickwmsg", "&with message...", [this] { kickwmsgClick(); });
    AddGuardedAction(*kicksub_, "andban1", "and &ban...", [this] { andban1Click(); });
    moveuserto_ = addMenu(QStringLiteral("&Move user"));
    moveuserto_->setObjectName(QStringLiteral("Moveuserto1"));
    toplayerlist_ = AddGuardedAction(*moveuserto_, "toplayerlist1", "to &player list.",
                                     [this] { toplayerlist1Click(); });
    tospectatorlist_ =
        AddGuardedAction(*moveuserto_, "tospectatorlist1", "to &spectator list.",
                         [this] { MovePlayerClick(SlotFromCaption("to &spectator list.")); });
    moveuserto_->addSeparator()->setObjectName(QStringLiteral("N01"));
    toslot_.assign(7, nullptr);
    for (int slot = 1; slot <= 6; ++slot) {
        static const char* names[] = {"",         "toslot11", "toslot21", "toslot31",
                                      "toslot41", "toslot51", "toslot61"};
        const std::string caption = "to slot &" + std::to_string(slot) + ".";
        toslot_[static_cast<std::size_t>(slot)] =
            AddGuardedAction(*moveuserto_, names[slot], caption.c_str(),
                             [this, caption] { MovePlayerClick(SlotFromCaption(caption)); });
    }
    whoismenu_ = AddGuardedAction(*this, "whoismenu", "Show player &details...",
                                  [this] { whoismenuClick(); });
}

bool TModerationMenu::PrepareMenuForRow(int row) {
    tclient* player = list_.RowPlayer(row);
    if (player == nullptr)
        return false;
    // The menu acts on the player it was opened for.
    list_.setCurrentRow(row);
    const UserMenu m = PrepareUserMenu(*player, Room().LobbyConnected());
    kicksub_->menuAction()->setVisible(m.kick);
    moveuserto_->menuAction()->setVisible(m.move);
    toplayerlist_->setVisible(m.toPlayerList);
    tospectatorlist_->setVisible(m.toSpectators);
    for (int slot = 1; slot <= 6; ++slot)
        toslot_[static_cast<std::size_t>(slot)]->setVisible(
            m.toSlot[static_cast<std::size_t>(slot)]);
    whoismenu_->setVisible(m.details);
    return true;
}

void TModerationMenu::kickwomsgClick() {
    if (tclient* p = list_.SelectedPlayer()) {
        SendKick(p->name);
        chat_.FocusChat();
    }
}

void TModerationMenu::KickWithPrompt(bool ban) {
    tclient* p = list_.SelectedPlayer();
    if (p == nullptr)
        return;
    const std::string name = p->name;
    // The message is asked by the query dialog's kick and ban panel, which the lobby installs.
    if (!kickPrompt_) {
        AddLogLine("No kick message prompt installed");
        return;
    }
    std::string message;
    if (!kickPrompt_(message))
        return;
    if (!KickMessageValid(message)) {
        Room().ShowMessage(std::string(InvalidKickText));
        return;
    }
    if (ban)
        SendKickAndBan(name, message);
    else
        SendKickWithMessage(name, message);
    chat_.FocusChat();
}

void TModerationMenu::kickwmsgClick() {
    KickWithPrompt(false);
}

void TModerationMenu::andban1Click() {
    KickWithPrompt(true);
}

void TModerationMenu::MovePlayerClick(int slot) {
    if (tclient* p = list_.SelectedPlayer()) {
        SendMove(p->name, slot);
        chat_.FocusChat();
    }
}

void TModerationMenu::toplayerlist1Click() {
    if (tclient* p = list_.SelectedPlayer()) {
        SendMove(p->name, FirstFreeSlot());
        chat_.FocusChat();
    }
}

void TModerationMenu::whoismenuClick() {
    if (tclient* p = list_.SelectedPlayer())
        Room().RequestPlayerDetails(p->name);
}

}  // namespace pk
