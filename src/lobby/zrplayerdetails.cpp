#include "lobby/zrplayerdetails.h"

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "core/zrxsettings.h"
#include "game/zrgame.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyfields.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbyjoin.h"
#include "lobby/zrlobbylink.h"
#include "lobby/zrlobbymodel.h"
#include "lobby/zrstatuslist.h"
#include "room/zrgamelink.h"

namespace pk {

namespace {

tmesb& Sb() {
    return ClientState.lobby;
}

int OwnPrivilege() {
    const tSbUser* own = OwnUser();
    return own ? static_cast<int>(own->privilege) : static_cast<int>(privNormal);
}

}  // namespace

TProfile LoadProfile(const std::string& compressed) {
    TProfile profile;
    TXSettings record;
    if (compressed.empty() || !record.LoadFromCompressed(compressed)) {
        return profile;
    }
    for (std::size_t i = 0; i < ProfileFields.size(); ++i) {
        profile[i] = record.GetValue(ProfileKey(i));
    }
    return profile;
}

std::string SaveProfile(const TProfile& profile) {
    TXSettings record;
    for (std::size_t i = 0; i < ProfileFields.size(); ++i) {
        record.SetValue(ProfileKey(i), profile[i]);
    }
    return record.SaveToCompressed();
}

bool ParsePlayerDetails(const std::string& payload, TPlayerDetailsReply& reply) {
    reply = {};
    TXSettings record;
    if (!record.LoadFromCompressed(payload)) {
        AddLogLine("Player details: the payload does not inflate");
        return false;
    }
    reply.online = record.GetByte("online", 0) != 0;
    reply.nickname = record.GetValue("nickname");
    reply.state = record.GetInt("state", 0);
    reply.roomId = record.GetInt("roomid", 0);
    reply.gameId = record.GetInt("gameid", 0);
    reply.gameName = record.GetValue("gamename");
    reply.creator = record.GetValue("creator");
    reply.awayMessage = record.GetValue("awaymsg");
    reply.profile = record.GetValue("profile");
    return true;
}

std::optional<std::string> PlayerStateText(std::int32_t state) {
    switch (state) {
        case 0:
            return "Player is in a game";
        case 1:
            return "Player is active";
        case 2:
            return "Player is away";
        case 3:
            return "Player will be right back";
        case 4:
            return "Player is sleeping";
        default:
            return std::nullopt;
    }
}

TPlayerDetailsView ShowPlayerDetails(const TPlayerDetailsReply& reply) {
    TPlayerDetailsView view;
    tmesb& sb = Sb();
    sb.DetailsPlayer = reply.nickname;
    view.caption = "Player Details - " + reply.nickname;
    if (const tSbRoom* room = reply.roomId != 0 ? FindRoom(reply.roomId) : nullptr) {
        view.roomLabel = "In " + room->name;
        view.joinRoomVisible = LobbyModel.currentRoom && LobbyModel.currentRoom->roomId != room->id;
        sb.DetailsRoomId = room->id;
    } else {
        view.roomLabel = reply.online ? "In a private room" : "Not connected";
        sb.DetailsRoomId = 0;
    }
    const tSbGame* game = reply.gameId != 0 ? FindGame(reply.gameId) : nullptr;
    if (game) {
        view.gameLabel = "In " + game->name;
        view.gameCreator = "Created by " + game->creator;
        view.joinGameVisible = ClientState.game.JoinedGame != game;
        sb.ShownGameId = game->id;
    } else {
        if (!reply.gameName.empty()) {
            view.gameLabel = "In " + reply.gameName;
            view.gameCreator = "Created by " + reply.creator;
        } else {
            view.gameLabel = "Not in a game";
        }
        sb.ShownGameId = 0;
    }
    view.awayLabel = reply.online ? PlayerStateText(reply.state) : std::string();
    view.awayMessage = reply.awayMessage;
    view.profile = LoadProfile(reply.profile);
    return view;
}

bool ShowOwnDetails(TPlayerDetailsView& view) {
    const tSbRoom* room = CurrentRoomRecord();
    if (!LobbyModel.currentRoom) {
        return false;
    }
    view = {};
    view.own = true;
    view.caption = "Player Details - " + ClientState.account.AccountName;
    view.roomLabel = "In " + (room ? room->name : std::string());
    if (ClientState.game.GameLinkState == LinkInRoom) {
        if (const tSbGame* game = ClientState.game.JoinedGame) {
            view.gameLabel = "In " + game->name;
            view.gameCreator = "Created by " + game->creator;
        } else if (!GameLink.GameName.empty()) {
            // Joined straight on a game server: only the link knows the game's name.
            view.gameLabel = "In " + GameLink.GameName;
        } else {
            view.gameLabel = "Not in a game";
        }
    } else {
        view.gameLabel = "Not in a game";
    }
    const tSbUser* own = OwnUser();
    view.awayLabel =
        PlayerStateText(own ? static_cast<int>(own->status) : static_cast<int>(stActive));
    view.awayMessage = Sb().AwayMessage;
    view.profile = LoadProfile(Sb().OwnProfile);
    return true;
}

bool DetailsRoomNeedsKey() {
    const tSbRoom* room = FindRoom(Sb().DetailsRoomId);
    return room && room->flag != 0 && OwnPrivilege() != privAdministrator;
}

bool JoinDetailsRoomWithKey(bool asked, const std::string& key) {
    tmesb& sb = Sb();
    // Looked up again: the room may have gone while a key was asked for.
    const tSbRoom* room = sb.DetailsRoomId != 0 ? FindRoom(sb.DetailsRoomId) : nullptr;
    if (!room) {
        return false;
    }
    sb.RoomName = room->name;
    sb.RoomKey.clear();
    if (asked) {
        if (!IsValidRoomKey(key)) {
            return false;
        }
        sb.RoomKey = key;
        LobbySend(LobbyMsgJoinRoom, std::to_string(room->id) + LobbyFieldSep + key);
        return true;
    }
    LobbySend(LobbyMsgJoinRoom, std::to_string(room->id));
    return true;
}

bool JoinDetailsGame() {
    const std::int32_t id = Sb().ShownGameId;
    if (id == 0 || !FindGame(id)) {
        return false;
    }
    RequestJoinGame(id);
    return true;
}

void ClosePlayerDetails(bool own, bool applied, const TProfile& profile,
                        const std::string& awayMessage) {
    tmesb& sb = Sb();
    sb.DetailsPlayer.clear();
    sb.ShownGameId = 0;
    sb.DetailsRoomId = 0;
    if (!own || !applied) {
        return;
    }
    const bool connected = ClientState.lobby.LobbyLinkState == sbConnected;
    const std::string saved = SaveProfile(profile);
    if (profile != LoadProfile(sb.OwnProfile)) {
        sb.OwnProfile = saved;
        if (connected) {
            LobbySend(LobbyMsgProfileChanged, "");
        }
    }
    // An empty message is sent too, so that a player can clear the away message; any other
    // must be valid text.
    if (awayMessage != sb.AwayMessage && (awayMessage.empty() || IsValidText(awayMessage))) {
        sb.AwayMessage = awayMessage;
        if (connected) {
            LobbySend(LobbyMsgAwayMessage, awayMessage);
        }
    }
}

}  // namespace pk
