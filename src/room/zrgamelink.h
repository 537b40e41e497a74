#pragma once
// The game-server link: one TCP connection per joined game, driven by the
// socket's events on the main thread.
//
// Phases: GameConnect -> text phase ("login" line, "ok"/"update"/"error"
// reply) -> four seed bytes -> the scrambled seed reply -> frames. The join
// dispatcher accepts only the "joined" message; after it the room dispatcher
// hands every message to the handler registered for its type.
#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "game/zrgame.h"
#include "net/zrscramble.h"

namespace pk {

class TZRSock;

// Message types the link itself sends or reads.
inline constexpr std::uint8_t MsgJoin = 0x01;     // seed reply / "joined"
inline constexpr std::uint8_t MsgGameEnd = 0x0f;  // game end (also run by a disconnect)
inline constexpr std::uint8_t MsgPlayerOut = 0x09;

// The link's own state; ResetGameLink clears what it says.
struct TGameLinkState {
    int GameSocket = 0;
    TScrambleKey GameRecvKey;
    TScrambleKey GameSendKey;
    ReceiveBuffer GameRecvBuffer;
    TFrameReader FrameReader;
    std::string GameSendQueue;
    std::string GameTranscript;
    bool BinaryPhase = false;
    bool ReceiveGuard = false;
    std::uint32_t GameSeedValue = 0;
    // Set by the lobby with each join or create request; kept by ResetGameLink.
    std::uint32_t LobbyGameKey = 0;
    std::uint8_t JoinMode = 0;
    std::string GameName;
    // Bumped by every reset, so a parser run can tell that the link it was
    // reading has gone, even if a new one started meanwhile.
    std::uint32_t Generation = 0;
};
extern TGameLinkState GameLink;

// What the link asks of the windows, the lobby and the other game units,
// beyond the room host (zrroomhost.h) and the engine's display: by default
// chat lines, dialogs, list refreshes and UI states go to the installed room
// host and sounds and display refreshes to the engine's display, so the shell
// installs those once. The link's own hooks do nothing until installed; tests
// override whatever they want to see.
class GameLinkHost {
public:
    virtual ~GameLinkHost() = default;
    // Shared with the room code.
    virtual void ShowMessage(const std::string& text);
    virtual void SetUIState(int state, bool on);  // state: UiStateId (zrroomhost.h)
    virtual void RoomChat(const std::string& line);
    virtual void ClearRoomChat();
    virtual void RefreshPlayerList();
    virtual void RepaintPlayerList();
    virtual void RedrawField(int slot);
    virtual void ResetKeyState();
    virtual std::string PlayerName();
    virtual bool LobbyLinkUp();
    virtual void PlaySound(std::string_view name);
    virtual void RefreshDisplay();
    // The link's own.
    // The lobby's join result: "Successfully joined game!" or the failure.
    virtual void LobbyJoinResult(bool joined) { (void)joined; }
    virtual void NoteLobbyActivity() {}
    virtual void ClearReadyFlags();  // the room window's ready marks
    virtual void StopAllSounds() {}
    // A line of the game history list.
    virtual void GameHistory(const std::string& line) { (void)line; }
    virtual std::string TeamNameText() { return {}; }
    // What the lobby knows of the joined game, for the welcome line and the room's game-set
    // editor (which shows the region of the game with that id).
    struct JoinedGameInfo {
        bool known = false;
        std::int32_t id = -1;
        std::string name;
        std::string creator;
        std::string server;
    };
    virtual JoinedGameInfo JoinedGame() { return {}; }
    virtual void StartUpdateClient(const std::string& host, int port) {
        (void)host;
        (void)port;
    }
    // After a disconnect: the lobby frees the record of a game it no longer
    // lists, and the shell closes when it was asked to close with the link.
    virtual void AfterGameDisconnect() {}
    virtual bool ProgramClosing() { return false; }
    // The room's message lines, shown with the chat template RoomMessageLineCode.
    virtual void ShowRoomMessageLine(const std::string& line);
    // Whether the own player is marked ready (the room's player list keeps it).
    virtual bool OwnPlayerReady();
    // An error that the program's error handler must hear of (it sends the error report and
    // tells the player to restart): a piece acknowledgement that disagrees with the own game.
    // Called once the received data has been parsed. Without a program around it only the
    // client log has it.
    virtual void ReportError(std::exception_ptr error) { (void)error; }
};
GameLinkHost& GameHost();
void SetGameLinkHost(GameLinkHost* host);  // nullptr restores the default

// The socket of the link (the main window's `sockets1`); created on first use.
TZRSock& GameSock();
// Binds the socket's events to the link's handlers.
void BindGameSocket();

void GameConnect(const std::string& host, int port);
void GameDisconnect();
// Ends a connection that failed before the room was reached: the player must
// hear of it, and the lobby must stop waiting.
void FailJoin(const std::string& message = "Unable to connect to game server.  Please try again.");
void ResetGameLink();
void SendGameMessage(std::uint8_t type, std::string_view payload);
void SendGameTextLine(const std::string& keyword, const std::string& arguments);
void QueueGameData(const std::string& bytes);
void FlushGameSendQueue();
void GameReceive();
void GameTextPhase(const std::string& word, const std::string& rest);
void GameSeed(const std::string& seed);
void GameJoinDispatch(std::uint8_t type, const std::string& payload);
void GameRoomDispatch(std::uint8_t type, const std::string& payload);

// Room handlers by message type. Handlers of other units are registered by
// those units; a type without a handler ends the link.
using RoomHandler = std::function<void(const std::string& payload)>;
void SetRoomHandler(std::uint8_t type, RoomHandler handler);
bool HasRoomHandler(std::uint8_t type);
// Runs the registered handler, if any (false when there is none).
bool CallRoomHandler(std::uint8_t type, const std::string& payload);
// Registers the link's own room handlers and logging stand-ins for the types
// that other units handle, leaving registered handlers alone.
void InitRoomHandlers();

// Applies a field difference to a field string of FieldWidth x FieldHeight cells.
void DecodeFieldDiff(std::string& field, const std::string& bits);

// Time text of the start-vote countdown ("§01" 2min 30sec "§").
std::string CountdownText(int seconds);

}  // namespace pk
