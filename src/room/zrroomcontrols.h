#pragma once
// What the interface states set on windows that are not the shell's own: the game room
// window's buttons and captions, and the icons cut from the theme's "Icons" sheet for the room
// window and the lobby. The state is kept here, so a window that comes later reads what is in
// force; the installed view is told of every change.
#include <string>
#include <string_view>
#include <vector>

#include "gfx/surface.h"

namespace pk {

// The room window's controls (Tzrpartyline: startgame, pausegame, teamname, updateteam,
// gscaption) as the interface states leave them.
struct RoomControlStates {
    std::string startgameCaption = "Start game";
    bool startgameEnabled = false;
    std::string pausegameCaption = "Pause game";
    bool pausegameEnabled = false;
    bool teamnameEnabled = true;
    bool updateteamEnabled = false;
    std::string gscaption = "View game settings";
    bool operator==(const RoomControlStates&) const = default;
};

// One 16 x 16 tile of the icon sheet and where it goes: a button's glyph or a picture, or an
// image of an image list (added in table order, with its bottom-left pixel as the transparent
// colour).
enum class IconOwner { Lobby, Room };
struct IconTile {
    IconOwner owner = IconOwner::Lobby;
    std::string_view target;
    bool listImage = false;
    Surface16 picture;
    Pixel16 transparent = 0;
};

class RoomControls {
public:
    virtual ~RoomControls() = default;
    virtual void ApplyControls(const RoomControlStates& states) { (void)states; }
    // The room window's tiles of the sheet.
    virtual void SetIcons(const std::vector<IconTile>& tiles) { (void)tiles; }
};

// The states in force.
RoomControlStates& RoomControlsState();
// The installed room window; never null (nullptr restores the do-nothing one).
RoomControls& RoomWindowControls();
void SetRoomControls(RoomControls* controls);

}  // namespace pk
