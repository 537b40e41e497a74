#pragma once
// A scripted game server for loopback tests and for trying the client by hand.
// It speaks the server side of the game link with the client's own codec:
// the login line and its "ok"/"update"/"error" reply, the seed and the
// transcript, the join reply, frames both ways and field differences.
//
// Default behaviour answers a normal client: "ok", a seed, a join reply that
// puts the player into slot 1. Tests change any step through the options and
// callbacks, or drive a session by hand with the Send* calls. Frames from the
// client are recorded per session and handed to OnFrame.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/zrscramble.h"
#include "peers/game_server_play.h"
#include "peers/loopback.h"

namespace pk::peers {

struct GameFrame {
    std::uint8_t type = 0;
    std::string payload;
};

class GameServerSession {
public:
    enum class Phase { Login, AwaitReply, Room, Closed };

    explicit GameServerSession(PeerConnection& conn) : conn_(conn) {}

    // Text phase: a line with CR LF appended; raw bytes as they are.
    void SendLine(const std::string& text);
    void SendRaw(const std::string& bytes);
    // Sends four seed bytes and sets up both keys from them.
    void SendSeed(const std::string& seed);
    // A whole scrambled frame.
    void SendFrame(std::uint8_t type, const std::string& payload);
    // A frame scrambled as usual but written in pieces of `chunk` bytes
    // (each piece a separate send).
    void SendFrameInPieces(std::uint8_t type, const std::string& payload, std::size_t chunk);
    // The scrambled bytes of a frame with a length field of our choosing.
    std::string ScrambleFrame(std::uint16_t length, const std::string& body);
    // The join reply: slot (0 = watching), name, team.
    void SendJoined(int slot, const std::string& name, const std::string& team);
    // Starts a game (message 0x17) and the server's record of the player's game.
    void StartGame(const std::string& tokens, std::int32_t seedA, std::int32_t seedB);

    // The player's game as the server keeps it; answers pieces when the
    // server acknowledges them (GameServerPeer::Options::acknowledge).
    ServerOwnGame Game;

    Phase phase() const { return phase_; }
    const std::string& LoginLine() const { return loginLine_; }
    const std::vector<GameFrame>& Frames() const { return frames_; }
    PeerConnection& Connection() { return conn_; }
    // The lobby key and server address the client mixes in while the lobby
    // link is up (UseLobbyKey false: the client mixes its receive key).
    bool UseLobbyKey = false;
    std::uint32_t LobbyKey = 0;
    std::string AddressSeenByClient = "127.0.0.1";
    // A server open to everyone cannot tell whether a client is logged in to a lobby: with
    // this set, the join reply is read with whichever of the two send keys decodes it.
    bool AcceptEitherKey = false;

    // Feeds received bytes through the phases; called by the server.
    void Receive();

    std::function<void(GameServerSession&, const std::string& line)> OnLogin;
    std::function<void(GameServerSession&, const GameFrame& reply)> OnSeedReply;
    std::function<void(GameServerSession&, const GameFrame& frame)> OnFrame;

private:
    // Settles which candidate key reads the join reply; false while neither can tell yet.
    bool ChooseReplyKey(const std::string& inbox);

    PeerConnection& conn_;
    Phase phase_ = Phase::Login;
    std::string loginLine_;
    std::string transcript_;
    TScrambleKey sendKey_;       // server to client
    TScrambleKey recvKey_;       // client to server
    TScrambleKey otherRecvKey_;  // the other candidate while AcceptEitherKey waits for a reply
    TFrameReader reader_;
    std::uint32_t seedValue_ = 0;
    std::vector<GameFrame> frames_;
};

class GameServerPeer {
public:
    struct Options {
        std::string loginReply = "ok";          // "" sends nothing
        std::string seed = "\x5a\x13\xc4\x07";  // "" sends no seed
        bool autoJoin = true;
        int joinSlot = 1;
        std::string joinTeam;
        // Answer every reported piece (0x19) with its acknowledgement (0x1a),
        // handing out `ackTokens` each time, at level `level`.
        bool acknowledge = true;
        std::string ackTokens = "102022222";
        int level = 1;
        // The room's game set in its stored (compressed) form: the rules every player's game
        // is answered by, and sent (0x22, under `gameSetName`) after the join reply. Empty: the
        // rules of a fresh game set, and nothing sent.
        std::string gameSet;
        std::string gameSetName = "Default";
    };

    GameServerPeer();
    ~GameServerPeer();
    bool Listen(std::uint16_t port = 0);
    std::uint16_t Port() const { return listener_.Port(); }

    Options options;
    // Called for each new session before any byte is read.
    std::function<void(GameServerSession&)> OnSession;
    // Called for every frame a client sends after it joined.
    std::function<void(GameServerSession&, const GameFrame&)> OnFrame;

    std::vector<std::unique_ptr<GameServerSession>>& Sessions() { return sessions_; }
    GameServerSession* Last() { return sessions_.empty() ? nullptr : sessions_.back().get(); }

private:
    LoopbackListener listener_;
    std::vector<std::unique_ptr<GameServerSession>> sessions_;
};

// Field difference bits: the whole field (mode 0) or the cells that differ
// from `before` (mode 1).
std::string EncodeFieldDiff(const std::string& field);
std::string EncodeFieldChanges(const std::string& before, const std::string& after);

}  // namespace pk::peers
