#pragma once
// The interface states: SetUIState (declared in zrshell.h) brings the skins and the windows up
// to date after one aspect of the client changed, deriving what to show from the client's
// state each time (nothing is stored). Each state fires at most one skin event, "on" + its
// name, or "on" + "up" + its name when called with on = false. Beside it: the window's full
// screen, its minimising to the notification area with the lobby's "be right back", and the
// icon sheet of a theme.
#include <string>
#include <vector>

#include "gfx/surface.h"
#include "room/zrroomcontrols.h"

namespace pk {

// The event a state fires now ("" for none), without the "on"/"onup" prefix.
std::string UiStateEventName(int state);
// The event with its prefix, as SetUIState fires it ("" for none).
std::string UiStateEvent(int state, bool on);

// Whether the player's name is one of the room's operators (compared lower-cased).
bool IsRoomOperator();

// ---- full screen

// Main window states as the shell sees them.
enum class WindowShow { Normal, Maximised, Minimised };

enum class FullScreenStep {
    Nothing,
    FullScreen,  // captionless, over the whole screen ("maxfs")
    Maximise,    // maximised within the work area
    Normal,      // back to the normal window
};

struct FullScreenInput {
    bool on = false;
    WindowShow show = WindowShow::Normal;
    int screenWidth = 0, screenHeight = 0;
    int workWidth = 0, workHeight = 0;
    int minWidth = 0, minHeight = 0;  // the theme's minimum window size (0 without a theme)
    bool maxfs = false;
};
// What SetFullScreen does; every step but Nothing is followed by SetUIState (8, true).
FullScreenStep FullScreenDecision(const FullScreenInput& in);

// ---- minimise and restore

// The application was minimised: with "taskbar" the window goes to the notification area (only
// where there is one; elsewhere it stays a minimised window); with "minimizebrb", while the lobby
// is connected, no game link is up and the own status is not away, be right back or sleeping,
// the status becomes "be right back" and the client remembers that it set it.
void ApplicationMinimised();
// The application was restored: a status the minimising set is restored by noting activity,
// and the tray icon goes.
void ApplicationRestored();

// ---- icons

// The tiles of a theme's "Icons" sheet (16 x 16, column and row from 1) with their targets, in
// the order they are assigned. Tiles the sheet does not hold whole are left out.
std::vector<IconTile> CutIconSheet(const Surface16& sheet);
// Hands the lobby's tiles to the lobby and the room window's to the room window.
void SetIcons(const Surface16& sheet);

}  // namespace pk
