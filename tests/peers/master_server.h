#pragma once
// A scripted master server for loopback tests and for trying the client by hand. It speaks
// the server side of the lobby link with the client's own codec (scrambler, frames, key
// exchange): the text phase with any of its replies, the exchange, frames both ways, pings,
// and a script of rooms, users, games, regions, friends and chat. Joining or creating a game
// hands the game server's address to the client and the lobby key to `OnGameKey`, which a
// scripted game server takes to accept the client.
//
// Message payloads are built here from the server's own literals, independent of the client's
// dispatcher and its field layouts, so tests compare what the client made of them with bytes
// they wrote themselves; only the message codes are the client's (zrlobbylayout.h).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lobby/zrlobbylayout.h"
#include "net/zrscramble.h"
#include "peers/loopback.h"

namespace pk::peers {

struct LobbyFrame {
    std::uint8_t code = 0;
    std::string payload;
};

// Record builders (fields joined by 0x02), for scripts and tests.
std::string MasterRoomRecord(int id, bool keyed, int users, const std::string& name);
std::string MasterUserRecord(const std::string& name, int privilege, int status);
std::string MasterGameRecord(int id, bool defaultSet, int maxPlayers, int maxSpectators,
                             int players, int spectators, const std::string& creator,
                             const std::string& name, const std::string& region, int status);
std::string MasterRegionRecord(int id, const std::string& name, int games, int people,
                               const std::string& host, int port);
// Records joined by 0x01.
std::string MasterList(const std::vector<std::string>& records);
// A server text message: kind, 13-bit code, place bits, arguments.
std::string MasterServerText(char kind, int code, bool lobby, bool room, bool inGame,
                             const std::string& args);

// What the server tells a client after the welcome and answers to its requests.
struct MasterScript {
    // Welcome: number, own privilege and status, room id, key flag, user count, room name.
    std::int32_t welcomeNumber = 4242;
    int privilege = 3;
    int status = 1;
    int roomId = 1;
    int roomFlag = 0;
    int roomUsers = 1;
    std::string roomName = "Lobby";
    std::vector<std::string> rooms;    // MasterRoomRecord each
    std::vector<std::string> users;    // MasterUserRecord each
    std::vector<std::string> games;    // MasterGameRecord each
    std::vector<std::string> regions;  // MasterRegionRecord each
    // Friends that are online: name, status, room id (answered to the friends list).
    struct Friend {
        std::string name;
        int status = 1;
        int roomId = 1;
    };
    std::vector<Friend> onlineFriends;
    std::vector<std::string> chat;  // server text payloads sent after the lists
    std::string topic;
    std::string gameSetRules = "rules";  // the rule text answered to a join request (7)
    // Where games run.
    std::string gameHost = "127.0.0.1";
    int gamePort = 0;
    // The permanent status list's entries (MasterStatusEntry each), answered to 16 as 22.
    std::vector<std::string> statusList;
    // Player details (33) and statistics (34) by lower-cased nickname: the record's pairs,
    // sent compressed. A player without details gets the plain placeholder answers.
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    std::vector<std::pair<std::string, Pairs>> details;
    std::vector<std::pair<std::string, Pairs>> stats;
    // The user table behind "userdb": names, then rows; "SELECT <cols> FROM users WHERE
    // <key> LIKE '<value>'" picks the rows whose key column equals the value, anything else is
    // answered as an update of one row.
    std::vector<std::string> userColumns = {"name", "email"};
    std::vector<std::vector<std::string>> userRows;
};
// A status-list entry: id, kind, nickname, message, seconds.
std::string MasterStatusEntry(int id, int kind, const std::string& nickname,
                              const std::string& message, int seconds);
// A compressed key/value record.
std::string MasterRecord(const MasterScript::Pairs& pairs);
class MasterServerSession;
struct LobbyFrame;
// The answers of master_records.cpp; false when the request is not one of theirs.
bool MasterAnswerDialogRequest(MasterServerSession& session, const MasterScript& s,
                               const LobbyFrame& frame);

class MasterServerPeer;

class MasterServerSession {
public:
    enum class Phase { Login, AwaitReply, Exchange, Framed, Closed };

    MasterServerSession(PeerConnection& conn, MasterServerPeer& server)
        : conn_(conn), server_(server) {}

    // Text phase: a line with CR LF appended, into the transcript; "ok" starts the exchange.
    void SendLine(const std::string& text);
    void SendRaw(const std::string& bytes);
    // A whole scrambled frame, or one written in pieces of `chunk` bytes.
    void SendFrame(std::uint8_t code, const std::string& payload);
    void SendFrameInPieces(std::uint8_t code, const std::string& payload, std::size_t chunk);
    // The scrambled bytes of a frame with a length field of our choosing.
    std::string ScrambleFrame(std::uint16_t length, const std::string& body);
    // The welcome from the script, then the welcome number mixed into the send key.
    void SendWelcome();
    void SendWelcome(const std::string& payload, std::uint32_t welcomeNumber);
    // The script's rooms, users, games, properties and chat.
    void SendScript();
    void SendPing() { SendFrame(LobbyMsgPing, ""); }
    void Close() { conn_.Reset(); }

    Phase phase() const { return phase_; }
    const std::string& LoginLine() const { return loginLine_; }
    const std::vector<LobbyFrame>& Frames() const { return frames_; }
    int Pongs() const { return pongs_; }
    std::uint32_t ClientValue() const { return clientValue_; }
    // The running client-to-server key (the client's send key after the last frame read).
    std::uint32_t ClientKeyState() const { return recvKey_.state; }
    PeerConnection& Connection() { return conn_; }
    // The account logged in, the room it is in and its status, as the server keeps them.
    std::string Account() const;
    int RoomId() const { return roomId_; }
    int Status() const { return status_; }

    void Receive();

private:
    // The answers of master_lobby.cpp: a request as a real server takes it, told to everyone
    // it concerns.
    void Answer(const LobbyFrame& frame);
    void HandOverGame(int gameId);
    void CreateGame(const LobbyFrame& frame);
    void JoinRoom(int roomId);
    void Command(const std::string& name, const std::string& text);
    void SendPlayerDetails(const std::string& name);
    void SendPlayerStats(const std::string& name);
    // The records of a room's users and games as the server lists them now.
    std::vector<std::string> RoomUsers(int roomId) const;
    std::vector<std::string> RoomGames(int roomId) const;
    // A frame to every other framed session in a room.
    void ToRoom(int roomId, std::uint8_t code, const std::string& payload);

    PeerConnection& conn_;
    MasterServerPeer& server_;
    Phase phase_ = Phase::Login;
    std::string loginLine_;
    std::string transcript_;
    TScrambleKey sendKey_;  // server to client
    TScrambleKey recvKey_;  // client to server
    TFrameReader reader_;
    std::uint32_t clientValue_ = 0;
    std::vector<LobbyFrame> frames_;
    int pongs_ = 0;
    int roomId_ = 0;
    int status_ = 1;
    std::string awayMessage_;
    std::string profile_;
};

class MasterServerPeer {
public:
    struct Options {
        std::string loginReply = "ok";  // the reply line; "" answers nothing (a stall)
        bool acceptAndClose = false;    // reset every connection at once
        bool autoWelcome = true;        // welcome and script once the exchange is done
        bool answerRequests = true;     // answer joins, regions, friends, chat ...
        std::uint32_t serverValue = 0;  // exchange value; 0 picks one at random
    };

    MasterServerPeer();
    ~MasterServerPeer();
    bool Listen(std::uint16_t port = 0);
    std::uint16_t Port() const { return listener_.Port(); }
    int Accepted() const { return accepted_; }

    Options options;
    MasterScript script;
    // Called for each new session before any byte is read.
    std::function<void(MasterServerSession&)> OnSession;
    // Called for every frame a client sends, after the server's own answer.
    std::function<void(MasterServerSession&, const LobbyFrame&)> OnFrame;
    // The lobby key of a join or create request, for the game server.
    std::function<void(std::uint32_t key)> OnGameKey;
    // A game created from the lobby: its id, the game-set name and the set's stored form, told
    // before its creator is sent to the game server (which then plays by that set).
    std::function<void(int id, const std::string& setName, const std::string& setData)>
        OnGameCreated;

    std::vector<std::unique_ptr<MasterServerSession>>& Sessions() { return sessions_; }
    MasterServerSession* Last() { return sessions_.empty() ? nullptr : sessions_.back().get(); }

private:
    friend class MasterServerSession;
    // Rooms and games made while the server runs, beside the script's.
    struct CreatedGame {
        int id = 0;
        int roomId = 0;
        std::string record;  // MasterGameRecord
        std::string setData;
    };
    LoopbackListener listener_;
    std::vector<std::unique_ptr<MasterServerSession>> sessions_;
    std::vector<CreatedGame> createdGames_;
    int accepted_ = 0;
    int nextGameId_ = 900;
    int nextRoomId_ = 100;
};

}  // namespace pk::peers
