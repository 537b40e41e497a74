// The join and room dispatchers and the room messages the link handles itself.
#include <map>

#include "core/chatstyle.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "game/zrfmqueue.h"
#include "game/zrgame.h"
#include "game/zrowngame.h"
#include "room/zrgamelink.h"
#include "room/zrpartyline.h"
#include "room/zrroomchat.h"
#include "room/zrroomevents.h"
#include "room/zrroomhost.h"
#include "room/zrroomrules.h"
#include "room/zrsbgame.h"
#include "room/zrservermsg.h"
#include "room/zrviewslot.h"

namespace pk {

namespace {

constexpr char Sep = '\x02';

std::map<std::uint8_t, RoomHandler>& Handlers() {
    static std::map<std::uint8_t, RoomHandler> table;
    return table;
}

std::string Token(int n, const std::string& payload) {
    return TokenAt(n, payload, Sep);
}

// A slot number 0..6, or -1.
int SlotToken(int n, const std::string& payload) {
    const auto value = ParseInt(Token(n, payload));
    return value && *value >= 0 && *value <= MaxSlots ? *value : -1;
}

std::string PlaysOrWatches(const std::string& name, int slot) {
    return StyleCode("12") + "*** " + StyleCode("01") + name + kStyleEnd +
           (slot > 0 ? " is now playing" : " is now watching");
}

void Countdown(const std::string& payload) {
    const auto seconds = ParseInt(Token(1, payload));
    if (!seconds) {
        return;
    }
    const int s = *seconds;
    if (s <= -1) {
        GameHost().RoomChat(StyleCode("15") + "*** Cancelled countdown, not enough players!");
        return;
    }
    const std::string t = CountdownText(s);
    if (s == Settings.rules.startvotesec) {
        GameHost().RoomChat(StyleCode("15") +
                            "*** Most players are ready to play, starting game in " + t + "!");
        GameHost().PlaySound("votestart");
        return;
    }
    std::string line = StyleCode("15") + "*** Game will begin in " + t + ".";
    const bool remind = !ClientState.game.Spectating && !GameHost().OwnPlayerReady();
    if (remind) {
        line += "  " + StyleCode("01") + "Click the red icon next to your name to play!";
    }
    GameHost().RoomChat(line);
    if (remind) {
        GameHost().PlaySound("voting");
    }
}

// The show flag is the payload's first byte; the text follows it directly.
void RoomMessage(const std::string& payload) {
    Settings.rules.RoomMotd = payload.empty() ? std::string() : payload.substr(1);
    if (payload.empty() || payload[0] != '1') {
        return;
    }
    const std::string& text = Settings.rules.RoomMotd;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!(line.empty() && end == text.size())) {
            GameHost().ShowRoomMessageLine(DecodeEscapes(line));
        }
        start = end + 1;
    }
}

void SlotTeam(const std::string& payload) {
    const int slot = SlotToken(1, payload);
    if (slot <= 0 || SlotPlayers[slot] == nullptr) {
        return;
    }
    SlotPlayers[slot]->TeamName = Token(2, payload);
    GameHost().RepaintPlayerList();
    GameHost().RedrawField(slot);
}

void Arrival(const std::string& payload, bool announce) {
    const int slot = SlotToken(1, payload);
    const std::string name = Token(2, payload);
    if (slot < 0 || name.empty() || FindPlayer(name) != nullptr ||
        (slot > 0 && SlotPlayers[slot] != nullptr)) {
        AddLogLine("Ignored arrival of " + name + " in slot " + Token(1, payload));
        return;
    }
    tclient* player = AddPlayer(name);
    player->TeamName = Token(3, payload);
    SeatPlayer(*player, slot);
    if (announce) {
        GameHost().GameHistory(TimeStamp() + "Join: " + name);
        GameHost().RoomChat(PlaysOrWatches(name, slot));
        if (slot > 0) {
            GameHost().RefreshDisplay();
            if (ClientState.game.GameRunning) {
                CallRoomHandler(MsgPlayerOut, std::to_string(slot));
            }
        }
    }
    GameHost().RefreshPlayerList();
}

void OperatorRights(const std::string& payload) {
    ClientState.game.RoomOperators = payload;
    GameHost().SetUIState(uiOperator, true);
    GameHost().RepaintPlayerList();
}

void TeamChange(const std::string& payload) {
    const std::string name = Token(1, payload);
    const std::string team = Token(2, payload);
    tclient* player = FindPlayer(name);
    if (player == nullptr || player->TeamName == team) {
        return;
    }
    player->TeamName = team;
    if (player->slot > 0) {
        GameHost().RedrawField(player->slot);
    }
    const std::string who = StyleCode("11") + "*** " + StyleCode("01") + name + kStyleEnd;
    GameHost().RoomChat(team.empty() ? who + " is now alone"
                                     : who + " is now on team " + StyleCode("01") + team);
    GameHost().RepaintPlayerList();
}

void Leaving(const std::string& payload) {
    const std::string name = Token(1, payload);
    const std::string kicker = Token(2, payload);
    const std::string message = Token(3, payload);
    tclient* player = FindPlayer(name);
    if (player == nullptr) {
        return;
    }
    const bool own = player == ClientState.game.OwnPlayer;
    const std::string who = StyleCode("12") + "*** " + StyleCode("01") + name + kStyleEnd;
    if (message.empty()) {
        GameHost().GameHistory(TimeStamp() + "Left: " + name);
        GameHost().RoomChat(who + " has left");
        RemovePlayer(player);
        // The list must not keep a row for the player just freed.
        GameHost().RefreshPlayerList();
        return;
    }
    const std::string note = " (Message: " + message + ")";
    if (!kicker.empty()) {
        GameHost().GameHistory(TimeStamp() + "Kicked: " + name + " by " + kicker + note);
        GameHost().RoomChat(who + " has been kicked by " + kicker + note);
    } else {
        GameHost().GameHistory(TimeStamp() + "Kicked: " + name + note);
        GameHost().RoomChat(who + " has been kicked" + note);
    }
    RemovePlayer(player);
    GameHost().RefreshPlayerList();
    if (own) {
        GameHost().ShowMessage(kicker.empty() ? "You have been kicked with message: " + message
                                              : "You have been kicked by " + kicker +
                                                    " with message: " + message);
    }
}

void AverageLevel(const std::string& payload) {
    ClientState.game.AverageLevel = ParseInt(Token(1, payload)).value_or(0);
    GameHost().RefreshDisplay();
}

void FieldDifference(const std::string& payload) {
    const int slot = SlotToken(1, payload);
    const std::size_t sep = payload.find(Sep);
    if (slot <= 0 || sep == std::string::npos || SlotPlayers[slot] == nullptr ||
        !SlotPlayers[slot]->plr) {
        return;
    }
    DecodeFieldDiff(SlotPlayers[slot]->plr->field, payload.substr(sep + 1));
    GameHost().RedrawField(slot);
}

void ServerSpecial(std::uint8_t type, const std::string& payload) {
    const auto slot = ParseInt(Token(2, payload));
    if (!slot || *slot < 0 || *slot > MaxSlots) {
        return;
    }
    QueueServerSpecial(type, Token(1, payload), *slot, RestFromToken(3, payload, Sep));
}

}  // namespace

std::string CountdownText(int seconds) {
    const int m = seconds / 60;
    const int r = seconds % 60;
    if (m > 0 && r > 0) {
        return StyleCode("01") + std::to_string(m) + "min " + std::to_string(r) + "sec" + kStyleEnd;
    }
    if (m > 0) {
        return StyleCode("01") + std::to_string(m) + "min" + kStyleEnd;
    }
    return StyleCode("01") + std::to_string(r) + "sec" + kStyleEnd;
}

void SetRoomHandler(std::uint8_t type, RoomHandler handler) {
    if (handler) {
        Handlers()[type] = std::move(handler);
    } else {
        Handlers().erase(type);
    }
}

bool HasRoomHandler(std::uint8_t type) {
    return Handlers().count(type) != 0;
}

void InitRoomHandlers() {
    const auto own = [](std::uint8_t type, RoomHandler handler) {
        if (!HasRoomHandler(type)) {
            SetRoomHandler(type, std::move(handler));
        }
    };
    own(0x23, Countdown);
    own(0x19, RoomMessage);
    own(0x1d, [](const std::string& payload) { Settings.rules.BanList = payload; });
    own(0x06, SlotTeam);
    own(0x0d, [](const std::string& payload) { Arrival(payload, true); });
    own(0x07, [](const std::string& payload) { Arrival(payload, false); });
    own(0x25, OperatorRights);
    own(0x0e, TeamChange);
    own(0x18, Leaving);
    own(0x0a, AverageLevel);
    own(0x08, FieldDifference);
    own(0x17, RoomMsgStartGame);
    own(0x0b, RoomMsgInGame);
    own(0x0c, RoomMsgPause);
    own(0x0f, RoomMsgEndGame);
    own(0x1b, RoomMsgPlayerLost);
    own(0x09, RoomMsgPlayerOut);
    own(0x24, RoomMsgMoveSlot);
    own(0x04, RoomMsgSlotValues);
    own(0x1a, AcknowledgementMessage);
    own(0x26, UsageConfirmationMessage);
    own(MsgOwnSpecialEcho,
        [](const std::string& payload) { ServerSpecial(MsgOwnSpecialEcho, payload); });
    own(MsgSpecialAtOwnField,
        [](const std::string& payload) { ServerSpecial(MsgSpecialAtOwnField, payload); });
    own(0x03, [](const std::string& payload) {
        RoomHost& room = Room();
        ServerTextTargets to{room, room, room, RecentPrivateNames};
        ShowServerMessage(payload, to);
    });
    own(0x22, [](const std::string& payload) {
        const std::string name = GameSettingsMessage(payload);
        if (!name.empty()) {
            GameLink.GameName = name;
        }
    });
    own(0x11, RoomMsgOtherSpecial);
    own(0x21, RoomMsgViewedSlot);
    own(MsgReadyFlags, SetReadyFlags);
    own(MsgGameStats, ShowLastGameStats);
}

bool CallRoomHandler(std::uint8_t type, const std::string& payload) {
    auto& table = Handlers();
    const auto it = table.find(type);
    if (it == table.end()) {
        return false;
    }
    // A copy: the handler may replace itself.
    const RoomHandler handler = it->second;
    handler(payload);
    return true;
}

void GameRoomDispatch(std::uint8_t type, const std::string& payload) {
    if (!CallRoomHandler(type, payload)) {
        GameDisconnect();
        AddLogLine("Error with command " + std::to_string(type));
    }
}

void GameJoinDispatch(std::uint8_t type, const std::string& payload) {
    const int slot = SlotToken(1, payload);
    const std::string name = Token(2, payload);
    if (type != MsgJoin || slot < 0 || name.empty()) {
        AddLogLine("Unexpected join reply " + std::to_string(type));
        FailJoin();
        return;
    }
    tmegame& game = ClientState.game;
    tclient* own = FindPlayer(name);
    if (own == nullptr) {
        own = AddPlayer(name);
    }
    own->TeamName = Token(3, payload);
    SeatPlayer(*own, slot);
    game.OwnSlot = slot > 0 ? slot : 1;
    game.OwnPlayer = own;
    game.Spectating = slot == 0 ? 1 : 0;
    game.GameLinkState = LinkInRoom;

    GameHost().RefreshPlayerList();
    GameHost().RefreshDisplay();
    GameHost().ClearRoomChat();
    GameHost().GameHistory(TimeStamp() + " Join: " + name);
    const auto joined = GameHost().JoinedGame();
    if (joined.known) {
        GameHost().RoomChat(StyleCode("14") + "*** You have joined the game " + StyleCode("01") +
                            joined.name + kStyleEnd + " created by " + StyleCode("01") +
                            joined.creator + kStyleEnd + " on server " + StyleCode("01") +
                            joined.server + kStyleEnd + "!");
    }
    GameHost().RoomChat(PlaysOrWatches(name, slot));
    GameHost().LobbyJoinResult(true);
    GameHost().SetUIState(uiGameLink, true);
    GameHost().PlaySound("zrstart");
    GameLink.GameSendKey.state = KeyMix(GameLink.GameSeedValue, GameLink.GameSendKey.state);
}

void DecodeFieldDiff(std::string& field, const std::string& bits) {
    const auto cells = static_cast<std::size_t>(FieldWidth) * static_cast<std::size_t>(FieldHeight);
    field.resize(cells, '0');
    int position = 0;
    if (ReadBits(bits, position, 1) == 0) {
        field.assign(cells, '0');
    }
    for (int row = 0; row < FieldHeight; ++row) {
        if (ReadBits(bits, position, 1) == 0) {
            continue;
        }
        for (int column = 0; column < FieldWidth; ++column) {
            if (ReadBits(bits, position, 1) == 0) {
                continue;
            }
            const std::uint32_t v = ReadBits(bits, position, 5);
            field[static_cast<std::size_t>(row * FieldWidth + column)] =
                v >= 1 && v <= BlockAlphabet.size() ? BlockAlphabet[v - 1] : '0';
        }
    }
}

}  // namespace pk
