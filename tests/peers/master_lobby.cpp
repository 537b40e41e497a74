// The master server's answers to the lobby's requests, as a real server gives them: rooms
// joined and created with their users, games and topic, games joined and created with their
// game sets, chat and slash commands told to the room, and player details and statistics
// from what the server knows of the player. Built from the server's own literals; only the
// record codec is shared with the client.
#include <algorithm>

#include "core/zrgameset.h"
#include "core/zrmisc.h"
#include "core/zrxsettings.h"
#include "peers/master_server.h"

namespace pk::peers {

namespace {

constexpr char kField = '\x02';
constexpr char kRecord = '\x01';

std::string Join(std::initializer_list<std::string> fields) {
    return JoinLobbyFields(fields);
}

std::string N(int value) {
    return std::to_string(value);
}

// The lines "/help" answers, each an information line of the server's own.
const char* const kHelpLines[] = {
    "Commands: /p <name> <text> sends a private message, /r <text> answers the last one",
    "/me <text> acts, /whois <name> shows a player's details, /ok accepts an invitation",
    "/addfriend <name>, /ignore <name> and /clear work in your own client",
};

// The region of a create request by its id: the least busy (the first) for 0.
std::string RegionName(const MasterScript& s, int id) {
    for (const std::string& record : s.regions) {
        if (id == 0 || ParseInt(TokenAt(1, record, kField)).value_or(-1) == id) {
            return TokenAt(2, record, kField);
        }
    }
    return "Local";
}

}  // namespace

std::vector<std::string> MasterServerSession::RoomUsers(int roomId) const {
    const MasterScript& s = server_.script;
    std::vector<std::string> users;
    for (const auto& session : server_.sessions_) {
        if (session->phase_ == Phase::Framed && session->conn_.IsOpen() &&
            session->roomId_ == roomId) {
            users.push_back(MasterUserRecord(session->Account(), s.privilege, session->status_));
        }
    }
    if (roomId == s.roomId) {
        users.insert(users.end(), s.users.begin(), s.users.end());
    }
    return users;
}

std::vector<std::string> MasterServerSession::RoomGames(int roomId) const {
    const MasterScript& s = server_.script;
    std::vector<std::string> games;
    if (roomId == s.roomId) {
        games = s.games;
    }
    for (const auto& game : server_.createdGames_) {
        if (game.roomId == roomId) {
            games.push_back(game.record);
        }
    }
    return games;
}

void MasterServerSession::ToRoom(int roomId, std::uint8_t code, const std::string& payload) {
    for (const auto& session : server_.sessions_) {
        if (session.get() != this && session->phase_ == Phase::Framed && session->conn_.IsOpen() &&
            session->roomId_ == roomId) {
            session->SendFrame(code, payload);
        }
    }
}

void MasterServerSession::HandOverGame(int gameId) {
    // The client hands its send key as it stands after the request to the game link; ours
    // has read the same bytes.
    if (server_.OnGameKey) {
        server_.OnGameKey(recvKey_.state);
    }
    const MasterScript& s = server_.script;
    SendFrame(LobbyMsgJoinGameNow, Join({N(gameId), s.gameHost, N(s.gamePort)}));
}

void MasterServerSession::CreateGame(const LobbyFrame& frame) {
    const MasterScript& s = server_.script;
    // Region id, game-set name, then the set's stored form: its bytes may hold 0x02, so it is
    // everything from the third field on.
    const int region = ParseInt(TokenAt(1, frame.payload, kField)).value_or(0);
    const std::string setName = TokenAt(2, frame.payload, kField);
    const std::string setData = RestFromToken(3, frame.payload, kField);
    TGameSet set;
    if (!set.LoadFromCompressed(setData)) {
        set.Reset();
    }
    const int maxPlayers = set.GetInt("maxp");
    const int maxSpectators = set.GetInt("maxs");
    const int id = server_.nextGameId_++;
    const std::string regionName = RegionName(s, region);
    server_.createdGames_.push_back({id, roomId_,
                                     MasterGameRecord(id, false, maxPlayers, maxSpectators, 1, 0,
                                                      Account(), setName, regionName, 1),
                                     setData});
    const std::string added =
        Join({N(id), "0", N(maxPlayers), N(maxSpectators), Account(), setName, regionName});
    SendFrame(LobbyMsgGameAdded, added);
    ToRoom(roomId_, LobbyMsgGameAdded, added);
    if (server_.OnGameCreated) {
        server_.OnGameCreated(id, setName, setData);
    }
    HandOverGame(id);
}

void MasterServerSession::JoinRoom(int roomId) {
    const MasterScript& s = server_.script;
    if (roomId_ != 0 && roomId_ != roomId) {
        ToRoom(roomId_, LobbyMsgUserLeft, Account());
    }
    roomId_ = roomId;
    SendFrame(LobbyMsgJoinedRoom, Join({N(roomId), N(s.privilege), N(status_)}));
    SendFrame(LobbyMsgRoomUsers, MasterList(RoomUsers(roomId)));
    SendFrame(LobbyMsgGames, MasterList(RoomGames(roomId)));
    SendFrame(LobbyMsgRoomProperties,
              Join({roomId == s.roomId ? s.topic : std::string(), "", "0"}));
    ToRoom(roomId, LobbyMsgUserJoined, MasterUserRecord(Account(), s.privilege, status_));
}

void MasterServerSession::Command(const std::string& name, const std::string& text) {
    const auto chat = [&](int code, const std::string& args) {
        const std::string line = MasterServerText('c', code, true, false, false, args);
        SendFrame(LobbyMsgServerText, line);
        ToRoom(roomId_, LobbyMsgServerText, line);
    };
    const auto info = [&](int code, const std::string& args) {
        SendFrame(LobbyMsgServerText, MasterServerText('i', code, true, false, false, args));
    };
    if (name == "\x1e") {
        chat(0, Account() + kField + text);
    } else if (name == "me") {
        chat(1, Account() + kField + text);
    } else if (name == "help") {
        for (const char* line : kHelpLines) {
            info(0, line);
        }
    } else if (name == "p") {
        // To a connected player, or to one of the script's users (who never answer).
        const std::string to = WordAt(1, text);
        const std::string message = RestFromWord(2, text);
        std::string found;
        for (const std::string& user : server_.script.users) {
            if (SameText(TokenAt(1, user, kField), to)) {
                found = TokenAt(1, user, kField);
            }
        }
        for (const auto& session : server_.sessions_) {
            if (session->phase_ == Phase::Framed && session->conn_.IsOpen() &&
                SameText(session->Account(), to)) {
                found = session->Account();
                session->SendFrame(
                    LobbyMsgServerText,
                    MasterServerText('c', 2, true, false, false, Account() + kField + message));
            }
        }
        if (found.empty()) {
            info(2, "");
        } else {
            SendFrame(LobbyMsgServerText,
                      MasterServerText('c', 18, true, false, false, found + kField + message));
        }
    } else {
        info(10, name);
    }
}

void MasterServerSession::SendPlayerDetails(const std::string& name) {
    const MasterScript& s = server_.script;
    MasterScript::Pairs details = {{"nickname", name}, {"online", "0"}};
    const auto online = [&](int status, int roomId, const std::string& away,
                            const std::string& profile) {
        details = {{"online", "1"}, {"nickname", name}, {"state", N(status)}, {"roomid", N(roomId)},
                   {"gameid", "0"}, {"awaymsg", away},  {"profile", profile}};
    };
    for (const std::string& user : s.users) {
        if (SameText(TokenAt(1, user, kField), name)) {
            online(ParseInt(TokenAt(3, user, kField)).value_or(1), s.roomId, "", "");
        }
    }
    for (const auto& session : server_.sessions_) {
        if (session->phase_ == Phase::Framed && session->conn_.IsOpen() &&
            SameText(session->Account(), name)) {
            online(session->status_, session->roomId_, session->awayMessage_, session->profile_);
        }
    }
    SendFrame(LobbyMsgPlayerDetails, MasterRecord(details));
}

void MasterServerSession::SendPlayerStats(const std::string& name) {
    // One table: the games the server has seen the player play (none yet).
    TXSettings table;
    table.SetValue("title", "Games");
    table.SetValue("top", "1");
    table.SetValue("keys", std::string("Played") + kRecord + "Won" + kRecord + "Lines");
    table.SetValue("0", std::string("0") + kRecord + "0" + kRecord + "0");
    SendFrame(LobbyMsgPlayerStats, name + kField + MasterRecord({{"0", table.SaveToString()}}));
}

void MasterServerSession::Answer(const LobbyFrame& frame) {
    const MasterScript& s = server_.script;
    const auto field = [&frame](int n) { return TokenAt(n, frame.payload, kField); };
    if (MasterAnswerDialogRequest(*this, s, frame)) {
        return;
    }
    switch (frame.code) {
        case LobbyMsgPong:
            ++pongs_;
            break;
        case LobbyMsgFriends: {
            std::vector<std::string> online;
            for (const auto& f : s.onlineFriends) {
                for (int i = 1; i <= TokenCount(frame.payload, kRecord); ++i) {
                    if (SameText(TokenAt(i, frame.payload, kRecord), f.name)) {
                        online.push_back(Join({f.name, N(f.status), N(f.roomId)}));
                    }
                }
            }
            SendFrame(LobbyMsgFriendsOnline, MasterList(online));
            break;
        }
        case LobbyMsgAskRegions:
            SendFrame(LobbyMsgRegions, MasterList(s.regions));
            break;
        case LobbyMsgJoinGame: {  // join game: its game set first
            const int id = ParseInt(field(1)).value_or(0);
            const auto created =
                std::find_if(server_.createdGames_.begin(), server_.createdGames_.end(),
                             [id](const auto& game) { return game.id == id; });
            SendFrame(
                LobbyMsgGameSet,
                field(1) + kField +
                    (created != server_.createdGames_.end() ? created->setData : s.gameSetRules));
            break;
        }
        case LobbyMsgJoinGameOnServer:
            HandOverGame(ParseInt(field(1)).value_or(0));
            break;
        case LobbyMsgCreateGame:
            CreateGame(frame);
            break;
        case LobbyMsgCommand:
            Command(field(1), RestFromToken(2, frame.payload, kField));
            break;
        case LobbyMsgOwnStatus: {  // own status, told to the room
            status_ = ParseInt(frame.payload).value_or(status_);
            const std::string changed = Join({Account(), N(s.privilege), frame.payload});
            SendFrame(LobbyMsgUserChanged, changed);
            ToRoom(roomId_, LobbyMsgUserChanged, changed);
            break;
        }
        case LobbyMsgJoinRoom:
            JoinRoom(ParseInt(field(1)).value_or(0));
            break;
        case LobbyMsgCreateRoom: {  // create room: listed for everyone, and its creator moves in
            const int id = server_.nextRoomId_++;
            server_.script.rooms.push_back(MasterRoomRecord(id, false, 1, frame.payload));
            SendFrame(LobbyMsgRoomAdded, Join({N(id), frame.payload}));
            for (const auto& session : server_.sessions_) {
                if (session.get() != this && session->phase_ == Phase::Framed &&
                    session->conn_.IsOpen()) {
                    session->SendFrame(LobbyMsgRoomAdded, Join({N(id), frame.payload}));
                }
            }
            JoinRoom(id);
            break;
        }
        case LobbyMsgAskDetails:
            SendPlayerDetails(frame.payload);
            break;
        case LobbyMsgAskStats:  // player statistics
            SendPlayerStats(frame.payload);
            break;
        case LobbyMsgProfile:  // the own profile, asked for with 32
            profile_ = frame.payload;
            break;
        case LobbyMsgAwayMessage:  // the own away message
            awayMessage_ = frame.payload;
            break;
        default:
            break;
    }
}

}  // namespace pk::peers
