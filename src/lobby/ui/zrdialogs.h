#pragma once
// The lobby's small dialogs (room details, permanent status list, location picker, player
// details, user-database console): the plain open functions behind the lobby window's entries,
// and the lobby host's dialog part, which hands the master server's replies to them and owns
// the region pinger.
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "lobby/zrlobbyhost.h"
#include "lobby/zrregionping.h"

class QWidget;

namespace pk {

// The main window, which the room details dialog disables while it is open.
void SetDialogsMainWindow(QWidget* window);
QWidget* DialogsMainWindow();

// Byte strings (Windows-1252) to and from the widgets.
QString DialogText(const std::string& bytes);
std::string DialogBytes(const QString& text);

// The lobby window's entries.
void ShowRoomStats();                         // a double click on the room status box
void ShowUserStats(const std::string& name);  // "Show player details..."
void ShowOwnStats();                          // "Edit player details..."
void RequestStatusList();                     // "Request permanent user list..."
void ShowDbConsole();                         // the slash command "managedb"
// The game-set window's "...": the location picker opens and the regions are asked for and
// measured again ("Ping Servers" alone is pingserversClick in lobby/zrregionlist.h).
void ShowRegionPicker();

// The master server's replies into the dialogs (what a lobby host hands them).
void OpenStatusList(const std::string& payload);     // message 22
void OpenUserDbReply(const std::string& payload);    // message 30
void OpenPlayerDetails(const std::string& payload);  // message 33
void OpenPlayerStats(const std::string& tables);     // message 34
bool LocationPickerVisible();
void RefillLocationPicker();

// The lobby host's dialog part. The lobby window's host derives from it (or the program
// installs it alone while there is no lobby window).
class TLobbyDialogHost : public LobbyHost {
public:
    // `clock` times the region pings (MilliClock by default; tests pass their own).
    explicit TLobbyDialogHost(TRegionPinger::Clock clock = {});

    void ShowUserDbConsole() override;
    void ShowStatusList(const std::string& payload) override;
    void ShowUserDbReply(const std::string& payload) override;
    void ShowPlayerDetails(const std::string& payload) override;
    void ShowPlayerStats(const std::string& tables) override;
    bool LocationDialogVisible() override;
    void FillRegionList() override;
    void StartRegionPings() override;
    void RegionsMeasured() override;

    TRegionPinger& Pinger() { return pinger_; }
    // The game-set window's region box shows its region again.
    std::function<void()> onRegionsMeasured;

private:
    TRegionPinger pinger_;
};

}  // namespace pk
