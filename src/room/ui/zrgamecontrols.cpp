#include "room/ui/zrgamecontrols.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "game/zrgame.h"
#include "platform/cp1252.h"
#include "room/ui/zrplayerlist.h"
#include "room/ui/zrroomchatpanel.h"
#include "room/ui/zrroomguard.h"
#include "room/zrpartyline.h"
#include "room/zrroomcontrols.h"
#include "room/zrroomevents.h"
#include "room/zrroomhost.h"

namespace pk {

TRoomGameControls::TRoomGameControls(QWidget* parent, TRoomChatPanel& chat, TRoomPlayerList& list)
    : QWidget(parent), chat_(chat), list_(list) {
    setObjectName(QStringLiteral("chatcontrolpanel"));
    teamlabel_ = new QLabel(QStringLiteral("Your team:  (Blank for none)"), this);
    teamlabel_->setObjectName(QStringLiteral("teamlabel"));
    teamname_ = new QLineEdit(this);
    teamname_->setObjectName(QStringLiteral("teamname"));
    teamname_->setMaxLength(15);
    updateteam_ = new QPushButton(QStringLiteral("Update team"), this);
    updateteam_->setObjectName(QStringLiteral("updateteam"));
    startgame_ = new QPushButton(QStringLiteral("Start game"), this);
    startgame_->setObjectName(QStringLiteral("startgame"));
    pausegame_ = new QPushButton(QStringLiteral("Pause game"), this);
    pausegame_->setObjectName(QStringLiteral("pausegame"));
    connect(updateteam_, &QPushButton::clicked, this, [this] { PK_ROOM_HANDLER(updateteamClick); });
    connect(startgame_, &QPushButton::clicked, this, [this] { PK_ROOM_HANDLER(startgameClick); });
    connect(pausegame_, &QPushButton::clicked, this, [this] { PK_ROOM_HANDLER(pausegameClick); });
    connect(teamname_, &QLineEdit::returnPressed, this,
            [this] { PK_ROOM_HANDLER(teamnameKeyPress); });
}

void TRoomGameControls::Place(const QRect& area) {
    setGeometry(area);
    const int inner = area.width();
    int y = 0;
    teamlabel_->setGeometry(0, y, inner, 16);
    y += 18;
    teamname_->setGeometry(0, y, inner - 90, 22);
    updateteam_->setGeometry(inner - 86, y, 86, 22);
    y += 28;
    startgame_->setGeometry(0, y, inner, 24);
    y += 28;
    pausegame_->setGeometry(0, y, inner, 24);
}

void TRoomGameControls::teamnameKeyPress() {
    if (updateteam_->isEnabled())
        updateteamClick();
}

void TRoomGameControls::updateteamClick() {
    const std::string text = QStringToCp1252(teamname_->text());
    switch (CheckTeamUpdate(text)) {
        case TeamUpdate::Unchanged:
            return;
        case TeamUpdate::Invalid:
            Room().ShowMessage(std::string(InvalidTeamText));
            return;
        case TeamUpdate::Locked:
            Room().ShowMessage(std::string(TeamsLockedText));
            return;
        case TeamUpdate::Send:
            SetOwnTeam(text);
            list_.RepaintUserList();
            chat_.FocusChat();
            return;
    }
}

void TRoomGameControls::startgameClick() {
    Room().ExecuteCommand("togglegame");
    if (!ClientState.game.GameRunning)
        chat_.FocusChat();
}

void TRoomGameControls::pausegameClick() {
    Room().ExecuteCommand("togglepause");
    chat_.FocusChat();
}

void TRoomGameControls::ApplyControls(const RoomControlStates& s) {
    startgame_->setText(Cp1252ToQString(s.startgameCaption));
    startgame_->setEnabled(s.startgameEnabled);
    pausegame_->setText(Cp1252ToQString(s.pausegameCaption));
    pausegame_->setEnabled(s.pausegameEnabled);
    teamname_->setEnabled(s.teamnameEnabled);
    updateteam_->setEnabled(s.updateteamEnabled);
}

void TRoomGameControls::SetTeamNameText(const std::string& text) {
    teamname_->setText(Cp1252ToQString(text));
}

}  // namespace pk
