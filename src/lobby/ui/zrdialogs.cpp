#include "lobby/ui/zrdialogs.h"

#include <QPointer>
#include <QWidget>

#include "game/zrgame.h"
#include "lobby/ui/zrdbmanage.h"
#include "lobby/ui/zrpsl.h"
#include "lobby/ui/zrregionform.h"
#include "lobby/ui/zrroomstats.h"
#include "lobby/ui/zruserstats.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbylink.h"
#include "lobby/zrlobbymodel.h"
#include "lobby/zrregionlist.h"
#include "platform/cp1252.h"

namespace pk {

namespace {

QPointer<QWidget>& MainWindowSlot() {
    static QPointer<QWidget> window;
    return window;
}

}  // namespace

void SetDialogsMainWindow(QWidget* window) {
    MainWindowSlot() = window;
}

QWidget* DialogsMainWindow() {
    return MainWindowSlot().data();
}

QString DialogText(const std::string& bytes) {
    return Cp1252ToQString(bytes);
}

std::string DialogBytes(const QString& text) {
    return QStringToCp1252(text);
}

void ShowRoomStats() {
    if (sbroomstats) {
        sbroomstats->OpenForCurrentRoom();
    }
}

void ShowUserStats(const std::string& name) {
    RequestPlayerDetails(name, true, false, false);
}

void ShowOwnStats() {
    if (sbuserstats) {
        sbuserstats->ShowOwnDetails();
    }
    LobbySend(LobbyMsgAskStats, ClientState.account.AccountName);
}

void RequestStatusList() {
    const tSbUser* own = OwnUser();
    if (ClientState.lobby.LobbyLinkState == sbConnected && own && own->privilege < privVoice) {
        LobbySend(LobbyMsgPermanentList, "");
    }
}

void ShowDbConsole() {
    if (dbmanage) {
        dbmanage->ShowConsole();
    }
}

void ShowRegionPicker() {
    if (zrregionlist) {
        zrregionlist->FillRegionList();
    }
    pingserversClick();
}

TLobbyDialogHost::TLobbyDialogHost(TRegionPinger::Clock clock) : pinger_(std::move(clock)) {}

void OpenStatusList(const std::string& payload) {
    if (zrpsl) {
        zrpsl->FillStatusList(payload);
    }
}

void OpenUserDbReply(const std::string& payload) {
    if (dbmanage) {
        dbmanage->AddDbResult(payload);
    }
}

void OpenPlayerDetails(const std::string& payload) {
    if (sbuserstats) {
        sbuserstats->ShowPlayerDetails(payload);
    }
}

void OpenPlayerStats(const std::string& tables) {
    if (sbuserstats) {
        sbuserstats->ShowPlayerStats(tables);
    }
}

bool LocationPickerVisible() {
    return zrregionlist && zrregionlist->isVisible();
}

void RefillLocationPicker() {
    if (zrregionlist) {
        zrregionlist->FillRegionList();
    }
}

void TLobbyDialogHost::ShowUserDbConsole() {
    ShowDbConsole();
}

void TLobbyDialogHost::ShowStatusList(const std::string& payload) {
    OpenStatusList(payload);
}

void TLobbyDialogHost::ShowUserDbReply(const std::string& payload) {
    OpenUserDbReply(payload);
}

void TLobbyDialogHost::ShowPlayerDetails(const std::string& payload) {
    OpenPlayerDetails(payload);
}

void TLobbyDialogHost::ShowPlayerStats(const std::string& tables) {
    OpenPlayerStats(tables);
}

bool TLobbyDialogHost::LocationDialogVisible() {
    return LocationPickerVisible();
}

void TLobbyDialogHost::FillRegionList() {
    RefillLocationPicker();
}

void TLobbyDialogHost::StartRegionPings() {
    pinger_.StartRegionPings();
}

void TLobbyDialogHost::RegionsMeasured() {
    if (onRegionsMeasured) {
        onRegionsMeasured();
    }
}

}  // namespace pk
