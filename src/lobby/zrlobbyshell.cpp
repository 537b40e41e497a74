#include "lobby/zrlobbyshell.h"

#include "game/zrgame.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyjoin.h"
#include "lobby/zrlobbylink.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrlobbymodel.h"
#include "shell/zrconfig.h"

namespace pk {

void TLobbyShellPart::CreateLobbyState() {
    const tsbserver server = ClientState.lobby.server;
    ResetLobby();
    ClientState.lobby.server = server;
    BindLobbySocket();
}

void TLobbyShellPart::CreateRegionList() {
    SbRegions.clear();
}

void TLobbyShellPart::SetMasterServer(const std::string& host, int port) {
    ClientState.lobby.server.host = host;
    ClientState.lobby.server.port = port;
}

int TLobbyShellPart::LobbyLinkState() const {
    return ClientState.lobby.LobbyLinkState;
}

void TLobbyShellPart::LobbyDisconnect(bool retry) {
    pk::LobbyDisconnect(retry);
}

void TLobbyShellPart::ApplyConfig(const TConfig& config) {
    const TConfigLobby& c = config.lobby;
    ClientState.account.AccountName = config.accountname;
    ClientState.account.Password = config.accountpass;
    tlobbyoptions& o = Settings.lobby;
    o.findgamests = c.findgamests;
    o.showjoinsparts = c.showjoinsparts;
    o.minimizebrb = c.minimizebrb;
    o.concurrentpings = c.concurrentpings;
    o.pingtries = c.pingtries;
    o.idlebrb = c.idlebrb;
    o.idleaway = c.idleaway;
    o.idlesleeping = c.idlesleeping;
    tmesb& sb = ClientState.lobby;
    sb.ShowFriends = c.showfriends;
    sb.ShowUsers = c.showusers;
    sb.ShowIgnore = c.showignore;
    sb.RoomName = c.room;
    sb.RoomKey = c.roomkey;
    sb.OwnSavedStatus = static_cast<std::uint8_t>(c.state);
    sb.OwnProfile = c.profile;
    for (const std::string& name : c.friends) {
        NewFriend(name);
    }
    for (const std::string& name : c.ignored) {
        NewIgnored(name);
    }
}

void TLobbyShellPart::GatherConfig(TConfig& config) {
    TConfigLobby& c = config.lobby;
    config.accountname = ClientState.account.AccountName;
    const tlobbyoptions& o = Settings.lobby;
    c.findgamests = o.findgamests;
    c.showjoinsparts = o.showjoinsparts;
    c.minimizebrb = o.minimizebrb;
    c.concurrentpings = o.concurrentpings;
    c.pingtries = o.pingtries;
    c.idlebrb = o.idlebrb;
    c.idleaway = o.idleaway;
    c.idlesleeping = o.idlesleeping;
    const tmesb& sb = ClientState.lobby;
    c.showfriends = sb.ShowFriends;
    c.showusers = sb.ShowUsers;
    c.showignore = sb.ShowIgnore;
    c.room = sb.RoomName;
    c.roomkey = sb.RoomKey;
    c.state = sb.OwnSavedStatus;
    c.profile = sb.OwnProfile;
    c.awaymsg = sb.AwayMessage;
    c.friends.clear();
    for (const auto& user : LobbyModel.friends.Items()) {
        c.friends.push_back(user->name);
    }
    c.ignored.clear();
    for (const auto& user : LobbyModel.ignored.Items()) {
        c.ignored.push_back(user->name);
    }
}

void TLobbyShellPart::FreeLobbyState() {
    SbRegions.clear();
    LobbyModel.friends.Clear();
    LobbyModel.ignored.Clear();
}

void TLobbyShellPart::JoinResult(bool joined) {
    JoinGameResult(joined);
}

void TLobbyShellPart::NoteActivity() {
    pk::NoteActivity();
}

GameLinkHost::JoinedGameInfo TLobbyShellPart::JoinedGame() {
    return LobbyJoinedGameInfo();
}

void TLobbyShellPart::GameLinkClosed() {
    LobbyGameLinkClosed();
}

int TLobbyShellPart::OwnStatus() const {
    const tSbUser* own = OwnUser();
    return own ? own->status : 1;
}

void TLobbyShellPart::SendOwnStatus(int status) {
    LobbySend(LobbyMsgOwnStatus, std::to_string(status));
}

void TLobbyShellPart::RequestPlayerDetails(const std::string& name) {
    pk::RequestPlayerDetails(name, false, true, false);
}

void TLobbyShellPart::LobbyChatLine(const std::string& line) {
    AddLobbyChat(line);
}

}  // namespace pk
