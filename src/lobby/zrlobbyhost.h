#pragma once
// What the lobby asks of the windows, dialogs and shell that sit around it. The lobby core
// stays headless: every line it shows is handed over as the exact bytes (Windows-1252 with
// 0x05 style codes), every dialog it opens is a call here. Until the windows install theirs,
// defaults answer: the room's and in-game lines, message boxes, captions and UI states go to the
// installed room host (zrroomhost.h), the game link to the game link itself, and everything else
// does nothing (a dialog that cannot open counts as cancelled; a lobby chat line has no box to go
// to, since the room host hands its lobby lines to the lobby). Tests install recording fakes.
#include <cstdint>
#include <string>

namespace pk {

// The own-status button that is down (the others are up).
enum class OwnStatusButton { meactive, meaway, mebrb, mesleeping, none };

// The lobby window's lists, labels and buttons. The list views read the lobby model; these
// calls tell them which row changed (rows are named by their record's id).
class LobbyViews {
public:
    virtual ~LobbyViews() = default;
    // Room list view ("Name", "Users", "Ranking").
    virtual void BeginRoomUpdate() {}
    virtual void EndRoomUpdate() {}
    virtual void AddRoomRow(std::int32_t /*roomId*/) {}
    virtual void UpdateRoomRow(std::int32_t /*roomId*/) {}
    virtual void RemoveRoomRow(std::int32_t /*roomId*/) {}
    virtual void RoomRowsCleared() {}
    // Game list view of the current room.
    virtual void BeginGameUpdate() {}
    virtual void EndGameUpdate() {}
    virtual void AddGameRow(std::int32_t /*gameId*/) {}
    virtual void UpdateGameRow(std::int32_t /*gameId*/) {}
    virtual void RemoveGameRow(std::int32_t /*gameId*/) {}
    virtual void GameRowsCleared() {}
    // User list box: the rows of LobbyModel.userRows were rebuilt, or only need painting.
    virtual void UserListRebuilt() {}
    virtual void UserListRepaint() {}
    // One row of LobbyModel.userRows came in at, or went from, that index; a view that keeps
    // no rows of its own may take either as a rebuild.
    virtual void UserRowInserted(int /*row*/) { UserListRebuilt(); }
    virtual void UserRowRemoved(int /*row*/) { UserListRebuilt(); }
    // The room status box and the own-status buttons.
    virtual void SetRoomNameLabel(const std::string& /*text*/) {}
    virtual void ShowLockIcon(bool /*shown*/) {}
    virtual void ShowModeratedIcon(bool /*shown*/) {}
    virtual void SetOwnStatusButton(OwnStatusButton /*down*/) {}
};

class LobbyHost {
public:
    virtual ~LobbyHost() = default;

    // Lines and clocks.
    virtual void LobbyChatLine(const std::string& /*line*/) {}  // the lobby chat box
    virtual void ClearLobbyChat() {}                            // empties the lobby chat box
    virtual void RoomChatLine(const std::string& line);         // the game room's chat box
    virtual void InGameLine(const std::string& line);           // the in-game message line
    virtual std::string TimeStamp();                            // "[" time "] "
    virtual std::int64_t Seconds();                             // SecondClock

    // Shell: UI states, captions, tray, closing.
    virtual void SetUIState(int state, bool on);  // state: UiStateId
    virtual void SetMainCaption(const std::string& caption);
    virtual void SetAppTitle(const std::string& /*title*/) {}
    virtual void SetTrayHint(const std::string& /*hint*/) {}
    // By default the shell's: its close in progress, the error report's request to close once
    // both links are down, and the main window's close.
    virtual bool ClosingDown();
    virtual bool CloseAfterError();
    virtual void CloseMainWindow();

    // Message boxes and dialogs. A Yes/No box answers true for Yes.
    virtual void ShowMessage(const std::string& text);
    virtual bool Confirm(const std::string& /*text*/) { return false; }
    virtual void ClearSignUpForm() {}
    // The query dialog's verify panel; true when confirmed, with the typed code.
    virtual bool QueryVerifyCode(std::string& /*code*/) { return false; }
    // Its forgotten-password panel: year, month and day as typed.
    virtual bool QueryBirthDate(std::string& /*year*/, std::string& /*month*/,
                                std::string& /*day*/) {
        return false;
    }
    // The update client; the port is a service name or a decimal port, as the socket reads it.
    virtual void UpdateStart(const std::string& host, const std::string& port);
    // The query dialog's room-key panel, modal; true when confirmed, with the typed key.
    virtual bool QueryRoomKey(std::string& /*key*/) { return false; }
    virtual void ShowUserDbConsole() {}                                // the user-database console
    virtual void ShowStatusList(const std::string& /*payload*/) {}     // message 22
    virtual void ShowUserDbReply(const std::string& /*payload*/) {}    // message 30
    virtual void ShowPlayerDetails(const std::string& /*payload*/) {}  // message 33
    virtual void ShowPlayerStats(const std::string& /*tables*/) {}     // message 34
    // The game-set window: view a game's set before joining it, or create a game.
    virtual bool GameSetWindowVisible() { return false; }
    virtual void OpenGameSetView(std::int32_t /*gameId*/, const std::string& /*gameName*/,
                                 const std::string& /*rules*/) {}
    virtual void OpenGameSetCreate() {}
    // The location dialog and the region pinger.
    virtual bool LocationDialogVisible() { return false; }
    virtual void FillRegionList() {}
    virtual void StartRegionPings() {}
    // A region's ping was measured or reset: the game-set window's region box shows it again.
    virtual void RegionsMeasured() {}

    // The game link.
    virtual void GameConnect(const std::string& host, int port);
    virtual void GameDisconnect();
};

LobbyHost& LobbyShell();
LobbyViews& LobbyView();
// nullptr restores the default. The caller keeps ownership.
void SetLobbyHost(LobbyHost* host);
void SetLobbyViews(LobbyViews* views);

}  // namespace pk
