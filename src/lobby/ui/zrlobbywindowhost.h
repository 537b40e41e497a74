#pragma once
// The lobby's host as the windows answer it: the lobby chat box, the query and sign-up dialogs,
// the game-set editor, the region pinger and yes/no boxes; and the game-set editor's host as
// the lobby answers it (create and join requests, region texts, the set-name prompt). The
// lobby's dialogs that other windows provide plug in through the hooks; a hook that is not set
// does what the plain host does.
#include <QString>
#include <functional>
#include <string>

#include "gamesetup/zrgamesetup.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbyshell.h"

namespace pk {

struct tsbregion;
class Tzrbrowser;
class Tzrgamesetup;
class Tsbquery;
class Tzrsignup;

// Message and yes/no boxes; tests answer them.
struct TLobbyBoxes {
    std::function<void(const std::string& text)> message;
    std::function<bool(const std::string& text)> confirm;
};
TLobbyBoxes& LobbyBoxes();
void LobbyMessageBox(const std::string& text);
bool LobbyConfirmBox(const std::string& text);

// The region box's text for a region (none: the least busy server).
std::string GameSetupRegionText(const tsbregion* region);

class TLobbyWindowHost : public LobbyHost {
public:
    TLobbyWindowHost(Tzrbrowser* browser, Tzrgamesetup* setup, Tsbquery* query, Tzrsignup* signup)
        : browser_(browser), setup_(setup), query_(query), signup_(signup) {}

    // What other windows provide.
    struct Hooks {
        std::function<void()> showUserDbConsole;
        std::function<void(const std::string&)> statusList, userDbReply, playerDetails, playerStats;
        std::function<bool()> locationDialogVisible;
        std::function<void()> fillRegionList;
    };
    Hooks hooks;

    void LobbyChatLine(const std::string& line) override;
    void ClearLobbyChat() override;
    void ShowMessage(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    void ClearSignUpForm() override;
    bool QueryVerifyCode(std::string& code) override;
    bool QueryBirthDate(std::string& year, std::string& month, std::string& day) override;
    bool QueryRoomKey(std::string& key) override;
    void ShowUserDbConsole() override;
    void ShowStatusList(const std::string& payload) override;
    void ShowUserDbReply(const std::string& payload) override;
    void ShowPlayerDetails(const std::string& payload) override;
    void ShowPlayerStats(const std::string& tables) override;
    bool GameSetWindowVisible() override;
    void OpenGameSetView(std::int32_t gameId, const std::string& gameName,
                         const std::string& rules) override;
    void OpenGameSetCreate() override;
    bool LocationDialogVisible() override;
    void FillRegionList() override;
    void StartRegionPings() override;
    void RegionsMeasured() override;

private:
    Tzrbrowser* browser_;
    Tzrgamesetup* setup_;
    Tsbquery* query_;
    Tzrsignup* signup_;
};

// The game-set editor's requests, answered by the lobby.
class TLobbyGameSetupHost : public GameSetupHost {
public:
    explicit TLobbyGameSetupHost(Tsbquery* query) : query_(query) {}
    std::function<void(bool)> enableMainWindow;
    std::function<void()> openRegionPicker;

    void CreateGame(const std::string& setName, std::int32_t regionId, const std::string& data,
                    bool spectator) override;
    void JoinGame(std::int32_t gameId, bool spectator) override;
    std::string GameRegionText(std::int32_t gameId) override;
    bool AskSetName(std::string& name) override;
    void ShowMessage(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    void EnableMainWindow(bool enabled) override;
    void OpenRegionPicker() override;

private:
    Tsbquery* query_;
};

// The lobby's part of the shell with the windows: the login and sign-up commands, the lobby
// window's share of the configuration and its icons.
class TLobbyWindowShellPart : public TLobbyShellPart {
public:
    void SetWindows(Tzrbrowser* browser, Tzrsignup* signup) {
        browser_ = browser;
        signup_ = signup;
    }
    void LobbyLogin(const std::string& name, const std::string& password) override;
    void ShowSignup() override;
    void ApplyConfig(const TConfig& config) override;
    void GatherConfig(TConfig& config) override;
    void SetIcons(const std::vector<IconTile>& tiles) override;

private:
    Tzrbrowser* browser_ = nullptr;
    Tzrsignup* signup_ = nullptr;
};

// The lobby window's prompts through the query dialog: the new room's name and the kick and
// ban message.
void InstallLobbyWindowHooks(Tzrbrowser& browser, Tsbquery& query);
// The kick and ban message of the query dialog, for the room window's kick entries; true with
// the message when confirmed.
std::function<bool(std::string& message)> KickMessagePrompt(Tsbquery& query);

}  // namespace pk
