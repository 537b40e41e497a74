// What the shell asks of the lobby, which sits above it (src/lobby): its state's life, the
// master server's address, the link state, the disconnect, and the lobby's share of the
// configuration. The main program installs the lobby's; until then the lobby is a link that is
// never up, and its configuration values stay in the configuration model (zrconfig.h), so they
// are saved as they were loaded.
#pragma once

#include <string>
#include <vector>

#include "room/zrgamelink.h"
#include "room/zrroomcontrols.h"

namespace pk {

struct TConfig;

class ShellLobby {
public:
    virtual ~ShellLobby() = default;
    // The main window's creation: the friends and ignore lists (empty) and the lobby state at
    // its initial values, the link not connected.
    virtual void CreateLobbyState() {}
    // The region list, created after the game-set list.
    virtual void CreateRegionList() {}
    // The master server the next login goes to.
    virtual void SetMasterServer(const std::string& host, int port) {
        (void)host;
        (void)port;
    }
    // 0 connecting, 1 connected, 2 not connected.
    virtual int LobbyLinkState() const { return 2; }
    virtual void LobbyDisconnect(bool retry) { (void)retry; }
    // The "login" command: the account name and password as the login page holds them, then
    // the connect in login mode.
    virtual void LobbyLogin(const std::string& name, const std::string& password) {
        (void)name;
        (void)password;
    }
    // The "newaccount" command: shows the sign-up dialog.
    virtual void ShowSignup() {}
    // After "pelkorin.cfg" is read: the account name and password, the lobby options, the
    // lobby part of the client state, friends and ignored users (already validated) and the
    // profile. `config.lobby.profile` is empty when the stored profile is of an older version.
    virtual void ApplyConfig(const TConfig& config) { (void)config; }
    // Before "pelkorin.cfg" is written: the lobby's current values into the model.
    virtual void GatherConfig(TConfig& config) { (void)config; }
    // A profile built afresh from the player-details dialog, for a configuration whose stored
    // profile is missing or of an older version.
    virtual std::string FreshProfile() { return {}; }
    // The main window's close: regions, friends and ignored users are freed.
    virtual void FreeLobbyState() {}
    // The game link's calls into the lobby: how a join went, the player's activity, the lobby's
    // record of the joined game, and its release once the link is down.
    virtual void JoinResult(bool joined) { (void)joined; }
    virtual void NoteActivity() {}
    virtual GameLinkHost::JoinedGameInfo JoinedGame() { return {}; }
    virtual void GameLinkClosed() {}
    // The own lobby status (1 active, 2 away, 3 be right back, 4 sleeping) and its change
    // (lobby message 12), for the minimising's "be right back".
    virtual int OwnStatus() const { return 1; }
    virtual void SendOwnStatus(int status) { (void)status; }
    // The lobby's tiles of the theme's icon sheet.
    virtual void SetIcons(const std::vector<IconTile>& tiles) { (void)tiles; }
    // The game room's "Show player details...": asks the master server about a player.
    virtual void RequestPlayerDetails(const std::string& name) { (void)name; }
    // A line for the lobby chat box from outside the lobby (the game server's texts for the
    // lobby), as bytes with their style codes.
    virtual void LobbyChatLine(const std::string& line) { (void)line; }
};

// The installed one; never null. Installing nullptr restores the one that is never connected.
ShellLobby& Lobby();
void SetShellLobby(ShellLobby* lobby);

}  // namespace pk
