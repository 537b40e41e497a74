#include "shell/zruistate.h"

#include <algorithm>
#include <array>

#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "gfx/blit.h"
#include "room/zrgamelink.h"
#include "room/zrroomhost.h"
#include "shell/zrconfig.h"
#include "shell/zrlobbyhooks.h"
#include "shell/zrshell.h"
#include "shell/zrskinhooks.h"

namespace pk {

namespace {

constexpr int kIconSize = 16;
// The lobby's status for "be right back", and the statuses the minimising leaves alone.
constexpr int kStatusBrb = 3;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool LobbyGame() {
    return ClientState.game.JoinedGame != nullptr;
}

bool TeamsLocked() {
    return Settings.rules.eteams != 0;
}

void ApplyRoomControls(int state) {
    RoomControlStates& c = RoomControlsState();
    const tmegame& g = ClientState.game;
    const bool op = IsRoomOperator();
    switch (state) {
        case uiGameLink:
            c.updateteamEnabled = g.GameLinkState == LinkInRoom && !TeamsLocked();
            break;
        case uiGameRunning:
            if (g.GameRunning) {
                c.startgameCaption = "Stop game";
                c.pausegameEnabled = op;
                c.teamnameEnabled = false;
                c.updateteamEnabled = g.Spectating != 0;
                c.gscaption = "View game settings";
            } else {
                c.startgameCaption = "Start game";
                c.pausegameEnabled = false;
                c.teamnameEnabled = !TeamsLocked();
                c.updateteamEnabled = !TeamsLocked();
                if (op)
                    c.gscaption = "Modify game settings";
            }
            break;
        case uiGamePaused:
            c.pausegameCaption = g.GamePaused ? "Unpause game" : "Pause game";
            break;
        case uiOperator:
            if (op) {
                c.pausegameEnabled = g.GameRunning != 0;
                c.startgameEnabled = true;
                c.gscaption = "Modify game settings";
            } else {
                c.pausegameEnabled = false;
                c.startgameEnabled = false;
                c.gscaption = "View game settings";
            }
            break;
        default:
            return;
    }
    RoomWindowControls().ApplyControls(c);
}

struct IconPlace {
    int column, row;
    IconOwner owner;
    const char* target;
    bool listImage;
};

constexpr std::array<IconPlace, 27> kIconPlaces = {{
    {1, 1, IconOwner::Lobby, "meactive", false},
    {2, 1, IconOwner::Lobby, "mebrb", false},
    {3, 1, IconOwner::Lobby, "meaway", false},
    {4, 1, IconOwner::Lobby, "mesleeping", false},
    {5, 1, IconOwner::Lobby, "mewhois", false},
    {1, 2, IconOwner::Lobby, "creategame", false},
    {2, 2, IconOwner::Lobby, "pingregionsbutton", false},
    {3, 2, IconOwner::Lobby, "showstats", false},
    {1, 3, IconOwner::Lobby, "createroomtb", false},
    {1, 4, IconOwner::Lobby, "roomlistimagelist", true},
    {1, 5, IconOwner::Lobby, "userliststateimagelist", true},
    {2, 5, IconOwner::Lobby, "userliststateimagelist", true},
    {3, 5, IconOwner::Lobby, "userliststateimagelist", true},
    {4, 5, IconOwner::Lobby, "userliststateimagelist", true},
    {5, 5, IconOwner::Lobby, "userliststateimagelist", true},
    {6, 5, IconOwner::Lobby, "userliststatusimagelist", true},
    {7, 5, IconOwner::Lobby, "userliststatusimagelist", true},
    {8, 5, IconOwner::Lobby, "userliststatusimagelist", true},
    {9, 5, IconOwner::Lobby, "userliststatusimagelist", true},
    {1, 6, IconOwner::Lobby, "lockimage", false},
    {2, 6, IconOwner::Lobby, "modimage", false},
    {1, 7, IconOwner::Room, "changesettings", false},
    {2, 7, IconOwner::Room, "editextras", false},
    {3, 7, IconOwner::Room, "showstats", false},
    {1, 8, IconOwner::Room, "userlistimages", true},
    {2, 8, IconOwner::Room, "userlistimages", true},
    {3, 8, IconOwner::Room, "userlistimages", true},
}};

}  // namespace

bool IsRoomOperator() {
    const std::string name = Lower(Config.accountname);
    if (name.empty())
        return false;
    const std::string operators = Lower(ClientState.game.RoomOperators);
    for (int i = 1;; ++i) {
        const std::string word = WordAt(i, operators);
        if (word.empty())
            return false;
        if (word == name)
            return true;
    }
}

std::string UiStateEventName(int state) {
    const tmegame& g = ClientState.game;
    switch (state) {
        case uiGameLink:
            switch (g.GameLinkState) {
                case LinkJoining:
                    return LobbyGame() ? "sbgameconnecting" : "gameconnecting";
                case LinkInRoom:
                    return LobbyGame() ? "sbgameconnected" : "gameconnected";
                default:
                    if (LobbyGame())
                        return "sbgamedisconnected";
                    return Lobby().LobbyLinkState() == 1 ? "" : "gamedisconnected";
            }
        case uiGameRunning:
            return g.GameRunning ? "gameactive" : "gameinactive";
        case uiGamePaused:
            return g.GamePaused ? "gamepause" : "gameunpause";
        case uiLobbyLink:
            switch (Lobby().LobbyLinkState()) {
                case 0:
                    return "sbconnecting";
                case 1:
                    return "sbconnected";
                default:
                    return g.GameLinkState == LinkInRoom ? "" : "sbdisconnected";
            }
        case uiWindow:
            if (MainWindow().Minimised())
                return "";
            return MainWindow().Maximised() ? "fullscreen" : "restore";
        default:
            return "";
    }
}

std::string UiStateEvent(int state, bool on) {
    const std::string name = UiStateEventName(state);
    if (name.empty())
        return {};
    return (on ? "on" : "onup") + name;
}

void SetUIState(int state, bool on) {
    if (state == uiAll) {
        for (int s = uiGameLink; s <= uiWindow; ++s) SetUIState(s, on);
        return;
    }
    if (state == uiThemeChange)
        MainWindow().SetEnabled(ClientState.shell.ThemeChanging == 0);
    ApplyRoomControls(state);
    const std::string event = UiStateEvent(state, on);
    if (!event.empty())
        Skins().FireSkinEvent(event);
}

FullScreenStep FullScreenDecision(const FullScreenInput& in) {
    const bool screenFits = in.screenWidth >= in.minWidth && in.screenHeight >= in.minHeight;
    if (in.on) {
        if (!screenFits)
            return in.show == WindowShow::Maximised ? FullScreenStep::Normal
                                                    : FullScreenStep::Nothing;
        if (in.show != WindowShow::Normal)
            return FullScreenStep::Nothing;
        if (in.maxfs)
            return FullScreenStep::FullScreen;
        const bool workFits = in.workWidth >= in.minWidth && in.workHeight >= in.minHeight;
        return workFits ? FullScreenStep::Maximise : FullScreenStep::Nothing;
    }
    return in.show == WindowShow::Maximised ? FullScreenStep::Normal : FullScreenStep::Nothing;
}

void ApplicationMinimised() {
    if (Settings.options.taskbar && MainWindow().AddTrayIcon())
        MainWindow().HideToTray();
    if (!Settings.lobby.minimizebrb || Lobby().LobbyLinkState() != 1 ||
        ClientState.game.GameLinkState != LinkDown)
        return;
    const int status = Lobby().OwnStatus();
    if (status >= 2 && status <= 4)
        return;
    Lobby().SendOwnStatus(kStatusBrb);
    ClientState.lobby.AutoStatus = 1;
}

void ApplicationRestored() {
    if (Settings.lobby.minimizebrb && Lobby().LobbyLinkState() == 1 &&
        ClientState.game.GameLinkState == LinkDown && ClientState.lobby.AutoStatus)
        Lobby().NoteActivity();
    if (Settings.options.taskbar)
        MainWindow().RemoveTrayIcon();
}

std::vector<IconTile> CutIconSheet(const Surface16& sheet) {
    std::vector<IconTile> tiles;
    for (const IconPlace& p : kIconPlaces) {
        const int x = (p.column - 1) * kIconSize, y = (p.row - 1) * kIconSize;
        if (x + kIconSize > sheet.width() || y + kIconSize > sheet.height())
            continue;
        IconTile t;
        t.owner = p.owner;
        t.target = p.target;
        t.listImage = p.listImage;
        t.picture = Surface16(kIconSize, kIconSize);
        BitBlt(t.picture, 0, 0, kIconSize, kIconSize, sheet, x, y);
        t.transparent = t.picture.pixel(0, kIconSize - 1);
        tiles.push_back(std::move(t));
    }
    return tiles;
}

void SetIcons(const Surface16& sheet) {
    std::vector<IconTile> lobby, room;
    for (IconTile& t : CutIconSheet(sheet))
        (t.owner == IconOwner::Lobby ? lobby : room).push_back(std::move(t));
    Lobby().SetIcons(lobby);
    RoomWindowControls().SetIcons(room);
}

}  // namespace pk
