#pragma once
// The room code's view of the windows, the lobby and the other parts of the client that it
// drives. Chat and in-game lines are byte strings with their 0x05 style codes, handed over
// exactly as they are to be shown, so that tests read them byte for byte.
//
// Like the engine's services (zrgameio.h) the host is installed once; until the real windows
// install theirs, a do-nothing host answers, and tests install a recording one.
#include <string>

namespace pk {

// The aspects of the interface that SetUIState brings up to date. The skins fire one event per
// state, derived from the current records, so a caller passes the aspect that changed.
enum UiStateId : int {
    uiAll = 0,  // states 2 to 8
    uiNone = 1,
    uiGameLink = 2,
    uiGameRunning = 3,
    uiGamePaused = 4,
    uiOperator = 5,  // the own operator rights in the room
    uiThemeChange = 6,
    uiLobbyLink = 7,
    uiWindow = 8,  // normal, maximised or full screen
};

// The three text lines a room message can land in.
class RoomChat {
public:
    virtual ~RoomChat() = default;
    virtual void PartylineAddLine(const std::string& line) = 0;  // room chat box
    virtual void ShowGameMessage(const std::string& line) = 0;   // in-game message line
    virtual void LobbyChatLine(const std::string& line) = 0;     // lobby chat box
};

// Modal message boxes with a fixed text.
class RoomDialogs {
public:
    virtual ~RoomDialogs() = default;
    virtual void ShowMessage(const std::string& text) = 0;
};

// The two server links as far as room code needs them. The game link's calls default to the
// game link itself; the lobby's to a lobby that is not connected, until the lobby's host
// overrides them.
class RoomLinks {
public:
    virtual ~RoomLinks() = default;
    virtual bool GameLinkUp() const;  // connecting or in the room
    virtual void GameDisconnect();
    virtual bool LobbyConnected() const { return false; }
    // Neither connected nor connecting.
    virtual bool LobbyLinkDown() const { return !LobbyConnected(); }
    // A dialog that ends the session must not be followed by an automatic log-in again.
    virtual void LobbyDisconnectWithoutRetry() {}
    virtual bool IsIgnored(const std::string&) const { return false; }  // lobby ignore list
};

// Everything else the room events and chat commands ask of windows and units built elsewhere
// (room window, in-game window, painter, keys and game thread, timed effects, music, shell,
// lobby). Every call has a default so a host overrides only what it has: calls into game units
// that exist go to them (keys, game thread, timed effects; the player list and viewed slot
// through the engine's SlotHooks), the others do nothing.
class RoomParts {
public:
    virtual ~RoomParts() = default;
    // room window
    virtual void RefreshUserList();
    virtual void RepaintUserList() {}
    virtual void ClearRoomChat() {}
    virtual bool TeamUpdateEnabled() const { return false; }
    virtual void SetTeamUpdateEnabled(bool) {}
    virtual void SetTeamNameText(const std::string&) {}
    virtual void UpdateTeamClick() {}
    // in-game window
    virtual void ClearGameChat() {}
    virtual void SetGameChatText(const std::string&) {}
    virtual void ClearAttackList() {}
    virtual void AddAttackLine(const std::string&) {}
    // field painter
    virtual void RedrawSlot(int) {}
    virtual void SetViewedSlot(int slot);
    // keys and the game thread
    virtual void ResetKeyTable(int mask);
    virtual void SetGameThreadInGame(bool inGame);  // highest priority, 5 ms / lowest, 200 ms
    virtual void NextTarget();
    // timed effects
    virtual void RemoveAllTimed();
    virtual void RemoveSlotTimed(int slot);
    // music
    virtual void RequestThemeMusic() {}
    virtual void StopMusic() {}
    // shell and lobby window
    virtual void SetUIState(int /*UiStateId*/, bool) {}
    virtual void SetMainCaption(const std::string&) {}
    virtual void SetGameEndTimer(bool) {}
    virtual void SetLobbyTimerInterval(int) {}
    virtual void ExecuteCommand(const std::string&) {}
    virtual void RequestPlayerDetails(const std::string&) {}
    virtual std::string AccountName() const { return {}; }
};

// The whole host the room code talks to.
class RoomHost : public RoomChat, public RoomDialogs, public RoomLinks, public RoomParts {};

// The installed host; never null (a do-nothing one answers until one is installed).
RoomHost& Room();
// Installing nullptr restores the do-nothing host.
void SetRoomHost(RoomHost* host);

}  // namespace pk
