#include "room/zrgamelink.h"

#include <exception>
#include <memory>
#include <random>
#include <utility>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "core/zrversion.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "game/zrkey.h"
#include "game/zrowngame.h"
#include "net/zrsock.h"
#include "platform/winsock.h"
#include "room/zrroomchat.h"
#include "room/zrroomhost.h"
#include "room/zrservermsg.h"

namespace pk {

TGameLinkState GameLink;

namespace {

GameLinkHost defaultHost;
GameLinkHost* currentHost = &defaultHost;
std::unique_ptr<TZRSock> gameSock;

std::uint8_t& LinkState() {
    return ClientState.game.GameLinkState;
}

// The engine sends its messages through this.
class LinkSender final : public GameMessageSender {
public:
    void SendGameMessage(uint8_t type, const std::string& payload) override {
        pk::SendGameMessage(type, payload);
    }
};
LinkSender linkSender;

std::uint32_t RandomReplyNumber() {
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::uint32_t> pick(1u, 0xFFFFFFFFu);
    return pick(generator);
}

}  // namespace

void GameLinkHost::ShowMessage(const std::string& text) {
    Room().ShowMessage(text);
}
void GameLinkHost::SetUIState(int state, bool on) {
    Room().SetUIState(state, on);
}
void GameLinkHost::RoomChat(const std::string& line) {
    Room().PartylineAddLine(line);
}
void GameLinkHost::ClearRoomChat() {
    Room().ClearRoomChat();
}
void GameLinkHost::RefreshPlayerList() {
    Room().RefreshUserList();
}
void GameLinkHost::RepaintPlayerList() {
    Room().RepaintUserList();
}
void GameLinkHost::RedrawField(int slot) {
    Room().RedrawSlot(slot);
}
void GameLinkHost::ResetKeyState() {
    Room().ResetKeyTable(krActionIds);
}
std::string GameLinkHost::PlayerName() {
    return Room().AccountName();
}
bool GameLinkHost::LobbyLinkUp() {
    return Room().LobbyConnected();
}
void GameLinkHost::PlaySound(std::string_view name) {
    GameView().PlaySound(name);
}
void GameLinkHost::ShowRoomMessageLine(const std::string& line) {
    RoomHost& room = Room();
    ServerTextTargets to{room, room, room, RecentPrivateNames};
    FormatServerMessage('c', RoomMessageLineCode, false, line, false, true, to);
}
void GameLinkHost::RefreshDisplay() {
    GameView().RefreshDisplay(rfEverything, 0);
}

GameLinkHost& GameHost() {
    return *currentHost;
}

void SetGameLinkHost(GameLinkHost* host) {
    currentHost = host ? host : &defaultHost;
}

TZRSock& GameSock() {
    if (!gameSock) {
        gameSock = std::make_unique<TZRSock>();
        gameSock->Timeout = ConnectTimeoutSeconds;
    }
    return *gameSock;
}

void ResetGameLink() {
    GameLink.GameSocket = 0;
    GameLink.FrameReader.Reset();
    GameLink.GameRecvKey.Reset();
    GameLink.GameSendKey.Reset();
    GameLink.ReceiveGuard = false;
    GameLink.BinaryPhase = false;
    GameLink.GameSendQueue.clear();
    GameLink.GameRecvBuffer.clear();
    GameLink.GameTranscript.clear();
    GameLink.GameSeedValue = 0;
    ++GameLink.Generation;
}

void GameConnect(const std::string& host, int port) {
    if (LinkState() != LinkDown) {
        GameDisconnect();
    }
    GameHost().NoteLobbyActivity();
    GameHost().ResetKeyState();
    GameHost().ClearReadyFlags();
    ResetGameLink();
    LinkState() = LinkJoining;
    // The UI reads the link state, so it must already say "connecting".
    GameHost().SetUIState(uiGameLink, true);
    SetGameSender(&linkSender);
    TZRSock& sock = GameSock();
    sock.Port = std::to_string(port);
    sock.IPAddr = host;
    sock.Connect(GameLink.GameSocket);
}

void GameDisconnect() {
    if (LinkState() == LinkDown) {
        return;
    }
    GameSock().Disconnect(GameLink.GameSocket);
    if (ClientState.game.GameRunning) {
        // The game must end even when its end handler fails.
        LogAndGoOnWith([] { return "GameDisconnect"; }, [] { CallRoomHandler(MsgGameEnd, ""); });
    }
    GameHost().StopAllSounds();
    RemoveAllPlayers();
    ResetGame();
    ResetGameLink();
    LinkState() = LinkDown;
    GameHost().SetUIState(uiGameLink, true);
    GameHost().RefreshDisplay();
    GameHost().RefreshPlayerList();
    GameHost().AfterGameDisconnect();
}

void FailJoin(const std::string& message) {
    GameDisconnect();
    GameHost().ShowMessage(message);
    GameHost().LobbyJoinResult(false);
}

void SendGameMessage(std::uint8_t type, std::string_view payload) {
    auto frame = BuildGameFrame(type, payload);
    if (!frame) {
        AddLogLine("Message " + std::to_string(type) + " of " + std::to_string(payload.size() + 1) +
                   " bytes is too long to send");
        return;
    }
    GameLink.GameSendKey.Scramble(*frame);
    QueueGameData(*frame);
}

void SendGameTextLine(const std::string& keyword, const std::string& arguments) {
    QueueGameData(keyword + " " + arguments + "\r\n");
}

void QueueGameData(const std::string& bytes) {
    if (LinkState() == LinkDown) {
        // No connection to carry it; a queue kept now would only grow until
        // the next connect throws it away.
        return;
    }
    if (LinkState() == LinkJoining) {
        GameLink.GameTranscript += bytes;
    }
    const bool idle = GameLink.GameSendQueue.empty();
    GameLink.GameSendQueue += bytes;
    if (idle) {
        FlushGameSendQueue();
    }
}

void FlushGameSendQueue() {
    // A partial send leaves the socket able to take more at once; only a
    // would-block (0) waits for the next OnDataNeeded.
    while (!GameLink.GameSendQueue.empty()) {
        const int socket = GameLink.GameSocket;
        const int accepted = GameSock().sendstring(socket, GameLink.GameSendQueue);
        if (socket != GameLink.GameSocket) {
            return;  // the error handler ended the link
        }
        if (accepted <= 0) {
            return;
        }
        GameLink.GameSendQueue.erase(0, static_cast<std::size_t>(accepted));
    }
}

void GameTextPhase(const std::string& word, const std::string& rest) {
    if (word == "ok") {
        GameLink.BinaryPhase = true;
    } else if (word == "update") {
        GameDisconnect();
        GameHost().ShowMessage(
            "You have an old version of Pelkorin.  Press OK to check online for an upgrade!");
        GameHost().StartUpdateClient(UpdateServerHost, UpdateServerPort);
    } else if (word == "error") {
        FailJoin(rest);
    } else {
        FailJoin();
    }
}

void GameSeed(const std::string& seed) {
    if (seed.size() < 4) {
        GameDisconnect();
        return;
    }
    const std::string peer = GameSock().PeerAddress(GameLink.GameSocket);
    const TSeedKeys keys = KeysFromSeed(seed);
    TScrambleKey& send = GameLink.GameSendKey;
    TScrambleKey& recv = GameLink.GameRecvKey;
    send = {keys.send, true, ScrambleMulB, ScrambleAddB};
    recv = {keys.recv, true, ScrambleMulA, ScrambleAddA};
    recv.state = KeyMix(send.state, recv.state);
    if (GameHost().LobbyLinkUp()) {
        send.state = KeyMix(AddressKeyValue(peer, GameLink.LobbyGameKey), send.state);
    } else {
        send.state = KeyMix(recv.state, send.state);
    }
    std::string reply = std::to_string(RandomReplyNumber());
    reply += '\x02';
    reply += GameHost().TeamNameText();
    reply += '\x02';
    reply += std::to_string(GameLink.JoinMode);
    SendGameMessage(MsgJoin, reply);
    if (LinkState() == LinkDown) {
        return;
    }
    recv.state = KeyMix(StringCrc32(GameLink.GameTranscript), recv.state);
    GameLink.GameTranscript.clear();
    GameLink.GameSeedValue = RawStringToInt(seed);
}

namespace {

// The first acknowledgement mismatch of a parser run, for the program's error handler.
std::exception_ptr pendingReport;

// One message of the frame phase. Two rules for what a message's handling raises:
// - a piece acknowledgement that disagrees with our own record of the game means the game
//   cannot go on: after its log line it goes to the program's error handler, which sends the
//   error report and tells the player to restart (the program closes once the links are down);
// - any other error costs only its message: it is logged and the link stays up.
// Either way the next frame is read: every error is logged and goes on here, and the mismatch is
// kept aside for the report policy (GameReceive hands it over once the parser is done).
void DispatchFrame(const std::string& body) {
    const auto type = static_cast<std::uint8_t>(body[0]);
    const std::string payload = body.substr(1);
    const std::uint8_t state = LinkState();
    LogAndGoOnWith(
        [&] {
            return "command " + std::to_string(state) + " " + std::to_string(type) + " " +
                   std::to_string(body.size()) + " " + payload;
        },
        [&] {
            try {
                if (state == LinkInRoom) {
                    GameRoomDispatch(type, payload);
                } else {
                    GameJoinDispatch(type, payload);
                }
            } catch (const AcknowledgementMismatch&) {
                if (!pendingReport) {
                    pendingReport = std::current_exception();
                }
                throw;
            }
        });
}

// Runs the buffer through the phases until it needs more bytes or the link
// it belongs to has gone.
void ParseReceived(std::uint32_t generation) {
    const auto gone = [generation] {
        return GameLink.Generation != generation || LinkState() == LinkDown;
    };
    while (!GameLink.GameRecvBuffer.empty() && !gone()) {
        ReceiveBuffer& buffer = GameLink.GameRecvBuffer;
        const bool keysSet = GameLink.GameRecvKey.set && GameLink.GameSendKey.set;
        if (!keysSet && LinkState() != LinkInRoom) {
            if (!GameLink.BinaryPhase) {
                const std::size_t end = buffer.View().find("\r\n");
                if (end == std::string::npos) {
                    if (buffer.size() > MaxGameTextLine) {
                        FailJoin();
                    }
                    return;
                }
                const std::string line(buffer.View().substr(0, end + 2));
                buffer.Consume(end + 2);
                GameLink.GameTranscript += line;
                const std::string text = line.substr(0, end);
                GameTextPhase(LowerCase(WordAt(1, text)), RestFromWord(2, text));
            } else {
                if (buffer.size() < 4) {
                    return;
                }
                const std::string seed(buffer.View().substr(0, 4));
                buffer.Consume(4);
                GameLink.GameTranscript += seed;
                GameSeed(seed);
            }
            continue;
        }
        std::string body;
        switch (GameLink.FrameReader.Next(buffer, GameLink.GameRecvKey, body)) {
            case TFrameReader::Result::NeedMore:
                return;
            case TFrameReader::Result::EmptyFrame:
                AddLogLine("Empty message from the game server");
                if (LinkState() == LinkJoining) {
                    FailJoin();
                } else {
                    GameDisconnect();
                }
                return;
            case TFrameReader::Result::Frame:
                DispatchFrame(body);
                break;
        }
    }
}

}  // namespace

void GameReceive() {
    std::string chunk;
    GameSock().getstring(GameLink.GameSocket, chunk);
    GameLink.GameRecvBuffer += chunk;
    if (GameLink.ReceiveGuard) {
        return;  // the running parser will see the data
    }
    GameLink.ReceiveGuard = true;
    const std::uint32_t generation = GameLink.Generation;
    LogAndGoOn("GameReceive", [&] { ParseReceived(generation); });
    if (GameLink.Generation == generation) {
        GameLink.ReceiveGuard = false;
    }
    // Reported once the parser is done: the handler may show a message box, and data that
    // arrives meanwhile is parsed as usual.
    if (pendingReport) {
        const std::exception_ptr error = std::exchange(pendingReport, nullptr);
        GameHost().ReportError(error);
    }
}

void BindGameSocket() {
    TZRSock& sock = GameSock();
    sock.OnDataAvailable = [](TZRSock*, int socket) {
        if (socket == GameLink.GameSocket) {
            GameReceive();
        }
    };
    sock.OnDataNeeded = [](TZRSock*, int socket) {
        if (socket == GameLink.GameSocket && !GameLink.GameSendQueue.empty()) {
            FlushGameSendQueue();
        }
    };
    sock.OnErrorOccurred = [](TZRSock* sender, int socket, int error, const std::string&,
                              const std::string&) {
        if (GameHost().ProgramClosing() || !IsWinSockError(error) || error == wsa::kNotConnected ||
            error == wsa::kNotSocket || error == wsa::kWouldBlock) {
            return;
        }
        sender->PostClose(socket);
    };
    sock.OnSessionClosed = [](TZRSock*, int socket) {
        if (GameHost().ProgramClosing() || socket != GameLink.GameSocket) {
            return;
        }
        if (LinkState() == LinkJoining) {
            FailJoin();
        } else if (LinkState() == LinkInRoom) {
            GameDisconnect();
        }
    };
    sock.OnSessionConnected = [](TZRSock*, int socket) {
        if (socket == GameLink.GameSocket) {
            SendGameTextLine("login", GameHost().PlayerName() + " " + std::to_string(ClientBuild));
        }
    };
}

}  // namespace pk
