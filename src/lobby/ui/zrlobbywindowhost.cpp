#include "lobby/ui/zrlobbywindowhost.h"

#include <QLineEdit>
#include <QMessageBox>

#include "game/zrgame.h"
#include "gamesetup/ui/zrgamesetupform.h"
#include "lobby/ui/zrbrowser.h"
#include "lobby/ui/zrquery.h"
#include "lobby/ui/zrsignupform.h"
#include "lobby/zrlobbyjoin.h"
#include "lobby/zrlobbylink.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrlobbymodel.h"
#include "lobby/zrregionping.h"
#include "lobby/zrsignup.h"
#include "platform/cp1252.h"
#include "shell/zrconfig.h"

namespace pk {

TLobbyBoxes& LobbyBoxes() {
    static TLobbyBoxes boxes;
    return boxes;
}

void LobbyMessageBox(const std::string& text) {
    if (LobbyBoxes().message) {
        LobbyBoxes().message(text);
        return;
    }
    QMessageBox::information(nullptr, QStringLiteral("Pelkorin"), Cp1252ToQString(text));
}

bool LobbyConfirmBox(const std::string& text) {
    if (LobbyBoxes().confirm) {
        return LobbyBoxes().confirm(text);
    }
    // The sign-up's e-mail warning is an OK/Cancel box, every other question Yes/No.
    if (text == SignUpEmailWarning) {
        return QMessageBox::warning(nullptr, QStringLiteral("Pelkorin"), Cp1252ToQString(text),
                                    QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    }
    return QMessageBox::question(nullptr, QStringLiteral("Confirm"), Cp1252ToQString(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::string GameSetupRegionText(const tsbregion* region) {
    if (!region) {
        return LeastBusyServerText;
    }
    if (region->answers < Settings.lobby.pingtries) {
        return region->name + " [???ms]";
    }
    return region->name + " [" + std::to_string(region->time) + "ms]";
}

// ---- TLobbyWindowHost

void TLobbyWindowHost::LobbyChatLine(const std::string& line) {
    if (browser_) {
        browser_->chatbox()->AddLine(line);
    }
}

void TLobbyWindowHost::ClearLobbyChat() {
    if (browser_) {
        browser_->chatbox()->Clear();
    }
}

void TLobbyWindowHost::ShowMessage(const std::string& text) {
    LobbyMessageBox(text);
}

bool TLobbyWindowHost::Confirm(const std::string& text) {
    return LobbyConfirmBox(text);
}

void TLobbyWindowHost::ClearSignUpForm() {
    if (signup_) {
        signup_->ClearSignupForm();
    }
}

bool TLobbyWindowHost::QueryVerifyCode(std::string& code) {
    if (!query_) {
        return false;
    }
    query_->SetText("verifynumber", "");
    if (!query_->Ask(Tsbquery::verifypanel)) {
        return false;
    }
    code = query_->Text("verifynumber");
    return true;
}

bool TLobbyWindowHost::QueryBirthDate(std::string& year, std::string& month, std::string& day) {
    if (!query_) {
        return false;
    }
    for (const char* name : {"dobmonth", "dobday", "dobyear"}) {
        query_->SetText(name, "");
    }
    query_->Edit("dobmonth")->setFocus();
    if (!query_->Ask(Tsbquery::getpasspanel)) {
        return false;
    }
    year = query_->Text("dobyear");
    month = query_->Text("dobmonth");
    day = query_->Text("dobday");
    return true;
}

bool TLobbyWindowHost::QueryRoomKey(std::string& key) {
    if (!query_ || !query_->Ask(Tsbquery::joinpasspanel)) {
        return false;
    }
    key = query_->Text("joinpasswordeb");
    return true;
}

void TLobbyWindowHost::ShowUserDbConsole() {
    if (hooks.showUserDbConsole) {
        hooks.showUserDbConsole();
    }
}

void TLobbyWindowHost::ShowStatusList(const std::string& payload) {
    if (hooks.statusList) {
        hooks.statusList(payload);
    }
}

void TLobbyWindowHost::ShowUserDbReply(const std::string& payload) {
    if (hooks.userDbReply) {
        hooks.userDbReply(payload);
    }
}

void TLobbyWindowHost::ShowPlayerDetails(const std::string& payload) {
    if (hooks.playerDetails) {
        hooks.playerDetails(payload);
    }
}

void TLobbyWindowHost::ShowPlayerStats(const std::string& tables) {
    if (hooks.playerStats) {
        hooks.playerStats(tables);
    }
}

bool TLobbyWindowHost::GameSetWindowVisible() {
    return setup_ && setup_->isVisible();
}

void TLobbyWindowHost::OpenGameSetView(std::int32_t gameId, const std::string& gameName,
                                       const std::string& rules) {
    if (setup_) {
        setup_->SetMode(gameId, gameName, rules, false, gsmJoin);
    }
}

void TLobbyWindowHost::OpenGameSetCreate() {
    if (setup_) {
        setup_->SetMode(-1, std::string(), std::string(), true, gsmCreate);
    }
}

bool TLobbyWindowHost::LocationDialogVisible() {
    return hooks.locationDialogVisible && hooks.locationDialogVisible();
}

void TLobbyWindowHost::FillRegionList() {
    if (hooks.fillRegionList) {
        hooks.fillRegionList();
    }
}

void TLobbyWindowHost::StartRegionPings() {
    if (browser_) {
        browser_->Pinger().StartRegionPings();
    }
}

void TLobbyWindowHost::RegionsMeasured() {
    if (browser_) {
        static_cast<TLobbyItemModels&>(browser_->Views()).games.AllChanged();
    }
    // The editor's region box shows the chosen region's new time.
    if (setup_ && setup_->isVisible() && setup_->Model().Mode() == gsmCreate &&
        setup_->Model().RegionId() > 0) {
        for (const tsbregion& region : SbRegions) {
            if (region.id == setup_->Model().RegionId()) {
                setup_->FillRegions(region.id, GameSetupRegionText(&region));
            }
        }
    }
}

// ---- TLobbyGameSetupHost

void TLobbyGameSetupHost::CreateGame(const std::string& setName, std::int32_t regionId,
                                     const std::string& data, bool spectator) {
    if (ClientState.lobby.LobbyLinkState == sbConnected) {
        LobbyCreateGame(setName, regionId, data, spectator);
    }
}

void TLobbyGameSetupHost::JoinGame(std::int32_t gameId, bool spectator) {
    if (ClientState.lobby.LobbyLinkState == sbConnected && FindGame(gameId)) {
        LobbyJoinGame(gameId, spectator);
    }
}

std::string TLobbyGameSetupHost::GameRegionText(std::int32_t gameId) {
    const tSbGame* game = FindGame(gameId);
    if (!game && ClientState.game.JoinedGame && ClientState.game.JoinedGame->id == gameId) {
        game = ClientState.game.JoinedGame;
    }
    if (!game) {
        return PrivateGameText;
    }
    const tsbregion* region = FindRegion(game->region);
    return region ? GameSetupRegionText(region) : PrivateGameText;
}

bool TLobbyGameSetupHost::AskSetName(std::string& name) {
    if (!query_) {
        return false;
    }
    query_->SetText("newset", name);
    if (!query_->Ask(Tsbquery::newgameset)) {
        return false;
    }
    name = query_->Text("newset");
    return true;
}

void TLobbyGameSetupHost::ShowMessage(const std::string& text) {
    LobbyMessageBox(text);
}

bool TLobbyGameSetupHost::Confirm(const std::string& text) {
    return LobbyConfirmBox(text);
}

void TLobbyGameSetupHost::EnableMainWindow(bool enabled) {
    if (enableMainWindow) {
        enableMainWindow(enabled);
    }
}

void TLobbyGameSetupHost::OpenRegionPicker() {
    if (openRegionPicker) {
        openRegionPicker();
    }
}

// ---- TLobbyWindowShellPart

void TLobbyWindowShellPart::LobbyLogin(const std::string& name, const std::string& password) {
    if (ClientState.lobby.LobbyLinkState != sbDown) {
        return;
    }
    ClientState.account.AccountName = name;
    ClientState.account.Password = password;
    LobbyConnect(0);
}

void TLobbyWindowShellPart::ShowSignup() {
    if (signup_ && ClientState.lobby.LobbyLinkState == sbDown) {
        signup_->show();
        signup_->raise();
    }
}

void TLobbyWindowShellPart::ApplyConfig(const TConfig& config) {
    TLobbyShellPart::ApplyConfig(config);
    if (browser_) {
        browser_->ApplyConfig(config);
    }
}

void TLobbyWindowShellPart::GatherConfig(TConfig& config) {
    TLobbyShellPart::GatherConfig(config);
    if (browser_) {
        browser_->GatherConfig(config);
    }
}

void TLobbyWindowShellPart::SetIcons(const std::vector<IconTile>& tiles) {
    if (browser_) {
        browser_->SetIcons(tiles);
    }
}

void InstallLobbyWindowHooks(Tzrbrowser& browser, Tsbquery& query) {
    Tsbquery* q = &query;
    browser.hooks.newRoom = [q](std::string& name) {
        if (!q->Ask(Tsbquery::newroompanel)) {
            return false;
        }
        name = q->Text("newroomeb");
        return true;
    };
    browser.hooks.message = KickMessagePrompt(query);
}

std::function<bool(std::string& message)> KickMessagePrompt(Tsbquery& query) {
    Tsbquery* q = &query;
    return [q](std::string& message) {
        if (!q->Ask(Tsbquery::kbpanel)) {
            return false;
        }
        message = q->Text("kbmessage");
        return true;
    };
}

}  // namespace pk
